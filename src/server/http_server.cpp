#include "kelvo/http_server.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "kelvo/error.h"
#include "kelvo/host.h"
#include "server/access_log.h"
#include "server/http_request.h"
#include "server/page_exchange.h"
#include "server/request_guard.h"
#include "server/status_page.h"
#include "server/worker_pool.h"
#include "site/page_site.h"
#include "site/static_assets.h"

namespace kelvo {
namespace {

using Clock = std::chrono::steady_clock;

// What the access log and the error handler need to know of the request a connection thread is
// answering. Reset after each request is logged.
struct RequestTrace {
  Clock::time_point start{};
  bool page_answered = false;  // the response is a page's own, not one of the library's
  std::shared_ptr<server::PageExchange> streamed;
};
thread_local RequestTrace t_trace;

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

void AnswerStatus(httplib::Response& res, int status, std::string_view detail = {}) {
  res.status = status;
  res.set_content(server::StatusPage(status, detail), std::string(kHtml));
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

}  // namespace

class HttpServer::Impl {
 public:
  explicit Impl(ServerOptions options)
      : options_(std::move(options)),
        hosts_(options_.host, options_.allowed_hosts),
        site_({options_.defaults, options_.table_browser, options_.table_editing}),
        workers_(options_.threads) {
    const auto threads = static_cast<std::size_t>(options_.threads);
    http_.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http_.set_payload_max_length(options_.max_body_bytes);
    // The head and the body go out in separate writes; without this the body waits for the
    // client's delayed acknowledgement of the head (40 ms) on every keep-alive response.
    http_.set_tcp_nodelay(true);
    // The library's default closes a keep-alive connection after 5 requests; a browser paging
    // through a grid would reconnect every few clicks.
    http_.set_keep_alive_max_count(100);
    // The library's default adds SO_REUSEPORT, which lets a second server bind the same port and
    // take half its connections; a port in use must refuse the second one.
    http_.set_socket_options([](socket_t sock) {
      const int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      t_trace = RequestTrace{Clock::now(), false, nullptr};
      return CheckHost(req, res) ? httplib::Server::HandlerResponse::Unhandled
                                 : httplib::Server::HandlerResponse::Handled;
    });
    http_.set_logger(
        [](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });
    http_.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
          if (t_trace.page_answered || !res.body.empty()) {
            return httplib::Server::HandlerResponse::Unhandled;
          }
          res.set_content(server::StatusPage(res.status), std::string(kHtml));
          return httplib::Server::HandlerResponse::Handled;
        }));
    http_.set_exception_handler(
        [](const httplib::Request& req, httplib::Response& res, std::exception_ptr failure) {
          std::string description;
          try {
            std::rethrow_exception(failure);
          } catch (...) {
            description = DescribeCurrentFailure();
          }
          server::WriteLogLine("kelvo: " + req.method + " " + req.path + " failed: " + description);
          AnswerStatus(res, 500, description);
        });
    http_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      Answer(req, res, {});
    });
    http_.Post(".*", [this](const httplib::Request& req, httplib::Response& res,
                            const httplib::ContentReader& reader) { Post(req, res, reader); });
    const auto refuse = [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Allow", "GET, HEAD, POST");
      AnswerStatus(res, 405);
    };
    http_.Put(".*", refuse);
    http_.Patch(".*", refuse);
    http_.Delete(".*", refuse);
    http_.Options(".*", refuse);
  }

  ~Impl() { Stop(); }

  void AddHandler(std::string path, PageHandler handler) {
    if (bound_) throw Error(errc::kInvalidCall, "HttpServer: handlers are added before Bind");
    site_.AddHandler(std::move(path), std::move(handler));
  }

  int Bind() {
    if (bound_) return port_;
    errno = 0;
    int port = options_.port;
    if (port == 0) {
      port = http_.bind_to_any_port(options_.host);
    } else if (!http_.bind_to_port(options_.host, port)) {
      port = -1;
    }
    if (port < 0) {
      const std::string reason = errno != 0 ? std::string(": ") + std::strerror(errno) : "";
      throw Error(errc::kInvalidCall, "Cannot listen on " + options_.host + ":" +
                                          std::to_string(options_.port) + reason);
    }
    port_ = port;
    bound_ = true;
    return port;
  }

  int port() const { return port_; }

  void Run() {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      std::signal(SIGPIPE, SIG_IGN);
    }
    Bind();
    running_ = true;
    if (!stop_requested_) http_.listen_after_bind();
    running_ = false;
  }

  void Stop() {
    {
      std::unique_lock lock(mutex_);
      draining_ = true;
      idle_.wait_for(lock, options_.drain_timeout, [this] { return in_flight_ == 0; });
    }
    stop_requested_ = true;
    // Run may be between its check and the start of listening; ask until it is out.
    while (running_) {
      http_.stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  site::PageRegistry& pages() { return site_.pages(); }

 private:
  // Browsers always send Host; one naming another server is a page of another site that got
  // its name pointed at this address.
  bool CheckHost(const httplib::Request& req, httplib::Response& res) const {
    const std::size_t hosts = req.get_header_value_count("Host");
    if (hosts != 1) {
      if (hosts == 0 && req.version == "HTTP/1.0") return true;
      AnswerStatus(res, 400, "The request must name exactly one host.");
      return false;
    }
    const std::string host = req.get_header_value("Host");
    if (hosts_.Allows(host)) return true;
    AnswerStatus(res, 421,
                 "This server does not answer for the host \"" + host +
                     "\". A server reached under another name than localhost is started "
                     "with that name allowed (kelvo serve --allowed-host NAME).");
    return false;
  }

  static void Log(const httplib::Request& req, const httplib::Response& res) {
    server::AccessRecord record;
    record.remote_addr = req.remote_addr;
    record.method = req.method;
    record.target = req.target.empty() ? req.path : req.target;
    record.version = req.version;
    record.status = res.status;
    record.bytes = t_trace.streamed ? t_trace.streamed->streamed_bytes() : res.body.size();
    if (t_trace.start != Clock::time_point{}) record.elapsed = Clock::now() - t_trace.start;
    server::WriteLogLine(server::FormatAccessLine(record, std::chrono::system_clock::now()));
    t_trace = RequestTrace{};
  }

  void Post(const httplib::Request& req, httplib::Response& res,
            const httplib::ContentReader& reader) {
    std::string body;
    bool too_large = false;
    const auto receive = [&](const char* data, std::size_t size) {
      if (body.size() + size > options_.max_body_bytes) {
        too_large = true;
        return false;
      }
      body.append(data, size);
      return true;
    };
    bool complete;
    if (req.is_multipart_form_data()) {
      // Pages read url-encoded forms only; the parts are counted against the limit and dropped.
      complete = reader([](const httplib::MultipartFormData&) { return true; }, receive);
      body.clear();
    } else {
      complete = reader(receive);
    }
    if (!complete) {
      // The rest of the body is still on the connection, so it cannot carry another request.
      res.set_header("Connection", "close");
      AnswerStatus(res, too_large || res.status == 413 ? 413 : 400,
                   too_large || res.status == 413
                       ? "The request body is larger than " +
                             std::to_string(options_.max_body_bytes) + " bytes."
                       : "The request body could not be read.");
      return;
    }
    // A form on another site's page must not write through the visitor's browser.
    if (server::PostedFromAnotherSite(req.get_header_value("Host"),
                                      req.get_header_value("Origin"),
                                      req.get_header_value("Referer"))) {
      AnswerStatus(res, 403,
                   "The form was posted from a page of another site; nothing was changed.");
      return;
    }
    Answer(req, res, std::move(body));
  }

  void Answer(const httplib::Request& req, httplib::Response& res, std::string body) {
    site::StaticAsset asset;
    if (site::FindStaticAsset(req.path, asset)) {
      if (req.method == "POST") {
        res.set_header("Allow", "GET, HEAD");
        AnswerStatus(res, 405);
        return;
      }
      // The paths carry no version, so a changed asset reaches browsers within the lifetime;
      // after it they revalidate with the tag.
      res.set_header("Cache-Control", "public, max-age=2592000");
      res.set_header("ETag", std::string(asset.etag));
      if (AnyTagMatches(req.get_header_value("If-None-Match"), asset.etag)) {
        res.status = 304;
        return;
      }
      res.set_content(asset.bytes.data(), asset.bytes.size(), std::string(asset.content_type));
      return;
    }
    site::PageRoute route;
    try {
      if (!site_.Route(req.path, route)) {
        AnswerStatus(res, 404, "Nothing is served at " + req.path + ".");
        return;
      }
    } catch (...) {
      const std::string description = DescribeCurrentFailure();
      server::WriteLogLine("kelvo: " + req.method + " " + req.path + " failed: " + description);
      AnswerStatus(res, 500, description);
      return;
    }
    {
      std::lock_guard lock(mutex_);
      if (draining_) {
        res.set_header("Connection", "close");
        AnswerStatus(res, 503, "The server is shutting down.");
        return;
      }
      ++in_flight_;
    }
    RunPage(req, res, std::move(body), std::move(route));
  }

  void RunPage(const httplib::Request& req, httplib::Response& res, std::string body,
               site::PageRoute route) {
    auto exchange = std::make_shared<server::PageExchange>();
    PageOptions page_options{route.locale, options_.signing_secret};
    std::string what = req.method + " " + req.path;
    workers_.Submit([exchange, page_options = std::move(page_options), what = std::move(what),
                     handler = std::move(route.handler),
                     data = server::MakeRequestData(req, std::move(body), route.script_name,
                                                    options_.host)]() mutable {
      RunOnWorker(*exchange, std::move(data), std::move(page_options), handler, what);
    });

    server::PageExchange::Head head = exchange->WaitForHead();
    t_trace.page_answered = true;
    res.status = head.status;
    std::string content_type;
    for (auto& [name, value] : head.headers) {
      if (name == "Content-Type") {
        content_type = std::move(value);
      } else {
        res.headers.emplace(std::move(name), std::move(value));
      }
    }
    if (!head.streaming) {
      res.body = std::move(head.body);
      if (!content_type.empty()) res.set_header("Content-Type", content_type);
      FinishRequest();
      return;
    }
    t_trace.streamed = exchange;
    res.set_chunked_content_provider(
        content_type.empty() ? "application/octet-stream" : content_type,
        [exchange](std::size_t, httplib::DataSink& sink) {
          bool finished = false;
          const bool going = exchange->Pump(
              [&sink](const char* data, std::size_t size) { return sink.write(data, size); },
              finished);
          if (going && finished) sink.done();
          return going;
        },
        [this, exchange](bool) {
          exchange->Release();
          FinishRequest();
        });
  }

  static void RunOnWorker(server::PageExchange& exchange, RequestData data,
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
  server::HostAllowList hosts_;
  site::PageSite site_;
  httplib::Server http_;
  std::atomic<bool> bound_ = false;
  std::atomic<int> port_ = 0;
  std::atomic<bool> running_ = false;
  std::atomic<bool> stop_requested_ = false;
  std::mutex mutex_;
  std::condition_variable idle_;
  int in_flight_ = 0;
  bool draining_ = false;
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
