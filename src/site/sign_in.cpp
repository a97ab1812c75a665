#include "site/sign_in.h"

#include <utility>

#include "access/session.h"
#include "kelvo/host.h"
#include "kelvo/users.h"
#include "site/html_text.h"
#include "site/page_document.h"

namespace kelvo::site {
namespace {

std::int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string CookieValue(const RequestCollection& cookies) {
  const RequestCollection::Entry* entry = cookies.Find(access::kSessionCookie);
  return entry == nullptr || entry->values.empty() ? std::string() : entry->values.front();
}

std::string CookieAttributes(ScriptingContext& context) {
  std::string attributes = "; Path=/; HttpOnly; SameSite=Lax";
  if (context.request().ServerVariables("HTTPS") == "on") {
    attributes += "; Secure";
  }
  return attributes;
}

void WriteSignInForm(Response& out, std::string_view next, std::string_view user,
                     std::string_view message) {
  WriteDocumentStart(out, "Sign in", "en");
  std::string html = "<h1>Sign in</h1>\n";
  if (!message.empty()) {
    html += "<p class=\"KelvoSignInMessage\" role=\"alert\">" + HtmlEscape(message) + "</p>\n";
  }
  html += "<form class=\"KelvoSignIn\" method=\"post\" action=\"/login\">\n";
  html += "<input type=\"hidden\" name=\"next\" value=\"" + HtmlEscape(next) + "\">\n";
  // The cursor starts where typing goes on: in the name, or in the password once a name came
  // back with a refusal.
  const std::string_view user_focus = user.empty() ? " autofocus" : "";
  const std::string_view password_focus = user.empty() ? "" : " autofocus";
  html += "<label>User name <input name=\"user\" autocomplete=\"username\" maxlength=\"64\" "
          "required" + std::string(user_focus) + " value=\"" + HtmlEscape(user) + "\"></label>\n";
  html += "<label>Password <input name=\"password\" type=\"password\" "
          "autocomplete=\"current-password\" required" + std::string(password_focus) +
          "></label>\n";
  html += "<button type=\"submit\">Sign in</button>\n</form>\n";
  out.Write(html);
  WriteDocumentEnd(out);
}

}  // namespace

std::string LocalPath(std::string_view next) {
  if (!next.starts_with('/') || next.starts_with("//") || next.starts_with("/\\")) return "/";
  for (const char c : next) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return "/";
  }
  return std::string(next);
}

SignIn::SignIn(std::filesystem::path users_file, std::string secret,
               std::chrono::seconds session_lifetime)
    : users_(std::move(users_file)),
      secret_(std::move(secret)),
      lifetime_(session_lifetime),
      decoy_hash_(HashPassword("kelvo decoy password")) {}

std::optional<Visitor> SignIn::Identify(const RequestCollection& cookies) {
  const std::string value = CookieValue(cookies);
  if (value.empty()) return std::nullopt;
  const std::optional<access::Session> session =
      access::ReadSessionCookie(secret_, value, UnixNow());
  if (!session || IsSignedOut(session->nonce)) return std::nullopt;
  const std::shared_ptr<const UsersFile> users = users_.Current();
  const User* user = users->Find(session->user);
  if (user == nullptr || user->role != session->role ||
      access::UserStamp(secret_, session->user, *user) != session->stamp) {
    return std::nullopt;
  }
  return Visitor{session->user, session->role, access::FormToken(secret_, value)};
}

bool SignIn::HasValidToken(const RequestCollection& cookies,
                           const RequestCollection& form) const {
  const RequestCollection::Entry* token = form.Find(access::kTokenField);
  return token != nullptr && token->values.size() == 1 &&
         access::IsFormTokenValid(secret_, CookieValue(cookies), token->values.front());
}

bool SignIn::MaySeeTable(std::string_view table, std::string_view role) {
  const std::shared_ptr<const UsersFile> users = users_.Current();
  const RoleLists* lists = users->Table(table);
  return lists == nullptr || lists->MaySee(role);
}

bool SignIn::MayWriteTable(std::string_view table, std::string_view role) {
  const std::shared_ptr<const UsersFile> users = users_.Current();
  const RoleLists* lists = users->Table(table);
  return lists == nullptr ? role == "editor" : lists->MayWrite(role);
}

