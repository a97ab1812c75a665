// Sign-in, roles and request forgery over HTTP, against a real database: who may read, who
// may write, which sessions and forms are taken, and that nothing is written on a refusal.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "access/session.h"
#include "edit/browser_form.h"
#include "edit/edit_page.h"
#include "kelvo/data.h"
#include "kelvo/host.h"
#include "kelvo/http_server.h"
#include "kelvo/page_file.h"
#include "kelvo/users.h"
#include "server/running_server.h"
#include "support/temp_dir.h"
#include "support/test_database.h"

namespace kelvo::testing {
namespace {

constexpr char kSecret[] = "sign-in-test-secret-0123456789";

// A browser of one server: keeps the session cookie it was given.
class Visitor {
 public:
  explicit Visitor(int port) : port_(port) {}

  httplib::Result Get(const std::string& target) {
    httplib::Client client("127.0.0.1", port_);
    return client.Get(target, Headers());
  }
  httplib::Result Post(const std::string& target, const std::string& body,
                       httplib::Headers extra = {}) {
    httplib::Client client("127.0.0.1", port_);
    httplib::Headers headers = Headers();
    headers.insert(extra.begin(), extra.end());
    return client.Post(target, headers, body, "application/x-www-form-urlencoded");
  }
  // Posts the sign-in form; keeps the cookie it sets.
  httplib::Result SignIn(const std::string& user, const std::string& password,
                         const std::string& next = "/") {
    httplib::Result result =
        Post("/login", "user=" + UrlEncode(user) + "&password=" + UrlEncode(password) +
                           "&next=" + UrlEncode(next));
    if (result && result->has_header("Set-Cookie")) {
      const std::string set = result->get_header_value("Set-Cookie");
      cookie = set.substr(0, set.find(';'));
    }
    return result;
  }
  // The body of a page that must answer 200.
  std::string Page(const std::string& target) {
    const httplib::Result result = Get(target);
    EXPECT_TRUE(result && result->status == 200) << target << (result ? result->body : "");
    return result ? result->body : std::string();
  }

  std::string cookie;  // "kelvo_session=..."

 private:
  httplib::Headers Headers() const {
    httplib::Headers headers;
    if (!cookie.empty()) headers.emplace("Cookie", cookie);
    return headers;
  }

  int port_;
};

class SignInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KELVO_SKIP_WITHOUT_PROVIDER();
    database_.emplace(dir_, "signin.db");
    connection_->Open(database_->ConnectionString());
    connection_->Execute("CREATE TABLE people (id " + KeyType() + ", name VARCHAR(20))");
    connection_->Execute("INSERT INTO people (id, name) VALUES (1, 'Ann'), (2, 'Bob')");
    UsersFile users;
    users.Put("ann", {"editor", HashPassword("ann-password")});
    users.Put("vic", {"viewer", HashPassword("vic-password")});
    users.Save(UsersPath());
  }
  void TearDown() override { connection_->Close(); }

  std::string UsersPath() const { return dir_.File("users.toml"); }

  ServerOptions Options(const std::string& secret = kSecret) const {
    ServerOptions options;
    options.threads = 2;
    options.defaults.connection = database_->ConnectionString();
    options.table_editing = true;
    options.signing_secret = secret;
    options.users_file = UsersPath();
    return options;
  }
  std::unique_ptr<RunningServer> Serve(const std::string& secret = kSecret,
                                       const std::string& audit = {}) {
    ServerOptions options = Options(secret);
    options.audit_file = audit;
    return std::make_unique<RunningServer>(options, [](HttpServer& server) {
      server.AddPage("secret", PageFile::Parse("[roles]\nsee = [\"editor\"]\n[[grid]]\n"
                                               "sql = \"SELECT id, name FROM people\"\n",
                                               "secret.toml"));
      server.AddPage("people", PageFile::Parse("[[grid]]\nsql = \"SELECT id, name FROM people\"\n"
                                               "EditOptions = \"ALL\"\nEditPrimaryKeys = \"id\"\n"
                                               "DeleteSQL = \"DELETE FROM people\"\n",
                                               "people.toml"));
      server.AddHandler("/whoami", [](const std::shared_ptr<ScriptingContext>& context) {
        Request& request = context->request();
        context->response().Write(request.ServerVariables("REMOTE_USER") + "/" +
                                  request.ServerVariables("LOGON_USER"));
      });
    });
  }

  std::string Names() {
    std::string text;
    for (const auto& row : QueryRows(connection_, "SELECT name FROM people ORDER BY id")) {
      text += row[0] + ' ';
    }
    return text;
  }

