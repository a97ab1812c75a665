#include "kelvo/http_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <condition_variable>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <sys/eventfd.h>
#include <unistd.h>

#include "host/ascii_case.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "server/access_log.h"
#include "server/http_connection.h"
#include "server/http_request.h"
#include "server/page_exchange.h"
#include "server/request_guard.h"
#include "server/status_page.h"
#include "server/worker_pool.h"
#include "access/audit_trail.h"
#include "host/signing_secret.h"
#include "site/page_site.h"
#include "site/sign_in.h"
#include "site/static_assets.h"

namespace kelvo {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

constexpr std::string_view kHtml = "text/html; charset=utf-8";

std::string DescribeCurrentFailure() {
  try {
    throw;
  } catch (const Error& failure) {
    return failure.description();
  } catch (const std::exception& failure) {
    return failure.what();
  } catch (...) {
    return "an unknown failure";
  }
}

// Whether an If-None-Match list ("*", or tags with or without "W/") names `etag`.
bool AnyTagMatches(std::string_view list, std::string_view etag) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    std::string_view tag = list.substr(0, comma);
    while (!tag.empty() && (tag.front() == ' ' || tag.front() == '\t')) tag.remove_prefix(1);
    while (!tag.empty() && (tag.back() == ' ' || tag.back() == '\t')) tag.remove_suffix(1);
    if (tag.starts_with("W/")) tag.remove_prefix(2);
    if (tag == "*" || tag == etag) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

void CheckReadable(std::string_view what, const std::string& file) {
  std::ifstream in(file);
  if (!in) {
    throw Error(errc::kInvalidCall, "Cannot read the TLS " + std::string(what) + " file " + file +
                                        ": " + std::strerror(errno));
  }
}

// The context of a TLS server, or none. A file that cannot be read, or a key that is not the
// certificate's, stops the start with the file named.
std::unique_ptr<asio::ssl::context> MakeTlsContext(const ServerOptions& options) {
  if (options.tls_certificate_file.empty() && options.tls_key_file.empty()) return nullptr;
  if (options.tls_certificate_file.empty() || options.tls_key_file.empty()) {
    throw Error(errc::kInvalidCall, "HTTPS needs both a certificate file and a key file");
  }
  auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
  context->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                       asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                       asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use);
  const std::string certificate = options.tls_certificate_file.string();
  const std::string key = options.tls_key_file.string();
  CheckReadable("certificate", certificate);
  CheckReadable("key", key);
  boost::system::error_code error;
  if (context->use_certificate_chain_file(certificate, error)) {
    throw Error(errc::kInvalidCall,
                "The TLS certificate file " + certificate + " holds no PEM certificate");
  }
  if (context->use_private_key_file(key, asio::ssl::context::pem, error)) {
    throw Error(errc::kInvalidCall, "The TLS key file " + key + " holds no PEM private key");
  }
  if (SSL_CTX_check_private_key(context->native_handle()) != 1) {
    throw Error(errc::kInvalidCall, "The TLS key file " + key +
                                        " does not hold the key of the certificate in " +
                                        certificate);
  }
  return context;
}

server::Reply MethodNotAllowed(std::string allow) {
  server::Reply reply = server::StatusReply(405);
  reply.headers.emplace_back("Allow", std::move(allow));
  return reply;
}

}  // namespace

class HttpServer::Impl final : public server::ConnectionServer {
 public:
  explicit Impl(ServerOptions options)
      : options_(std::move(options)),
        pooling_(options_.threads),
        hosts_(options_.host, options_.allowed_hosts),
        site_({options_.defaults, options_.table_browser, options_.table_editing}),
        limits_{options_.max_header_bytes,
                options_.max_body_bytes,
                options_.idle_timeout,
                options_.header_timeout,
                options_.body_timeout,
                options_.send_timeout,
                // A browser paging through a grid keeps its connection for many clicks.
                100},
        tls_(MakeTlsContext(options_)),
        acceptor_(io_),
        pause_(io_),
        wake_fd_(OpenEventFd()),
        wake_signal_(io_, wake_fd_),
        workers_(options_.threads) {
    if (!options_.audit_file.empty()) {
      audit_ = std::make_shared<access::AuditTrail>(options_.audit_file, options_.audit_values);
    }
    if (options_.users_file.empty()) return;
    sign_in_ = std::make_unique<site::SignIn>(
        options_.users_file,
        options_.signing_secret.empty() ? ProcessSigningSecret() : options_.signing_secret,
        options_.session_lifetime);
    site_.AddHandler(
        "/login",
        [this](const std::shared_ptr<ScriptingContext>& context) { sign_in_->RenderLogin(context); },
        true);
    site_.AddHandler("/logout", [this](const std::shared_ptr<ScriptingContext>& context) {
      sign_in_->RenderLogout(context);
    });
  }

