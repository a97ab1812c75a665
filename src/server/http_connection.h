// One client connection of the HTTP host, served without a thread of its own: it waits for
// requests, reads them within limits and deadlines, hands each to the server and writes the
// answer, on the server's event loop. Over plain TCP, while other pages run, the worker that
// wrote a keep-alive answer may hold the connection for a moment and serve its next request
// itself. The same connection serves plain TCP and TLS; over TLS the handshake comes first,
// under the deadline of a request's head.
#ifndef KELVO_SERVER_HTTP_CONNECTION_H_
#define KELVO_SERVER_HTTP_CONNECTION_H_

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "kelvo/host.h"
#include "server/http_request.h"
#include "server/page_exchange.h"

namespace kelvo::server {

struct ConnectionLimits {
  std::size_t max_header_bytes = 0;  // the request line and the header fields
  std::size_t max_body_bytes = 0;
  std::chrono::steady_clock::duration idle_timeout{};    // waiting for the next request
  std::chrono::steady_clock::duration header_timeout{};  // from its first byte to its last field
  std::chrono::steady_clock::duration body_timeout{};
  std::chrono::steady_clock::duration send_timeout{};  // for each piece of a response
  int max_requests = 0;                                 // on one keep-alive connection
};

// An answer: whole, or the exchange of a page that produces it.
struct Reply {
  int status = 200;
  NameValueList headers;
  std::string body;
  bool close = false;  // the connection closes after it
  std::shared_ptr<PageExchange> page;
  // The page's work, which the connection starts once it awaits the page's answer.
  std::function<void()> run;
  // Held until the response is sent or given up.
  std::shared_ptr<void> in_flight;
};

// A status page as the answer.
Reply StatusReply(int status, std::string_view detail = {});

class HttpConnection;

// Why a connection is handed to the event loop.
enum class WakeFor {
  kPage,      // the page has news: the loop calls the connection's Poll
  kHandBack,  // a worker that held the connection gives it back: the loop calls its Resume
  kRelease,   // a worker lets go of its share, which must not be the last away from the loop
};

// What a connection asks of the server. Admit and Handle are called on the event loop and on
// a worker that holds a connection, so they are thread-safe; Closed on the loop only.
class ConnectionServer {
 public:
  virtual const ConnectionLimits& limits() const = 0;
  // The request's head is read. False refuses it with `refusal` before its body is read.
  virtual bool Admit(const HttpRequest& request, Reply& refusal) = 0;
  // The whole request is read.
  virtual Reply Handle(const HttpRequest& request, std::string body) = 0;
  virtual void Closed(HttpConnection& connection) = 0;
  // Thread-safe: the event loop soon does what `why` says.
  virtual void Wake(std::shared_ptr<HttpConnection> connection, WakeFor why = WakeFor::kPage) = 0;
  // Thread-safe: runs `task` on a worker.
  virtual void RunOnWorker(std::function<void()> task) = 0;
  // Thread-safe. A worker may hold a keep-alive connection after answering it, to serve its
  // next request at once; the slots leave a worker free for other connections' pages. No slot
  // is given while no page runs: with the cores free, the loop and an idle worker watching
  // answer a lone client sooner.
  virtual bool TakeHoldSlot() = 0;
  virtual void ReturnHoldSlot() = 0;
  // Thread-safe, for a holding worker: whether holding still pays, as other pages run and none
  // waits for a worker.
  virtual bool KeepHolding() const = 0;
  // Thread-safe: calls `look` between yields for a moment while a core is free; whether it
  // found what it looked for. A wait in the kernel costs a wake-up that watching saves.
  virtual bool WatchBriefly(const std::function<bool()>& look) = 0;

 protected:
  ~ConnectionServer() = default;
};

class HttpConnection : public std::enable_shared_from_this<HttpConnection> {
 public:
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;
  virtual ~HttpConnection() = default;