  // The body that saves `name` into record 1 through the edit form `visitor` is shown.
  static std::string SaveBody(Visitor& visitor, const std::string& name,
                              const std::string& page = "/table/people") {
    const std::string view =
        visitor.Page(page + "?Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=1&Vexmo1BookMark=1");
    BrowserForm opened(view);
    opened.Set("Vexmo1PK", "1");
    const httplib::Result edit = visitor.Post(page, opened.Body("Vexmo1FormEdit"));
    EXPECT_TRUE(edit && edit->status == 200);
    BrowserForm form(edit ? edit->body : std::string());
    form.Set("Vexmo1_Form_name", name);
    form.Set("Vexmo1FormEdit", "");
    return form.Body("Vexmo1FormUpdate");
  }

  TempDir dir_;
  std::optional<TestDatabase> database_;
  std::shared_ptr<Connection> connection_ = std::make_shared<Connection>();
};

TEST_F(SignInTest, AnonymousReadsAndWritesAreRefused) {
  auto server = Serve();
  Visitor anonymous(server->port());
  for (const char* target : {"/", "/table/people", "/secret", "/whoami?a=1"}) {
    const httplib::Result result = anonymous.Get(target);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 303) << target;
    // The sign-in page it leads to goes back there.
    const std::string login = anonymous.Page(result->get_header_value("Location"));
    EXPECT_NE(login.find("name=\"next\" value=\"" + std::string(target) + "\""),
              std::string::npos)
        << target << login;
  }
  EXPECT_EQ(anonymous.Get("/kelvo/kelvo.css")->status, 200);
  EXPECT_NE(anonymous.Page("/login?next=/secret").find("name=\"next\" value=\"/secret\""),
            std::string::npos);

  Visitor ann(server->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  const std::string save = SaveBody(ann, "Changed");
  const httplib::Result refused = anonymous.Post("/table/people", save);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 403);
  EXPECT_NE(refused->body.find("Sign in first; nothing was changed."), std::string::npos);
  EXPECT_EQ(Names(), "Ann Bob ");

  // The sign-in page goes on only to a path of this server.
  for (const char* next : {"//evil.example/", "https://evil.example/", "/\\evil.example"}) {
    EXPECT_EQ(Visitor(server->port()).SignIn("ann", "ann-password", next)
                  ->get_header_value("Location"),
              "/")
        << next;
  }
  const httplib::Result signed_in = Visitor(server->port()).SignIn("ann", "ann-password", "/x?y=1");
  EXPECT_EQ(signed_in->get_header_value("Location"), "/x?y=1");
  const std::string cookie = signed_in->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("; HttpOnly; SameSite=Lax"), std::string::npos) << cookie;
  EXPECT_EQ(cookie.find("Secure"), std::string::npos) << cookie;
  EXPECT_EQ(ann.Page("/whoami"), "ann/ann");
}

TEST_F(SignInTest, AViewerSeesButCannotWrite) {
  auto server = Serve();
  Visitor ann(server->port());
  Visitor vic(server->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  ASSERT_EQ(vic.SignIn("vic", "vic-password")->status, 303);

  const std::string grid = vic.Page("/table/people");
  EXPECT_NE(grid.find(">Bob<"), std::string::npos);
  EXPECT_EQ(grid.find("Vexmo1FormAdd=1"), std::string::npos) << "no Add button for a viewer";
  // Nor on a page file that lets editors edit, in its list or its record view.
  constexpr const char* kRecord = "/people?Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=1";
  EXPECT_NE(ann.Page("/people").find("Vexmo1FormAdd=1"), std::string::npos);
  EXPECT_NE(ann.Page(kRecord).find("Vexmo1FormEdit"), std::string::npos);
  EXPECT_EQ(vic.Page("/people").find("Vexmo1FormAdd"), std::string::npos);
  const std::string record = vic.Page(kRecord);
  EXPECT_NE(record.find(">Ann<"), std::string::npos) << record;
  EXPECT_EQ(record.find("Vexmo1FormEdit"), std::string::npos) << record;
  EXPECT_EQ(vic.Get("/secret")->status, 403);
  EXPECT_EQ(ann.Get("/secret")->status, 200);

  // The editor's save, posted with the viewer's own session and token.
  std::string save = SaveBody(ann, "Changed");
  const std::string ann_token = BrowserForm(ann.Page("/table/people")).Value("kelvo_token").value();
  const std::string vic_token = BrowserForm(grid).Value("kelvo_token").value();
  save.replace(save.find(ann_token), ann_token.size(), vic_token);
  const httplib::Result refused = vic.Post("/table/people", save);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 403);
  EXPECT_NE(refused->body.find("Your role may not change this data"), std::string::npos);
  EXPECT_EQ(Names(), "Ann Bob ");
}