  ~Impl() {
    Stop();
    // A page still running when the loop stopped hands its connection back through Wake, which
    // no loop reads now; so does a worker that held the connection. Once the workers are done,
    // such connections are closed here: closing releases the page exchange that keeps each.
    workers_.Finish();
    CloseConnections();
  }

  void AddHandler(std::string path, PageHandler handler) {
    if (bound_) throw Error(errc::kInvalidCall, "HttpServer: handlers are added before Bind");
    site_.AddHandler(std::move(path), std::move(handler));
  }

  int Bind() {
    if (bound_) return port_;
    boost::system::error_code error;
    tcp::resolver resolver(io_);
    const auto found = resolver.resolve(options_.host, std::to_string(options_.port),
                                        tcp::resolver::passive | tcp::resolver::numeric_service,
                                        error);
    if (!error && found.empty()) error = asio::error::host_not_found;
    if (!error) {
      const tcp::endpoint endpoint = found.begin()->endpoint();
      // Without SO_REUSEPORT: a port in use must refuse a second server, not share its
      // connections with it.
      if (!acceptor_.open(endpoint.protocol(), error) &&
          !acceptor_.set_option(tcp::acceptor::reuse_address(true), error) &&
          !acceptor_.bind(endpoint, error)) {
        acceptor_.listen(asio::socket_base::max_listen_connections, error);
      }
    }
    if (error) {
      boost::system::error_code ignored;
      acceptor_.close(ignored);
      throw Error(errc::kInvalidCall, "Cannot listen on " + options_.host + ":" +
                                          std::to_string(options_.port) + ": " +
                                          error.message());
    }
    port_ = acceptor_.local_endpoint().port();
    bound_ = true;
    return port_;
  }

  int port() const { return port_; }