  // Serves requests until the client leaves, a deadline passes or a limit is reached.
  virtual void Start() = 0;
  // Answers `reply` without reading a request, then closes.
  virtual void Refuse(Reply reply) = 0;
  // Closes at once; a page still writing to it gets false from then on.
  virtual void Close() = 0;
  // On the event loop: looks again at the page being answered.
  virtual void Poll() = 0;
  // On the event loop: takes the connection back from the worker that held it.
  virtual void Resume() = 0;

  const std::string& remote_addr() const { return remote_addr_; }

 protected:
  HttpConnection() = default;

  std::string remote_addr_;
};

using PlainStream = boost::beast::tcp_stream;
using TlsStream = boost::beast::ssl_stream<boost::beast::tcp_stream>;

// A connection over `Stream`: PlainStream or TlsStream.
template <class Stream>
class StreamConnection final : public HttpConnection {
 public:
  static constexpr bool kTls = !std::is_same_v<Stream, PlainStream>;

  // Over TLS, `tls` is the server's context (its certificate and key).
  template <class... Tls>
  StreamConnection(ConnectionServer& server, boost::asio::ip::tcp::socket socket, Tls&... tls)
      : server_(server), stream_(std::move(socket), tls...), timer_(tcp().get_executor()) {
    TakeEndpoints();
  }
  ~StreamConnection() override;

  void Start() override;
  void Refuse(Reply reply) override;
  void Close() override;
  void Poll() override {
    Attach();
    PollPage();
  }
  void Resume() override;

 private:
  std::shared_ptr<StreamConnection> Self();
  boost::beast::tcp_stream& tcp() { return boost::beast::get_lowest_layer(stream_); }
  void TakeEndpoints();
  // Takes the socket out of the event loop's watch, for a worker holding the connection, and
  // puts it back (on the loop).
  void Detach();
  void Attach();
  // The connection closes at `deadline` unless another is set first; none while a page is
  // consulted. The timer is moved only to an earlier time: a later deadline is found when the
  // timer fires, so a request that moves it on costs no system call.
  void SetDeadline(std::chrono::steady_clock::time_point deadline);
  void ExpireAfter(std::chrono::steady_clock::duration timeout);
  void ArmTimer(std::chrono::steady_clock::time_point when);
  void OnTimer();
  // Over TLS, the handshake before the first read or write; then `next`.
  template <class Next>
  void Handshake(Next next);
  void WaitForRequest();
  void ReadHeader();
  void ParseHeader();
  void OnHeader(boost::beast::error_code error);
  void ReadBody();
  void OnBody(boost::beast::error_code error);
  // Answers a request that could not be read whole; the connection closes after it.
  void RefuseUnread(int status, std::string_view detail);
  // 413 for a body over the limit, whether its Content-Length or its bytes told.
  void RefuseLargeBody();
  // A fresh parser and request state for the next request.
  void NewRequest();
  // Takes the parsed head into request_, and whether the connection stays open after it.
  void TakeHead();
  void Respond(Reply reply);
  // Lets the page's thread wake the connection and, when `direct`, write the response itself;
  // then looks at the page once.
  void AwaitPage(bool direct);
  // On the worker that ran the page answering a keep-alive request: while the response went
  // out whole and the next request follows at once, the worker serves it too, with no hand-off
  // to the loop and back. `self` is handed to the loop at the end, so the connection is never
  // destroyed away from it.
  void ServeWhileHeld(std::shared_ptr<StreamConnection> self, std::shared_ptr<PageExchange> page);
  // Claims the connection for the worker once `page` is written whole.
  bool Hold(const PageExchange& page);
  void Unhold();
  // Waits briefly for the next request and, when it came whole and is a page to run, sets the
  // page up and gives its work in `run`. False: the loop takes over as `resumption_` says.
  bool TakeNextRequest(std::function<void()>& run);
  // Parses a whole request from the buffer, which keeps its bytes when there is none.
  bool ParseBuffered();
  void HandBack(std::shared_ptr<StreamConnection> self);
  void PollPage();
  // On the page's thread, under the exchange's lock: writes the finished buffered response
  // while the loop waits for the client; true when the socket took it all.
  bool WriteFromPage(PageExchange::Head& head);
  // The client has sent more or gone while the page's thread may be answering.
  void OnReadable();
  // The page's thread wrote the whole response: on to the next request.
  void FinishWritten();
  // Formats the head and takes the body of a buffered response.
  void Prepare(int status, const NameValueList& headers, std::string& body);
  std::array<boost::asio::const_buffer, 3> Pieces(bool with_chunk, std::size_t skip) const;
  // True when the response is sent whole at once; else Finished follows on the loop.
  bool WriteWhole(int status, const NameValueList& headers, std::string& body);
  // Writes the bytes the socket takes now; false when it failed.
  bool WriteNow(std::array<boost::asio::const_buffer, 3>& pieces, std::size_t& written);
  std::string FormatHead(int status, const NameValueList& headers, std::string_view framing);
  // Writes out_, and with `with_chunk` the chunk, the first `skip` bytes left out. True when
  // the socket took it all at once; else the rest goes out on the loop, and Finished or
  // PollPage follows.
  bool Send(bool with_chunk, std::size_t skip = 0);
  void Finished();
  void Log() const;
  // Closes after the response: no more sending, and the client's late bytes are read and
  // dropped for a moment, so that its unread bytes do not reset the connection before it has
  // read the response.
  void Linger();
  void Discard();

