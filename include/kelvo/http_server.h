// An HTTP server that hosts Kelvo pages: page files, pages written in C++, and a browser of the
// tables of one database.
//
// Connections are served by one event loop, so an idle or slow one costs no thread; each page
// runs on a worker thread with its own grids and connections; nothing is shared between
// requests but the immutable page files. A page's output is buffered (so
// Response::Clear works) until the page ends, then sent with its length; a page that calls
// Response::StartStreaming sends from then on as it writes, without holding the output in
// memory. A failure that leaves a page answers 500 with the failure's description and a line
// on standard error; every request writes one access-log line on standard error. A POST from
// a page of another site (its Origin, or else its Referer, names another host than its Host)
// is refused with 403 before any page runs.
#ifndef KELVO_HTTP_SERVER_H_
#define KELVO_HTTP_SERVER_H_

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kelvo/export.h"
#include "kelvo/page_file.h"

namespace kelvo {

class ScriptingContext;

struct ServerOptions {
  std::string host = "127.0.0.1";
  // Requests are answered only when their Host header names this server: localhost,
  // 127.0.0.1, [::1], `host` unless it is a wildcard, or one of these names (with or without a
  // port). Others get 421, so another site's pages cannot read the server through DNS
  // rebinding.
  std::vector<std::string> allowed_hosts;
  int port = 8080;  // 0 picks a free port; HttpServer::port tells which
  // Request bodies above this size are refused with 413 before any page runs; a Content-Length
  // above it is refused before any of the body is read.
  std::size_t max_body_bytes = 1024 * 1024;
  int threads = 8;  // pages run at once; waiting and idle connections take no thread
  // Limits that keep idle, slow and oversized requests from starving the others. A request
  // line and header fields above max_header_bytes are refused with 431; a client address with
  // max_connections_per_address connections open has further ones answered 503 and closed.
  std::size_t max_header_bytes = 64 * 1024;
  int max_connections_per_address = 64;
  // Deadlines, each closing the connection when it passes: for the next request on a
  // keep-alive connection, for a request's head once its first byte came, for its body, and
  // for each piece of a response the client is slow to take.
  std::chrono::seconds idle_timeout{60};
  std::chrono::seconds header_timeout{10};
  std::chrono::seconds body_timeout{60};
  std::chrono::seconds send_timeout{60};
  // The connection and locale of pages that name none. The connection is also the database
  // of the table browser.
  PageDefaults defaults;
  // Key of the statement signatures pages carry; empty selects a random key per process.
  std::string signing_secret;
  bool table_browser = true;   // "/" lists pages and tables, /table/NAME shows a table
  bool table_editing = false;  // the browser's tables with a primary key can be edited
  // The users file (kelvo/users.h). When set, every page but /login, the stylesheet and the
  // images needs a signed-in user: a browser without one is sent to /login?next=PATH, a POST
  // without one is refused with 403. Sessions are cookies signed with `signing_secret` (so
  // set one for servers that share sign-ins), ending after `session_lifetime`. Every grid form
  // carries the session's token, and a POST without it is refused with 403 before any page
  // runs. A page runs with the user in REMOTE_USER and LOGON_USER and writes only when the
  // user's role may write it. The file is read again when it changes; the constructor throws
  // Error naming the file and line when it is broken.
  std::filesystem::path users_file;
  std::chrono::seconds session_lifetime{12 * 60 * 60};
  // When set, every save, insert and delete a page tries appends one JSON line to this file
  // (time, user, address, page, table, key, outcome, and each changed field's old and new
  // value, or only the fields' names without `audit_values`) before the page answers. The
  // constructor throws Error when the file cannot be opened.
  std::filesystem::path audit_file;
  bool audit_values = true;
  // For a server that only a reverse proxy reaches: the client's address and scheme come from
  // the proxy's X-Forwarded-For (its last address) and X-Forwarded-Proto headers, for
  // REMOTE_ADDR, HTTPS, sign-in limits, the audit trail and Secure cookies.
  bool trust_proxy = false;
  // Both set: the server speaks HTTPS only, with this certificate chain and private key (PEM
  // files). The constructor throws Error naming the file that cannot be used. Requests then
  // have HTTPS "on" and session cookies are Secure.
  std::filesystem::path tls_certificate_file;
  std::filesystem::path tls_key_file;
  // How long Stop waits for requests in flight before it closes their connections.
  std::chrono::seconds drain_timeout{30};
};

// A page written in C++: gets the page's context and writes to its response.
using PageHandler = std::function<void(const std::shared_ptr<ScriptingContext>&)>;

class KELVO_EXPORT HttpServer final {
 public:
  explicit HttpServer(ServerOptions options);
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;
  // Stops the server when it is still running.
  ~HttpServer();

  // Serves a page file at /NAME (letters, digits, '-' and '_'). May be called while running.
  void AddPage(std::string_view name, std::shared_ptr<const PageFile> page);
  // Serves each NAME.toml of the folder at /NAME; a file is read again when it changes.
  // Throws PageFileError for the first file that does not load.
  void AddPageFolder(const std::filesystem::path& folder);
  // Serves `handler` at exactly `path` (starting with "/"), before any other page. Only
  // before Bind.
  void AddHandler(std::string path, PageHandler handler);

  // Opens the listening socket and returns its port. Throws Error when the address cannot be
  // bound.
  int Bind();
  int port() const;
  // Serves until Stop. Binds first when Bind was not called. Ignores SIGPIPE in the process,
  // so that a client that goes away cannot end it.
  void Run();
  // Lets requests in flight finish (up to drain_timeout), answering new ones 503, then stops
  // listening; Run returns. Thread-safe; may be called before Run, and more than once.
  void Stop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kelvo

#endif  // KELVO_HTTP_SERVER_H_
