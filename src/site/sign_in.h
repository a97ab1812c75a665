// Sign-in for a server with a users file: who a request comes from, what the user's role may
// see and write, and the pages /login and /logout.
//
// A session lives in a signed cookie (access/session.h): servers with one secret and one users
// file share sign-ins. Signing out removes the cookie from the browser, and the server that
// signed it out refuses that session from then on, so a copy of the cookie is worth nothing
// there either; a password change, a role change or removing the user ends all of the user's
// sessions on every server at once.
#ifndef KELVO_SITE_SIGN_IN_H_
#define KELVO_SITE_SIGN_IN_H_

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "access/sign_in_limiter.h"
#include "access/user_directory.h"

namespace kelvo {
class ScriptingContext;
class RequestCollection;
}  // namespace kelvo

namespace kelvo::site {

struct Visitor {
  std::string user;
  std::string role;
  std::string form_token;  // what the session's forms carry
};

class SignIn {
 public:
  // Reads the users file; throws Error naming its file and line when it is broken.
  SignIn(std::filesystem::path users_file, std::string secret,
         std::chrono::seconds session_lifetime);

  // The signed-in user of a request with these cookies; nothing when there is no valid
  // session (forged, expired, signed under another secret, or its user's entry changed).
  std::optional<Visitor> Identify(const RequestCollection& cookies);
  // Whether a posted form carries the session's token.
  bool HasValidToken(const RequestCollection& cookies, const RequestCollection& form) const;
  // What a table's entry in the users file allows a role.
  bool MaySeeTable(std::string_view table, std::string_view role);
  bool MayWriteTable(std::string_view table, std::string_view role);

  // GET shows the sign-in form; POST signs in (limited per address and user) and goes to the
  // posted `next`, a path of this server.
  void RenderLogin(const std::shared_ptr<ScriptingContext>& context);
  // GET asks to confirm; POST (with the session's token) ends the session and removes its
  // cookie.
  void RenderLogout(const std::shared_ptr<ScriptingContext>& context);

 private:
  void SignInPosted(const std::shared_ptr<ScriptingContext>& context);
  void SignOut(const std::string& cookie_value);
  bool IsSignedOut(const std::string& nonce);

  access::UserDirectory users_;
  std::string secret_;
  std::chrono::seconds lifetime_;
  access::SignInLimiter limiter_;
  // Checked against for unknown users, so that they take as long to refuse as known ones.
  std::string decoy_hash_;
  // Sessions signed out here, by nonce, until they would have expired anyway. Each entry needs
  // a successful sign-in, so the sign-in limits bound it.
  std::mutex signed_out_mutex_;
  std::unordered_map<std::string, std::int64_t> signed_out_;
};

// `next` when it is a path of this server ("/..." but not "//..." nor "/\..."), else "/".
std::string LocalPath(std::string_view next);

}  // namespace kelvo::site

#endif  // KELVO_SITE_SIGN_IN_H_