  ConnectionServer& server_;
  Stream stream_;
  bool handshaken_ = !kTls;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  int remote_port_ = 0;
  int local_port_ = 0;
  // The socket's descriptor stays the same while the socket object lets go of it.
  int socket_fd_ = -1;
  boost::asio::ip::tcp protocol_ = boost::asio::ip::tcp::v4();
  std::atomic<bool> detached_ = false;

  boost::asio::steady_timer timer_;
  static constexpr std::chrono::steady_clock::time_point kNever =
      std::chrono::steady_clock::time_point::max();
  // Set by the page's thread too, when it has written the response.
  std::atomic<std::chrono::steady_clock::time_point> deadline_ = kNever;
  std::chrono::steady_clock::time_point timer_at_ = kNever;  // kNever: not waiting
  std::chrono::steady_clock::time_point head_deadline_{};

  std::size_t header_bytes_ = 0;  // of the request being read
  HttpRequest request_;
  std::chrono::steady_clock::time_point start_{};
  // When the last answer went out whole; set by the page's thread too, before the loop next
  // reads it.
  std::chrono::steady_clock::time_point answered_at_{};
  Reply reply_;
  int requests_ = 0;
  bool keep_alive_ = false;
  bool head_only_ = false;  // a HEAD request: the head is sent, the body is not
  bool head_written_ = false;
  bool chunked_ = false;
  bool closed_ = false;
  std::string out_;    // the head, or the whole response, being written
  std::string chunk_;  // the streamed bytes being written
  std::uint64_t body_bytes_ = 0;
  std::size_t written_by_page_ = 0;

  // While `held_`, the holding worker alone touches the connection; a close from the loop then
  // only asks, and shuts the socket down so that the worker's wait ends. `held_` is under
  // hold_mutex_, and so are the loop's close and the worker's check of `closed_`.
  std::mutex hold_mutex_;
  bool held_ = false;
  std::atomic<bool> close_requested_ = false;
  // What the loop does on taking the connection back.
  enum class Resumption { kFinish, kRespond };
  Resumption resumption_ = Resumption::kFinish;
};

extern template class StreamConnection<PlainStream>;
extern template class StreamConnection<TlsStream>;

}  // namespace kelvo::server

#endif  // KELVO_SERVER_HTTP_CONNECTION_H_
