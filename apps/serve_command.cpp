#include "serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "connection_argument.h"
#include "demo_database.h"
#include "demo_pages.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "kelvo/http_server.h"
#include "kelvo/locale.h"
#include "kelvo/page_file.h"
#include "secret_file.h"

namespace kelvo::apps {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvo serve [--pages DIR] [--db CONNECTION] [--host HOST] [--port PORT]\n"
    "                   [--locale NAME] [--edit] [--secret-file FILE] [--allowed-host NAME]...\n"
    "                   [--users FILE] [--audit FILE] [--audit-values=false] [--trust-proxy]\n"
    "                   [--tls-cert FILE --tls-key FILE]\n"
    "  Serves the page files NAME.toml of DIR at /NAME, the tables of the database at /, and\n"
    "  /table/NAME. Without --pages and --db it serves the demo pages over kelvo-demo.db in the\n"
    "  working folder, which it creates when missing. --db takes a connection string or an\n"
    "  SQLite file; --port 0 picks a free port; --edit lets the table browser edit, add and\n"
    "  delete rows of tables with a primary key. The statement-signing secret comes from\n"
    "  --secret-file (mode 600) or KELVO_SECRET, else is made anew for each run. Requests are\n"
    "  answered only for the Host names localhost, 127.0.0.1, [::1], HOST and each NAME given\n"
    "  with --allowed-host. With --users (a file kept by kelvo users) every page needs a\n"
    "  signed-in user, and only roles allowed to may write; without it --edit is refused unless\n"
    "  HOST is a loopback address. --audit appends a JSON line for every write (with the old\n"
    "  and new values of the changed fields unless --audit-values=false). --trust-proxy takes\n"
    "  the client's address and scheme from X-Forwarded-For and X-Forwarded-Proto: only for a\n"
    "  server that only the reverse proxy reaches. --tls-cert and --tls-key (PEM files: the\n"
    "  certificate chain and its private key) serve HTTPS instead of HTTP.\n";

constexpr std::string_view kDemoDatabase = "kelvo-demo.db";

struct ServeArguments {
  std::string pages;
  std::string db;
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string locale = "en-US";
  bool edit = false;
  std::string secret_file;
  std::vector<std::string> allowed_hosts;
  std::string users;
  std::string audit;
  bool audit_values = true;
  bool trust_proxy = false;
  std::string tls_cert;
  std::string tls_key;
};

bool Parse(std::span<const std::string_view> args, ServeArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--edit") {
      parsed.edit = true;
      continue;
    }
    if (arg == "--trust-proxy") {
      parsed.trust_proxy = true;
      continue;
    }
    if (arg == "--audit-values=false" || arg == "--audit-values=true") {
      parsed.audit_values = arg.ends_with("true");
      continue;
    }
    if (i + 1 >= args.size()) return false;
    const std::string value(args[++i]);
    if (arg == "--pages") {
      parsed.pages = value;
    } else if (arg == "--db") {
      parsed.db = value;
    } else if (arg == "--host") {
      parsed.host = value;
    } else if (arg == "--port") {
      char* end = nullptr;
      const long port = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || port < 0 || port > 65535) return false;
      parsed.port = static_cast<int>(port);
    } else if (arg == "--locale") {
      parsed.locale = value;
    } else if (arg == "--secret-file") {
      parsed.secret_file = value;
    } else if (arg == "--audit") {
      parsed.audit = value;
    } else if (arg == "--users") {
      parsed.users = value;
    } else if (arg == "--tls-cert") {
      parsed.tls_cert = value;
    } else if (arg == "--tls-key") {
      parsed.tls_key = value;
    } else if (arg == "--allowed-host") {
      parsed.allowed_hosts.push_back(value);
    } else {
      return false;
    }
  }
  // One without the other would serve plain HTTP to someone who asked for HTTPS.
  return parsed.tls_cert.empty() == parsed.tls_key.empty();
}