// The index lists only what the role may open: a page or table it may not see is left out.
TEST_F(SignInTest, TheIndexListsOnlyWhatTheRoleMaySee) {
  connection_->Execute("CREATE TABLE salaries (id " + KeyType() + ", amount INTEGER)");
  UsersFile users = UsersFile::Load(UsersPath());
  users.PutTable("salaries", {std::vector<std::string>{"editor"}, std::nullopt});
  users.Save(UsersPath());
  auto server = Serve();
  Visitor ann(server->port());
  Visitor vic(server->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  ASSERT_EQ(vic.SignIn("vic", "vic-password")->status, 303);

  const std::string seen = vic.Page("/");
  EXPECT_NE(seen.find("href=\"table/people\""), std::string::npos) << seen;
  EXPECT_EQ(seen.find("href=\"table/salaries\""), std::string::npos) << seen;
  EXPECT_EQ(seen.find("href=\"secret\""), std::string::npos) << seen;
  EXPECT_EQ(vic.Get("/table/salaries")->status, 403);

  const std::string all = ann.Page("/");
  EXPECT_NE(all.find("href=\"table/salaries\""), std::string::npos) << all;
  EXPECT_NE(all.find("href=\"secret\""), std::string::npos) << all;
}

TEST_F(SignInTest, ForgedExpiredSignedOutAndOtherSecretSessionsAreRefused) {
  auto server = Serve();
  Visitor ann(server->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  const std::string save = SaveBody(ann, "Changed");
  const std::string value = ann.cookie.substr(std::string("kelvo_session=").size());
  const std::optional<access::Session> session = access::ReadSessionCookie(kSecret, value, 0);
  ASSERT_TRUE(session);

  access::Session as_vic = *session;
  as_vic.user = "vic";
  access::Session expired = *session;
  expired.expires = 1000;
  std::string forged = value;
  forged.replace(0, 3, "vic");  // the viewer's name under the editor's signature
  for (const std::string& cookie :
       {forged, access::SessionCookieValue(kSecret, expired),
        access::SessionCookieValue("another-secret-0123456789", *session),
        access::SessionCookieValue(kSecret, as_vic) /* stamp of another user */}) {
    Visitor intruder(server->port());
    intruder.cookie = "kelvo_session=" + cookie;
    EXPECT_EQ(intruder.Get("/table/people")->status, 303) << cookie;
    EXPECT_EQ(intruder.Post("/table/people", save)->status, 403) << cookie;
  }
  EXPECT_EQ(Names(), "Ann Bob ");

  // Signing out ends the session on the server: a copy of its cookie is refused, and the
  // user's other sessions go on.
  Visitor leaving(server->port());
  ASSERT_EQ(leaving.SignIn("ann", "ann-password")->status, 303);
  Visitor copy(server->port());
  copy.cookie = leaving.cookie;
  const std::string token =
      access::FormToken(kSecret, leaving.cookie.substr(std::string("kelvo_session=").size()));
  EXPECT_EQ(leaving.Post("/logout", "kelvo_token=" + token)->status, 303);
  EXPECT_EQ(copy.Get("/table/people")->status, 303);
  EXPECT_EQ(copy.Post("/table/people", "kelvo_token=" + token +
                                           "&Vexmo1FormDisplay=formOneRec&Vexmo1FormUpdate=Save"
                                           "&Vexmo1_Form_id=1&Vexmo1_Form_name=Eve")
                ->status,
            403);
  EXPECT_EQ(ann.Get("/table/people")->status, 200);
  EXPECT_EQ(Names(), "Ann Bob ");

  // A new password ends the sessions signed in with the old one.
  UsersFile users = UsersFile::Load(UsersPath());
  users.Put("ann", {"editor", HashPassword("new-password")});
  users.Save(UsersPath());
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(ann.Get("/table/people")->status, 303);
  EXPECT_EQ(ann.Post("/table/people", save)->status, 403);
  EXPECT_EQ(Names(), "Ann Bob ");
}

TEST_F(SignInTest, CrossSiteAndTokenlessPostsChangeNothing) {
  auto server = Serve();
  Visitor ann(server->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  const std::string save = SaveBody(ann, "Changed");
  const std::string token = BrowserForm(ann.Page("/table/people")).Value("kelvo_token").value();
  std::string tokenless = save;
  tokenless.erase(tokenless.find("kelvo_token="), std::string("kelvo_token=").size() + token.size());
  Visitor earlier(server->port());
  ASSERT_EQ(earlier.SignIn("ann", "ann-password")->status, 303);
  const std::string earlier_token =
      BrowserForm(earlier.Page("/table/people")).Value("kelvo_token").value();
  ASSERT_NE(earlier_token, token);
  std::string foreign = save;
  foreign.replace(foreign.find(token), token.size(), earlier_token);

  for (const std::string& body : {tokenless, foreign}) {
    const httplib::Result refused = ann.Post("/table/people", body);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    EXPECT_NE(refused->body.find("nothing was changed"), std::string::npos);
  }
  EXPECT_EQ(ann.Post("/table/people", save, {{"Origin", "http://evil.example"}})->status, 403);
  EXPECT_EQ(Names(), "Ann Bob ");
  // The same post, with its own token and from this site, writes.
  EXPECT_EQ(ann.Post("/table/people", save)->status, 200);
  EXPECT_EQ(Names(), "Changed Bob ");
}

TEST_F(SignInTest, FailedSignInsAreLimitedPerUserAndAddressAlikeForUnknownUsers) {
  auto server = Serve();
  Visitor visitor(server->port());
  const std::string long_password(kMaxPasswordBytes + 1, 'x');
  EXPECT_EQ(visitor.SignIn("ann", long_password)->status, 400);

  // A wrong password and an unknown user get the same answer.
  const httplib::Result wrong = visitor.SignIn("ann", "wrong");
  const httplib::Result unknown = visitor.SignIn("nobody", "wrong");
  ASSERT_TRUE(wrong && unknown);
  EXPECT_EQ(wrong->status, 403);
  EXPECT_EQ(unknown->status, 403);
  std::string unknown_body = unknown->body;
  unknown_body.replace(unknown_body.find("value=\"nobody\""), 14, "value=\"ann\"");
  EXPECT_EQ(wrong->body, unknown_body);

  // After three failures a fourth is still checked; the one after it must wait, even with the
  // right password, while another user from the same address signs in.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(visitor.SignIn("ann", "wrong")->status, 403);
  const httplib::Result limited = visitor.SignIn("ann", "ann-password");
  EXPECT_EQ(limited->status, 429);
  EXPECT_EQ(limited->get_header_value("Retry-After"), "1");
  EXPECT_EQ(visitor.SignIn("vic", "vic-password")->status, 303);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(visitor.SignIn("ann", "wrong")->status, 403);
  // The wait doubles.
  EXPECT_EQ(visitor.SignIn("ann", "ann-password")->get_header_value("Retry-After"), "2");

  // More than ten failures from one address, across names, hold back every name from it.
  for (int i = 0; i < 5; ++i) visitor.SignIn("name" + std::to_string(i), "wrong");
  EXPECT_EQ(visitor.SignIn("vic", "vic-password")->status, 429);
}

TEST_F(SignInTest, ServersWithOneSecretShareSessionsAndOthersRefuseThem) {
  auto first = Serve();
  auto second = Serve();
  auto other = Serve("another-secret-0123456789");
  Visitor ann(first->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  const std::string save = SaveBody(ann, "Shared");

  Visitor on_other(other->port());
  on_other.cookie = ann.cookie;
  EXPECT_EQ(on_other.Get("/table/people")->status, 303);
  EXPECT_EQ(on_other.Post("/table/people", save)->status, 403);
  EXPECT_EQ(Names(), "Ann Bob ");

  Visitor on_second(second->port());
  on_second.cookie = ann.cookie;
  EXPECT_EQ(on_second.Page("/whoami"), "ann/ann");
  EXPECT_EQ(on_second.Post("/table/people", save)->status, 200);
  EXPECT_EQ(Names(), "Shared Bob ");
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(SignInTest, TheAuditTrailHasALinePerWriteTriedBeforeItsAnswer) {
  const std::string audit = dir_.File("audit.jsonl");
  auto server = Serve(kSecret, audit);
  Visitor ann(server->port());
  Visitor vic(server->port());
  ASSERT_EQ(ann.SignIn("ann", "ann-password")->status, 303);
  ASSERT_EQ(vic.SignIn("vic", "vic-password")->status, 303);
  const std::string save = SaveBody(ann, "Anna \"A\"");

  // Refused before any page runs: no line.
  EXPECT_EQ(ann.Post("/table/people", save, {{"Origin", "http://evil.example"}})->status, 403);
  EXPECT_TRUE(Lines(audit).empty());

  EXPECT_EQ(ann.Post("/table/people", save)->status, 200);
  std::vector<std::string> lines = Lines(audit);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\"user\":\"ann\",\"address\":\"127.0.0.1\",\"page\":\"/table/people\","
                          "\"action\":\"save\",\"table\":\"\\\"people\\\"\""),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[0].find("\"key\":{\"id\":\"1\"},\"outcome\":\"written\",\"changes\":{\"name\":"
                          "{\"old\":\"Ann\",\"new\":\"Anna \\\"A\\\"\"}}}"),
            std::string::npos)
      << lines[0];

  // The same form again: the record changed since it showed it.
  EXPECT_EQ(ann.Post("/table/people", save)->status, 200);
  lines = Lines(audit);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[1].find("\"outcome\":\"failed\",\"reason\":\""), std::string::npos) << lines[1];

  // A viewer's write is refused, and recorded as refused.
  std::string as_vic = SaveBody(ann, "Vic's");
  const std::string ann_token = BrowserForm(ann.Page("/table/people")).Value("kelvo_token").value();
  const std::string vic_token =
      BrowserForm(vic.Page("/table/people")).Value("kelvo_token").value();
  as_vic.replace(as_vic.find(ann_token), ann_token.size(), vic_token);
  EXPECT_EQ(vic.Post("/table/people", as_vic)->status, 403);
  lines = Lines(audit);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[2].find("\"user\":\"vic\""), std::string::npos);
  EXPECT_NE(lines[2].find("\"outcome\":\"failed\",\"reason\":\"Record WAS NOT SAVED: Your role may "
                          "not change this data\""),
            std::string::npos)
      << lines[2];
  EXPECT_EQ(Names(), "Anna \"A\" Bob ");

  // A table whose quoted name holds a blank is named whole.
  connection_->Execute("CREATE TABLE \"team members\" (id " + KeyType() + ", name VARCHAR(20))");
  connection_->Execute("INSERT INTO \"team members\" (id, name) VALUES (1, 'Ann')");
  const std::string team = "/table/team%20members";
  EXPECT_EQ(ann.Post(team, SaveBody(ann, "Anne", team))->status, 200);
  lines = Lines(audit);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[3].find("\"table\":\"\\\"team members\\\"\",\"key\":{\"id\":\"1\"},"
                          "\"outcome\":\"written\""),
            std::string::npos)
      << lines[3];
}

