// HTTPS: the same pages, limits and sign-in over TLS, with a certificate made for the test.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "kelvo/data.h"
#include "kelvo/error.h"
#include "kelvo/http_server.h"
#include "kelvo/users.h"
#include "server/running_server.h"
#include "support/temp_dir.h"

namespace kelvo::testing {
namespace {

class TlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
        "-subj /CN=localhost -keyout '" + dir_.File("key.pem") + "' -out '" +
        dir_.File("cert.pem") + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Connection connection;
    connection.Open(Database());
    connection.Execute("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20))");
    connection.Execute("INSERT INTO people (id, name) VALUES (1, 'Ann')");
    connection.Close();
    UsersFile users;
    users.Put("ann", {"editor", HashPassword("ann-password")});
    users.Save(dir_.File("users.toml"));
  }

  std::string Database() const {
    return "Provider=SQLite;Data Source=" + dir_.File("tls.db") + ";Mode=Create";
  }

  ServerOptions Options() const {
    ServerOptions options;
    options.threads = 2;
    options.defaults.connection = Database();
    options.users_file = dir_.File("users.toml");
    options.signing_secret = "tls-test-secret-0123456789";
    options.tls_certificate_file = dir_.File("cert.pem");
    options.tls_key_file = dir_.File("key.pem");
    return options;
  }

  // The certificate is the test's own: nothing to verify it against.
  static httplib::Result Get(int port, const std::string& target,
                             const httplib::Headers& headers = {}) {
    httplib::SSLClient client("127.0.0.1", port);
    client.enable_server_certificate_verification(false);
    return client.Get(target, headers);
  }

  TempDir dir_;
};

TEST_F(TlsTest, ServesPagesWithSecureSessionsAndSurvivesPlainHttp) {
  RunningServer server(Options());
  httplib::SSLClient client("127.0.0.1", server.port());
  client.enable_server_certificate_verification(false);
  const httplib::Result signed_in =
      client.Post("/login", "user=ann&password=ann-password&next=%2F",
                  "application/x-www-form-urlencoded");
  ASSERT_TRUE(signed_in) << httplib::to_string(signed_in.error());
  ASSERT_EQ(signed_in->status, 303) << signed_in->body;
  const std::string set_cookie = signed_in->get_header_value("Set-Cookie");
  EXPECT_NE(set_cookie.find("; Secure"), std::string::npos) << set_cookie;
  const httplib::Headers cookie{{"Cookie", set_cookie.substr(0, set_cookie.find(';'))}};

  const httplib::Result table = client.Get("/table/people", cookie);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->status, 200);
  EXPECT_NE(table->body.find("Ann"), std::string::npos);

  // Plain HTTP on the TLS port gets no answer, and the server goes on serving.
  httplib::Client plain("127.0.0.1", server.port());
  plain.set_read_timeout(5, 0);
  const httplib::Result refused = plain.Get("/login");
  EXPECT_FALSE(refused);
  const httplib::Result again = Get(server.port(), "/table/people", cookie);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 200);
}

// A client that connects and never starts the handshake is held to the head's deadline, not
// the idle one.
TEST_F(TlsTest, StalledHandshakeIsClosedAtTheHeadDeadline) {
  ServerOptions options = Options();
  options.header_timeout = std::chrono::seconds(1);
  options.idle_timeout = std::chrono::seconds(60);
  RunningServer server(options);
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(socket, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  timeval wait{20, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  const auto start = std::chrono::steady_clock::now();
  char byte = 0;
  const ssize_t read = ::recv(socket, &byte, 1, 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  ::close(socket);
  EXPECT_LE(read, 0);
  EXPECT_LT(waited, std::chrono::seconds(5));
  const httplib::Result after = Get(server.port(), "/login");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

TEST_F(TlsTest, RefusesToStartWithUnusableCertificateOrKey) {
  const auto refusal = [](const ServerOptions& options) {
    try {
      HttpServer server(options);
    } catch (const Error& failure) {
      return failure.description();
    }
    return std::string("started");
  };
  ServerOptions missing = Options();
  missing.tls_certificate_file = dir_.File("none.pem");
  EXPECT_NE(refusal(missing).find(dir_.File("none.pem")), std::string::npos) << refusal(missing);

  std::ofstream(dir_.File("garbage.pem")) << "not a key\n";
  ServerOptions garbage = Options();
  garbage.tls_key_file = dir_.File("garbage.pem");
  EXPECT_NE(refusal(garbage).find(dir_.File("garbage.pem")), std::string::npos)
      << refusal(garbage);

  // A key that is not the certificate's.
  const std::string other = "openssl genpkey -algorithm ec -pkeyopt ec_paramgen_curve:prime256v1 "
                            "-out '" + dir_.File("other.pem") + "' 2>/dev/null";
  ASSERT_EQ(std::system(other.c_str()), 0);
  ServerOptions mismatched = Options();
  mismatched.tls_key_file = dir_.File("other.pem");
  EXPECT_NE(refusal(mismatched).find(dir_.File("other.pem")), std::string::npos)
      << refusal(mismatched);
}

}  // namespace
}  // namespace kelvo::testing
