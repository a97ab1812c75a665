// One client connection of the HTTP host, served without a thread of its own: it waits for
// requests, reads them within limits and deadlines, hands each to the server and writes the
// answer, on the server's event loop. The same connection serves plain TCP and TLS; over TLS
// the handshake comes first, under the deadline of a request's head.
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
#include <memory>
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
  // Held until the response is sent or given up.
  std::shared_ptr<void> in_flight;
};

// A status page as the answer.
Reply StatusReply(int status, std::string_view detail = {});

class HttpConnection;

// What a connection asks of the server. Called on the event loop only.
class ConnectionServer {
 public:
  virtual const ConnectionLimits& limits() const = 0;
  // The request's head is read. False refuses it with `refusal` before its body is read.
  virtual bool Admit(const HttpRequest& request, Reply& refusal) = 0;
  // The whole request is read.
  virtual Reply Handle(const HttpRequest& request, std::string body) = 0;
  virtual void Closed(HttpConnection& connection) = 0;
  // Thread-safe: the event loop soon calls the connection's Poll.
  virtual void Wake(std::shared_ptr<HttpConnection> connection) = 0;

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
  void Poll() override { PollPage(); }

 private:
  std::shared_ptr<StreamConnection> Self();
  boost::beast::tcp_stream& tcp() { return boost::beast::get_lowest_layer(stream_); }
  void TakeEndpoints();
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
  void TakeHead();
  void Respond(Reply reply);
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
};

extern template class StreamConnection<PlainStream>;
extern template class StreamConnection<TlsStream>;

}  // namespace kelvo::server

#endif  // KELVO_SERVER_HTTP_CONNECTION_H_