TEST_F(SignInTest, BehindATrustedProxyTheClientsAddressAndSchemeCount) {
  ServerOptions options = Options();
  options.trust_proxy = true;
  RunningServer server(options, [](HttpServer& served) {
    served.AddHandler("/client", [](const std::shared_ptr<ScriptingContext>& context) {
      Request& request = context->request();
      context->response().Write(request.ServerVariables("REMOTE_ADDR") + " " +
                                request.ServerVariables("HTTPS"));
    });
  });
  Visitor ann(server.port());
  const httplib::Result signed_in = ann.Post(
      "/login", "user=ann&password=ann-password",
      {{"X-Forwarded-For", "6.6.6.6, 10.1.2.3"}, {"X-Forwarded-Proto", "https"}});
  ASSERT_TRUE(signed_in);
  EXPECT_NE(signed_in->get_header_value("Set-Cookie").find("; Secure"), std::string::npos);
  ann.cookie = signed_in->get_header_value("Set-Cookie").substr(
      0, signed_in->get_header_value("Set-Cookie").find(';'));
  httplib::Client client("127.0.0.1", server.port());
  const httplib::Result page = client.Get(
      "/client", {{"Cookie", ann.cookie}, {"X-Forwarded-For", "10.1.2.3"},
                  {"X-Forwarded-Proto", "https"}});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->body, "10.1.2.3 on");
  // Failures are counted for the client's address, not the proxy's.
  for (int i = 0; i < 11; ++i) {
    ann.Post("/login", "user=n" + std::to_string(i) + "&password=x",
             {{"X-Forwarded-For", "10.9.9.9"}});
  }
  EXPECT_EQ(ann.Post("/login", "user=ann&password=ann-password", {{"X-Forwarded-For", "10.9.9.9"}})
                ->status,
            429);
  EXPECT_EQ(ann.Post("/login", "user=ann&password=ann-password", {{"X-Forwarded-For", "10.1.2.3"}})
                ->status,
            303);
}

TEST_F(SignInTest, ABrokenUsersFileStopsTheServerNamingFileAndLine) {
  const std::string path = dir_.File("broken.toml");
  {
    std::ofstream out(path);
    out << "[users.ann]\nrole = \"editor\"\npassword = \"$argon2id$v=19$x\"\nrole2 = 1\n";
  }
  ServerOptions options = Options();
  options.users_file = path;
  try {
    HttpServer server(options);
    ADD_FAILURE() << "the server started";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.description(),
              path + ":4: unknown key role2; a user has role and password");
  }
}

}  // namespace
}  // namespace kelvo::testing