void SignIn::RenderLogin(const std::shared_ptr<ScriptingContext>& context) {
  if (context->request().IsPost()) {
    SignInPosted(context);
    return;
  }
  WriteSignInForm(context->response(), LocalPath(context->request().QueryString().Get("next")),
                  "", "");
}

void SignIn::SignInPosted(const std::shared_ptr<ScriptingContext>& context) {
  Request& request = context->request();
  Response& out = context->response();
  const std::string name = request.Form().Get("user");
  const std::string password = request.Form().Get("password");
  const std::string next = LocalPath(request.Form().Get("next"));
  const std::string address = request.ServerVariables("REMOTE_ADDR");
  if (name.size() > 64 || password.size() > kMaxPasswordBytes) {
    out.SetStatus(400);
    WriteSignInForm(out, next, "",
                    "The user name or the password is too long (at most 64 and " +
                        std::to_string(kMaxPasswordBytes) + " bytes).");
    return;
  }
  const auto now = access::SignInLimiter::Clock::now();
  if (const std::chrono::seconds wait = limiter_.Wait(address, name, now); wait.count() > 0) {
    out.SetStatus(429);
    out.AddHeader("Retry-After", std::to_string(wait.count()));
    WriteSignInForm(out, next, name,
                    "Too many failed sign-ins. Try again in " + std::to_string(wait.count()) +
                        " seconds.");
    return;
  }
  const std::shared_ptr<const UsersFile> users = users_.Current();
  const User* user = IsUserName(name) ? users->Find(name) : nullptr;
  const bool matches = VerifyPassword(user ? user->password_hash : decoy_hash_, password);
  if (user == nullptr || !matches) {
    limiter_.Failed(address, name, now);
    out.SetStatus(403);
    WriteSignInForm(out, next, name, "The user name or the password is wrong.");
    return;
  }
  limiter_.Succeeded(name);
  access::Session session;
  session.user = name;
  session.role = user->role;
  session.expires = UnixNow() + lifetime_.count();
  session.stamp = access::UserStamp(secret_, name, *user);
  out.AddHeader("Set-Cookie", std::string(access::kSessionCookie) + "=" +
                                  access::SessionCookieValue(secret_, session) +
                                  CookieAttributes(*context) +
                                  "; Max-Age=" + std::to_string(lifetime_.count()));
  out.SetStatus(303);
  out.AddHeader("Location", next);
}

void SignIn::RenderLogout(const std::shared_ptr<ScriptingContext>& context) {
  Response& out = context->response();
  if (context->request().IsPost()) {
    SignOut(CookieValue(context->request().Cookies()));
    out.AddHeader("Set-Cookie", std::string(access::kSessionCookie) + "=" +
                                    CookieAttributes(*context) + "; Max-Age=0");
    out.SetStatus(303);
    out.AddHeader("Location", "/login");
    return;
  }
  WriteDocumentStart(out, "Sign out", "en");
  out.Write(
      "<h1>Sign out</h1>\n<form class=\"KelvoSignIn\" method=\"post\" action=\"/logout\">\n"
      "<input type=\"hidden\" name=\"" +
      std::string(access::kTokenField) + "\" value=\"" +
      HtmlEscape(access::FormToken(secret_, CookieValue(context->request().Cookies()))) +
      "\">\n<button type=\"submit\">Sign out</button>\n</form>\n");
  WriteDocumentEnd(out);
}

void SignIn::SignOut(const std::string& cookie_value) {
  const std::int64_t now = UnixNow();
  const std::optional<access::Session> session =
      access::ReadSessionCookie(secret_, cookie_value, now);
  if (!session) return;
  const std::lock_guard lock(signed_out_mutex_);
  std::erase_if(signed_out_, [now](const auto& entry) { return entry.second <= now; });
  signed_out_.emplace(session->nonce, session->expires);
}

bool SignIn::IsSignedOut(const std::string& nonce) {
  const std::lock_guard lock(signed_out_mutex_);
  return signed_out_.contains(nonce);
}

}  // namespace kelvo::site