std::string SigningSecret(const ServeArguments& parsed) {
  if (!parsed.secret_file.empty()) return ReadSecretFile(parsed.secret_file);
  const char* secret = std::getenv("KELVO_SECRET");
  if (secret == nullptr || *secret == '\0') return {};
  if (std::string_view(secret).size() < 16) {
    throw Error(errc::kInvalidCall, "KELVO_SECRET is shorter than 16 bytes");
  }
  return secret;
}

bool IsLoopback(std::string_view host) {
  return host == "localhost" || host == "::1" || host == "[::1]" || host.starts_with("127.");
}

// Opens and closes the database once, so a wrong --db stops the start, not every request.
void CheckDatabase(const std::string& connection_string) {
  Connection connection;
  connection.Open(connection_string);
  connection.Close();
}

std::string Url(const std::string& host, int port, bool tls) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (tls ? "https://" : "http://") + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

// SIGINT and SIGTERM are blocked in every thread (block them before any thread starts) and
// taken by one waiting thread, which stops the server; requests in flight finish first.
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

class StopOnSignal final {
 public:
  explicit StopOnSignal(HttpServer& server)
      : waiter_([this, &server] {
          const sigset_t signals = StopSignals();
          int signal = 0;
          sigwait(&signals, &signal);
          if (!ending_) {
            std::cerr << "kelvo: stopping; requests in flight finish first" << std::endl;
            server.Stop();
          }
        }) {}
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;
  // Wakes the waiting thread when no signal came, and waits for it.
  ~StopOnSignal() {
    ending_ = true;
    pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
  }

 private:
  std::atomic<bool> ending_ = false;
  std::thread waiter_;
};

}  // namespace

int RunServeCommand(std::span<const std::string_view> args) {
  ServeArguments parsed;
  if (!Parse(args, parsed)) {
    std::cerr << kUsage;
    return 2;
  }
  Locale::Find(parsed.locale);
  // Anyone who reaches the port could change every table.
  if (parsed.edit && parsed.users.empty() && !IsLoopback(parsed.host)) {
    throw Error(errc::kInvalidCall,
                "--edit on " + parsed.host +
                    " lets anyone who reaches it change the data: give --users FILE (see kelvo "
                    "users) or listen on a loopback address");
  }
  ServerOptions options;
  options.host = parsed.host;
  options.port = parsed.port;
  options.defaults.locale = parsed.locale;
  options.signing_secret = SigningSecret(parsed);
  options.table_editing = parsed.edit;
  options.allowed_hosts = parsed.allowed_hosts;
  options.users_file = parsed.users;
  options.audit_file = parsed.audit;
  options.audit_values = parsed.audit_values;
  options.trust_proxy = parsed.trust_proxy;
  options.tls_certificate_file = parsed.tls_cert;
  options.tls_key_file = parsed.tls_key;

  const bool demo = parsed.pages.empty() && parsed.db.empty();
  if (demo) {
    if (!std::filesystem::exists(kDemoDatabase)) {
      std::cout << "Creating the demo database " << kDemoDatabase << " ..." << std::endl;
      CreateDemoDatabase(kDemoDatabase);
    }
    options.defaults.connection = "sqlite:" + std::string(kDemoDatabase);
  } else if (!parsed.db.empty()) {
    options.defaults.connection = ConnectionFromArgument(parsed.db);
  }
  if (!options.defaults.connection.empty()) CheckDatabase(options.defaults.connection);

  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  HttpServer server(options);
  if (demo) {
    for (const auto& [file, text] : DemoPages()) {
      server.AddPage(std::filesystem::path(file).stem().string(), PageFile::Parse(text, file));
    }
  }
  if (!parsed.pages.empty()) server.AddPageFolder(parsed.pages);
  const int port = server.Bind();
  std::cout << "Kelvo is serving " << (demo ? "the demo " : "") << "at " << Url(parsed.host, port, !parsed.tls_cert.empty())
            << "  (Ctrl+C stops)" << std::endl;
  {
    StopOnSignal stop_on_signal(server);
    server.Run();
  }
  std::cout << "Kelvo has stopped." << std::endl;
  return 0;
}

}  // namespace kelvo::apps