  void Run() {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      std::signal(SIGPIPE, SIG_IGN);
    }
    Bind();
    running_ = true;
    if (!stop_requested_) {
      Accept();
      AwaitWakes();
      RunLoop();
    }
    running_ = false;
  }

  void Stop() {
    {
      std::unique_lock lock(mutex_);
      draining_ = true;
      idle_.wait_for(lock, options_.drain_timeout, [this] { return in_flight_ == 0; });
    }
    if (stop_requested_.exchange(true)) return;
    asio::post(io_, [this] {
      boost::system::error_code ignored;
      acceptor_.close(ignored);
      pause_.cancel();
      CloseConnections();
      io_.stop();
    });
    // Run may be between its check and the start of the loop; wait until it is out.
    while (running_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  site::PageRegistry& pages() { return site_.pages(); }

  const server::ConnectionLimits& limits() const override { return limits_; }

  // Browsers always send Host; one naming another server is a page of another site that got
  // its name pointed at this address.
  bool Admit(const server::HttpRequest& request, server::Reply& refusal) override {
    const std::size_t hosts = request.HeaderCount("Host");
    if (hosts != 1) {
      if (hosts == 0 && request.version == "HTTP/1.0") return true;
      refusal = server::StatusReply(400, "The request must name exactly one host.");
      return false;
    }
    const std::string host = request.Header("Host");
    if (hosts_.Allows(host)) return true;
    refusal = server::StatusReply(
        421, "This server does not answer for the host \"" + host +
                 "\". A server reached under another name than localhost is started "
                 "with that name allowed (kelvo serve --allowed-host NAME).");
    return false;
  }

  server::Reply Handle(const server::HttpRequest& received, std::string body) override {
    server::HttpRequest forwarded;
    if (options_.trust_proxy) {
      forwarded = received;
      server::TakeForwardedClient(forwarded);
    }
    const server::HttpRequest& request = options_.trust_proxy ? forwarded : received;
    try {
      if (request.method == "POST") return Post(request, std::move(body));
      if (request.method == "GET" || request.method == "HEAD") return Answer(request, {});
      return MethodNotAllowed("GET, HEAD, POST");
    } catch (...) {
      const std::string description = DescribeCurrentFailure();
      server::WriteLogLine("kelvo: " + request.method + " " + request.path +
                           " failed: " + description);
      return server::StatusReply(500, description);
    }
  }

  void Wake(std::shared_ptr<server::HttpConnection> connection, server::WakeFor why) override {
    bool first = false;
    {
      std::lock_guard lock(woken_mutex_);
      first = woken_.empty();
      woken_.emplace_back(std::move(connection), why);
    }
    // The last thing the page's thread does: the loop it wakes finds nothing of it locked.
    if (first) {
      const std::uint64_t one = 1;
      // Fails only when the counter would overflow, and then the loop is due to wake anyway.
      [[maybe_unused]] const ssize_t written = ::write(wake_fd_, &one, sizeof one);
    }
  }

  void RunOnWorker(std::function<void()> task) override { workers_.Submit(std::move(task)); }

  bool TakeHoldSlot() override {
    if (workers_.TasksRunning() == 0) return false;
    int held = holders_.load(std::memory_order_relaxed);
    while (held < options_.threads - 1) {
      if (holders_.compare_exchange_weak(held, held + 1, std::memory_order_relaxed)) return true;
    }
    return false;
  }

  void ReturnHoldSlot() override { holders_.fetch_sub(1, std::memory_order_relaxed); }

  // The holder itself is one of the tasks running.
  bool KeepHolding() const override {
    return workers_.TasksRunning() > 1 && !workers_.HasQueuedTasks();
  }

  bool WatchBriefly(const std::function<bool()>& look) override {
    return workers_.WatchWhileACoreIsFree(look);
  }

  void Closed(server::HttpConnection& connection) override {
    if (connections_.erase(&connection) == 0) return;
    const auto counted = per_address_.find(connection.remote_addr());
    if (counted != per_address_.end() && --counted->second == 0) per_address_.erase(counted);
  }

 private:
  // Closing a connection may end it, which takes it out of connections_.
  void CloseConnections() {
    const std::vector<server::HttpConnection*> open(connections_.begin(), connections_.end());
    for (server::HttpConnection* connection : open) connection->Close();
  }

  void Accept() {
    acceptor_.async_accept([this](boost::system::error_code error, tcp::socket socket) {
      if (!acceptor_.is_open()) return;
      if (error) {
        // Out of descriptors, most likely: wait for connections to close instead of spinning.
        pause_.expires_after(std::chrono::milliseconds(100));
        pause_.async_wait([this](boost::system::error_code cancelled) {
          if (!cancelled) Accept();
        });
        return;
      }
      Open(std::move(socket));
      Accept();
    });
  }

  // The event loop. Out of work, it watches for more for a moment before it sleeps in the
  // kernel: a client's next request or connection then finds it awake, which saves a wake-up
  // (tens of microseconds on a virtual machine) on every request while few clients are busy.
  void RunLoop() {
    const auto found_work = [this] { return io_.poll() > 0; };
    while (!io_.stopped()) {
      if (found_work()) continue;
      if (!workers_.WatchWhileACoreIsFree(found_work)) io_.run_one();
    }
  }

  static int OpenEventFd() {
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
      throw Error(errc::kInvalidCall, std::string("Cannot create the server's wake-up descriptor: ") +
                                          std::strerror(errno));
    }
    return fd;
  }

  void AwaitWakes() {
    wake_signal_.async_read_some(asio::buffer(&wake_count_, sizeof wake_count_),
                                 [this](boost::system::error_code error, std::size_t) {
                                   if (error) return;
                                   std::vector<Woken> woken;
                                   {
                                     std::lock_guard lock(woken_mutex_);
                                     woken.swap(woken_);
                                   }
                                   for (const auto& [connection, why] : woken) {
                                     if (why == server::WakeFor::kPage) connection->Poll();
                                     if (why == server::WakeFor::kHandBack) connection->Resume();
                                   }
                                   AwaitWakes();
                                 });
  }

  void Open(tcp::socket socket) {
    boost::system::error_code ignored;
    // The head and the body of a streamed response go out in separate writes; without this
    // each would wait for the client's delayed acknowledgement (40 ms).
    socket.set_option(tcp::no_delay(true), ignored);
    std::shared_ptr<server::HttpConnection> connection;
    if (tls_) {
      connection = std::make_shared<server::StreamConnection<server::TlsStream>>(
          *this, std::move(socket), *tls_);
    } else {
      connection = std::make_shared<server::StreamConnection<server::PlainStream>>(
          *this, std::move(socket));
    }
    int& open = per_address_[connection->remote_addr()];
    if (open >= options_.max_connections_per_address) {
      if (open == 0) per_address_.erase(connection->remote_addr());
      connection->Refuse(server::StatusReply(
          503, "Too many connections are open from this address; try again after one closes."));
      return;
    }
    ++open;
    connections_.insert(connection.get());
    connection->Start();
  }

  server::Reply Post(const server::HttpRequest& request, std::string body) {
    // Pages read url-encoded forms only; the parts of a multipart form are dropped.
    if (host::AsciiLowered(request.Header("Content-Type")).starts_with("multipart/form-data")) {
      body.clear();
    }
    // A form on another site's page must not write through the visitor's browser.
    if (server::PostedFromAnotherSite(request.Header("Host"), request.Header("Origin"),
                                      request.Header("Referer"))) {
      return server::StatusReply(
          403, "The form was posted from a page of another site; nothing was changed.");
    }
    return Answer(request, std::move(body));
  }

  server::Reply Answer(const server::HttpRequest& request, std::string body) {
    site::StaticAsset asset;
    if (site::FindStaticAsset(request.path, asset)) {
      if (request.method == "POST") return MethodNotAllowed("GET, HEAD");
      server::Reply reply;
      // The paths carry no version, so a changed asset reaches browsers within the lifetime;
      // after it they revalidate with the tag.
      reply.headers.emplace_back("Cache-Control", "public, max-age=2592000");
      reply.headers.emplace_back("ETag", std::string(asset.etag));
      if (AnyTagMatches(request.Header("If-None-Match"), asset.etag)) {
        reply.status = 304;
        return reply;
      }
      reply.headers.emplace_back("Content-Type", std::string(asset.content_type));
      reply.body.assign(asset.bytes.data(), asset.bytes.size());
      return reply;
    }
    site::PageRoute route;
    if (!site_.Route(request.path, route)) {
      return server::StatusReply(404, "Nothing is served at " + request.path + ".");
    }
    RequestData data =
        server::MakeRequestData(request, std::move(body), route.script_name, options_.host);
    PageOptions page_options;
    page_options.locale = route.locale;
    page_options.signing_secret = options_.signing_secret;
    std::string user;
    if (sign_in_ && !route.open) {
      server::Reply refusal;
      if (!SignedIn(request, route, data, page_options, user, refusal)) return refusal;
    }
    // Pages write only on a POST.
    if (audit_ && request.method == "POST") {
      page_options.journal = access::RequestJournal(audit_, user, request.remote_addr, request.path);
    }
    {
      std::lock_guard lock(mutex_);
      if (draining_) {
        server::Reply reply = server::StatusReply(503, "The server is shutting down.");
        reply.close = true;
        return reply;
      }
      ++in_flight_;
    }
    return RunPage(request, std::move(data), std::move(page_options), std::move(route.handler));
  }

  // Whether the request comes from a signed-in user whose role may see the page, and for a
  // POST carries the session's form token; the page then runs as that user.
  bool SignedIn(const server::HttpRequest& request, site::PageRoute& route,
                RequestData& data, PageOptions& page_options, std::string& user,
                server::Reply& refusal) {
    RequestCollection cookies;
    for (const auto& [name, value] : data.cookies) cookies.Add(name, value);
    const std::optional<site::Visitor> visitor = sign_in_->Identify(cookies);
    const bool posting = request.method == "POST";
    if (!visitor) {
      if (posting) {
        refusal = server::StatusReply(403, "Sign in first; nothing was changed.");
      } else {
        refusal = server::StatusReply(303);
        refusal.headers.emplace_back("Location", "/login?next=" + UrlEncode(request.target));
      }
      return false;
    }
    const bool may_see = route.page    ? route.page->MaySee(visitor->role)
                         : !route.table.empty() ? sign_in_->MaySeeTable(route.table, visitor->role)
                                                : true;
    if (!may_see) {
      refusal = server::StatusReply(403, "The role " + visitor->role + " may not see this page.");
      return false;
    }
    if (posting) {
      RequestCollection form;
      ParseUrlEncoded(data.body, form);
      if (!sign_in_->HasValidToken(cookies, form)) {
        refusal = server::StatusReply(
            403,
            "The form carries no valid token of your sign-in (it came from another site, or "
            "from before you signed in again); nothing was changed. Load the page again.");
        return false;
      }
    }
    if (route.index) {
      route.handler = site_.Index(
          {[role = visitor->role](const PageFile& page) { return page.MaySee(role); },
           [this, role = visitor->role](std::string_view table) {
             return sign_in_->MaySeeTable(table, role);
           }});
    }
    user = visitor->user;
    data.server_variables.emplace_back("REMOTE_USER", visitor->user);
    data.server_variables.emplace_back("LOGON_USER", visitor->user);
    page_options.form_token = visitor->form_token;
    page_options.may_write = route.page    ? route.page->MayWrite(visitor->role)
                             : !route.table.empty()
                                 ? sign_in_->MayWriteTable(route.table, visitor->role)
                                 : visitor->role == "editor";
    return true;
  }

  server::Reply RunPage(const server::HttpRequest& request, RequestData data,
                        PageOptions page_options, PageHandler handler) {
    server::Reply reply;
    reply.in_flight = std::shared_ptr<void>(nullptr, [this](void*) { FinishRequest(); });
    reply.page = std::make_shared<server::PageExchange>();
    std::string what = request.method + " " + request.path;
    reply.run = [exchange = reply.page, page_options = std::move(page_options),
                 what = std::move(what), handler = std::move(handler),
                 data = std::move(data)]() mutable {
      RunPageOnWorker(*exchange, std::move(data), std::move(page_options), handler, what);
    };
    return reply;
  }

  static void RunPageOnWorker(server::PageExchange& exchange, RequestData data,
                              PageOptions page_options, const PageHandler& handler,
                              const std::string& what) {
    bool failed = false;
    try {
      const auto context =
          std::make_shared<ScriptingContext>(std::move(data), exchange, std::move(page_options));
      try {
        handler(context);
      } catch (const PageEnded&) {
        // Response::End has sent the page.
      }
      exchange.BeginFinishing();
      context->response().Finish();
    } catch (...) {
      const std::string description = DescribeCurrentFailure();
      server::WriteLogLine("kelvo: " + what + " failed: " + description);
      if (exchange.head_sent()) {
        failed = true;
      } else {
        exchange.BeginFinishing();
        exchange.SendHead(500, {{"Content-Type", std::string(kHtml)}});
        exchange.SendBody(server::StatusPage(500, description));
      }
    }
    exchange.Done(failed);
  }

  void FinishRequest() {
    {
      std::lock_guard lock(mutex_);
      --in_flight_;
    }
    idle_.notify_all();
  }

  ServerOptions options_;
  // Pages' connections are pooled, one per worker, for as long as the server exists.
  PoolingByDefault pooling_;
  server::HostAllowList hosts_;
  site::PageSite site_;
  std::unique_ptr<site::SignIn> sign_in_;  // with a users file only
  std::shared_ptr<access::AuditTrail> audit_;
  server::ConnectionLimits limits_;
  std::atomic<bool> bound_ = false;
  std::atomic<int> port_ = 0;
  std::atomic<bool> running_ = false;
  std::atomic<bool> stop_requested_ = false;
  std::mutex mutex_;
  std::condition_variable idle_;
  int in_flight_ = 0;
  bool draining_ = false;
  // Touched on the event loop only; they outlive it, as connections end when it is destroyed.
  std::unordered_map<std::string, int> per_address_;
  std::unordered_set<server::HttpConnection*> connections_;
  std::unique_ptr<asio::ssl::context> tls_;  // serving HTTPS only
  asio::io_context io_{1};
  tcp::acceptor acceptor_;
  asio::steady_timer pause_;
  // Pages' news reaches the loop through an eventfd rather than asio::post: a post from a worker
  // wakes the loop while holding the loop's own lock, and the woken loop sleeps on it again.
  // Closed only when the server goes, after the workers, so a worker never writes to a reused
  // descriptor.
  int wake_fd_;
  asio::posix::stream_descriptor wake_signal_;
  std::uint64_t wake_count_ = 0;
  std::atomic<int> holders_ = 0;  // workers holding a keep-alive connection
  std::mutex woken_mutex_;
  using Woken = std::pair<std::shared_ptr<server::HttpConnection>, server::WakeFor>;
  std::vector<Woken> woken_;
  // Last member: destroyed first, so no page is still running when the rest goes.
  server::WorkerPool workers_;
};

HttpServer::HttpServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

HttpServer::~HttpServer() = default;

void HttpServer::AddPage(std::string_view name, std::shared_ptr<const PageFile> page) {
  impl_->pages().Add(name, std::move(page));
}

void HttpServer::AddPageFolder(const std::filesystem::path& folder) {
  impl_->pages().AddFolder(folder);
}

void HttpServer::AddHandler(std::string path, PageHandler handler) {
  impl_->AddHandler(std::move(path), std::move(handler));
}

int HttpServer::Bind() { return impl_->Bind(); }

int HttpServer::port() const { return impl_->port(); }

void HttpServer::Run() { impl_->Run(); }

void HttpServer::Stop() { impl_->Stop(); }

}  // namespace kelvo
