#include "server/http_connection.h"

#include <boost/asio/post.hpp>
#include <boost/asio/ssl/stream_base.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/status.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include "host/ascii_case.h"
#include "server/access_log.h"
#include "server/status_page.h"

namespace kelvo::server {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadSize = 16 * 1024;
constexpr auto kLinger = std::chrono::seconds(2);
// How long a worker holding a keep-alive connection waits for its next request: a client on a
// fast network sends it within a round trip of reading the last answer.
constexpr auto kHold = std::chrono::milliseconds(1);
constexpr std::string_view kCrLf = "\r\n";

std::string_view StatusText(int status) {
  const std::string_view known = ReasonPhrase(status);
  if (known != "Error" && known != "Server Error") return known;
  const beast::string_view text = http::obsolete_reason(http::int_to_status(static_cast<unsigned>(status)));
  return text == "<unknown-status>" ? known : std::string_view(text.data(), text.size());
}

bool IsToken(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter && std::string_view("!#$%&'*+-.^_`|~").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// A page's header may not split the response or contradict the framing the connection writes.
bool MayPass(const std::pair<std::string, std::string>& header) {
  const auto& [name, value] = header;
  if (!IsToken(name) || value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
    return false;
  }
  return !host::EqualsIgnoringAsciiCase(name, "Content-Length") &&
         !host::EqualsIgnoringAsciiCase(name, "Transfer-Encoding") &&
         !host::EqualsIgnoringAsciiCase(name, "Connection");
}

bool HasHeader(const NameValueList& headers, std::string_view name) {
  for (const auto& header : headers) {
    if (host::EqualsIgnoringAsciiCase(header.first, name)) return true;
  }
  return false;
}

// Parse errors are the client's fault and answered; the rest (end of stream, deadlines, resets)
// mean the client is gone or too slow, and the connection just closes.
bool IsMalformed(beast::error_code error) {
  return error.category() == http::make_error_code(http::error::bad_method).category() &&
         error != http::error::end_of_stream && error != http::error::partial_message;
}

// Drops the first `bytes` of the pieces, as written or skipped.
void Consume(std::array<asio::const_buffer, 3>& pieces, std::size_t bytes) {
  for (asio::const_buffer& piece : pieces) {
    const std::size_t taken = std::min(bytes, piece.size());
    piece += taken;
    bytes -= taken;
  }
}

}  // namespace

Reply StatusReply(int status, std::string_view detail) {
  Reply reply;
  reply.status = status;
  reply.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
  reply.body = StatusPage(status, detail);
  return reply;
}

template <class Stream>
StreamConnection<Stream>::~StreamConnection() {
  // A worker gave the connection back to a loop that had stopped, or the loop could not take
  // the socket back.
  if (detached_.load()) ::close(socket_fd_);
  if (reply_.page) reply_.page->Release();
  server_.Closed(*this);
}

template <class Stream>
std::shared_ptr<StreamConnection<Stream>> StreamConnection<Stream>::Self() {
  return std::static_pointer_cast<StreamConnection>(shared_from_this());
}

template <class Stream>
void StreamConnection<Stream>::TakeEndpoints() {
  beast::error_code error;
  const auto remote = tcp().socket().remote_endpoint(error);
  if (!error) {
    remote_addr_ = remote.address().to_string();
    remote_port_ = remote.port();
  }
  const auto local = tcp().socket().local_endpoint(error);
  if (!error) {
    local_port_ = local.port();
    protocol_ = local.protocol();
  }
  socket_fd_ = tcp().socket().native_handle();
}

template <class Stream>
void StreamConnection<Stream>::Detach() {
  beast::error_code error;
  tcp().socket().release(error);
  if (!error) detached_.store(true);
}

template <class Stream>
void StreamConnection<Stream>::Attach() {
  if (!detached_.load()) return;
  beast::error_code error;
  // Failing, the socket object stays closed, so its next operation fails and closes the
  // connection; the descriptor is then closed with the connection.
  if (tcp().socket().assign(protocol_, socket_fd_, error)) return;
  tcp().socket().non_blocking(true, error);
  detached_.store(false);
}

template <class Stream>
void StreamConnection<Stream>::SetDeadline(Clock::time_point deadline) {
  deadline_.store(deadline, std::memory_order_relaxed);
  if (deadline < timer_at_) ArmTimer(deadline);
}

template <class Stream>
void StreamConnection<Stream>::ExpireAfter(Clock::duration timeout) {
  SetDeadline(Clock::now() + timeout);
}

template <class Stream>
void StreamConnection<Stream>::ArmTimer(Clock::time_point when) {
  timer_at_ = when;
  // Moving the timer cancels its earlier wait, whose handler then does nothing.
  timer_.expires_at(when);
  timer_.async_wait([weak = weak_from_this()](beast::error_code error) {
    if (error) return;
    if (const std::shared_ptr<HttpConnection> self = weak.lock()) {
      static_cast<StreamConnection&>(*self).OnTimer();
    }
  });
}

template <class Stream>
void StreamConnection<Stream>::OnTimer() {
  timer_at_ = kNever;
  if (closed_) return;
  const Clock::time_point deadline = deadline_.load(std::memory_order_relaxed);
  // While a page works, its thread may finish the response and set the idle deadline without
  // the loop knowing: the timer looks again after an idle time.
  if (deadline == kNever) {
    ArmTimer(Clock::now() + server_.limits().idle_timeout);
    return;
  }
  if (Clock::now() >= deadline) {
    Close();
    return;
  }
  ArmTimer(deadline);
}

template <class Stream>
template <class Next>
void StreamConnection<Stream>::Handshake(Next next) {
  if constexpr (kTls) {
    if (!handshaken_) {
      // A client that stalls in the handshake is held to the same deadline as a slow head.
      ExpireAfter(server_.limits().header_timeout);
      stream_.async_handshake(asio::ssl::stream_base::server,
                              [self = Self(), next = std::move(next)](beast::error_code error) mutable {
                                if (error) {
                                  self->Close();
                                  return;
                                }
                                self->handshaken_ = true;
                                next(*self);
                              });
      return;
    }
  }
  next(*this);
}

template <class Stream>
void StreamConnection<Stream>::Start() {
  if constexpr (!kTls) {
    // Responses are written at once where the socket takes them; only the rest waits.
    beast::error_code error;
    tcp().socket().non_blocking(true, error);
  }
  Handshake([](StreamConnection& connection) { connection.WaitForRequest(); });
}

template <class Stream>
void StreamConnection<Stream>::WaitForRequest() {
  if (buffer_.size() > 0) {
    // A pipelined request starts from the loop, so a long pipeline does not deepen the stack.
    asio::post(tcp().get_executor(), [self = Self()] {
      if (!self->closed_) self->ReadHeader();
    });
    return;
  }
  // An idle connection holds no more than its socket and this read.
  ExpireAfter(server_.limits().idle_timeout);
  stream_.async_read_some(buffer_.prepare(kReadSize),
                          [self = Self()](beast::error_code error, std::size_t size) {
                            if (error) {
                              self->Close();
                              return;
                            }
                            self->buffer_.commit(size);
                            self->ReadHeader();
                          });
}

template <class Stream>
void StreamConnection<Stream>::NewRequest() {
  const ConnectionLimits& limits = server_.limits();
  parser_.emplace();
  parser_->header_limit(static_cast<std::uint32_t>(limits.max_header_bytes));
  parser_->body_limit(limits.max_body_bytes);
  header_bytes_ = 0;
  request_ = HttpRequest{};
  head_written_ = false;
  chunked_ = false;
  body_bytes_ = 0;
}

template <class Stream>
void StreamConnection<Stream>::ReadHeader() {
  NewRequest();
  // One deadline for the whole head, so a client sending a byte at a time cannot keep it open.
  head_deadline_ = Clock::now() + server_.limits().header_timeout;
  ParseHeader();
}

// The parser's own header limit counts only the fields not yet parsed, so the bytes of the
// whole head are counted here.
template <class Stream>
void StreamConnection<Stream>::ParseHeader() {
  beast::error_code error;
  while (buffer_.size() > 0 && !parser_->is_header_done()) {
    const std::size_t used = parser_->put(buffer_.data(), error);
    buffer_.consume(used);
    header_bytes_ += used;
    if (error == http::error::need_more) {
      error = {};
      break;
    }
    if (error) break;
  }
  if (!error && !parser_->is_header_done() &&
      header_bytes_ + buffer_.size() >= server_.limits().max_header_bytes) {
    error = http::error::header_limit;
  }
  if (error || parser_->is_header_done()) {
    OnHeader(error);
    return;
  }
  SetDeadline(head_deadline_);
  stream_.async_read_some(buffer_.prepare(kReadSize),
                          [self = Self()](beast::error_code failed, std::size_t size) {
                            if (failed) {
                              self->OnHeader(failed);
                              return;
                            }
                            self->buffer_.commit(size);
                            self->ParseHeader();
                          });
}

template <class Stream>
void StreamConnection<Stream>::OnHeader(beast::error_code error) {
  start_ = Clock::now();
  if (error == http::error::header_limit) {
    RefuseUnread(431, "The request's header fields are larger than " +
                          std::to_string(server_.limits().max_header_bytes) + " bytes.");
    return;
  }
  if (error == http::error::body_limit) {
    // The head is whole; its Content-Length alone is too large, so nothing of the body is read.
    TakeHead();
    RefuseLargeBody();
    return;
  }
  if (error == http::error::bad_content_length || error == http::error::bad_transfer_encoding) {
    RefuseUnread(400, "The request's Content-Length or Transfer-Encoding is malformed or "
                      "conflicting.");
    return;
  }
  if (IsMalformed(error)) {
    RefuseUnread(400, "The request could not be read.");
    return;
  }
  if (error) {
    Close();
    return;
  }
  TakeHead();
  Reply refusal;
  if (!server_.Admit(request_, refusal)) {
    Respond(std::move(refusal));
    return;
  }
  if (parser_->is_done()) {
    Respond(server_.Handle(request_, {}));
    return;
  }
  if (!host::EqualsIgnoringAsciiCase(request_.Header("Expect"), "100-continue")) {
    ReadBody();
    return;
  }
  out_ = "HTTP/1.1 100 Continue\r\n\r\n";
  ExpireAfter(server_.limits().send_timeout);
  asio::async_write(stream_, asio::buffer(out_),
                    [self = Self()](beast::error_code failed, std::size_t) {
                      if (failed) {
                        self->Close();
                        return;
                      }
                      self->ReadBody();
                    });
}

template <class Stream>
void StreamConnection<Stream>::ReadBody() {
  ExpireAfter(server_.limits().body_timeout);
  http::async_read(stream_, buffer_, *parser_,
                   [self = Self()](beast::error_code error, std::size_t) {
                     self->OnBody(error);
                   });
}

template <class Stream>
void StreamConnection<Stream>::OnBody(beast::error_code error) {
  if (error == http::error::body_limit) {
    RefuseLargeBody();
    return;
  }
  if (IsMalformed(error)) {
    RefuseUnread(400, "The request body could not be read.");
    return;
  }
  if (error) {
    Close();
    return;
  }
  Respond(server_.Handle(request_, std::move(parser_->get().body())));
}

template <class Stream>
void StreamConnection<Stream>::RefuseLargeBody() {
  RefuseUnread(413, "The request body is larger than " +
                        std::to_string(server_.limits().max_body_bytes) + " bytes.");
}

template <class Stream>
void StreamConnection<Stream>::RefuseUnread(int status, std::string_view detail) {
  parser_.reset();
  Reply reply = StatusReply(status, detail);
  reply.close = true;
  Respond(std::move(reply));
}

template <class Stream>
void StreamConnection<Stream>::TakeHead() {
  const auto& head = parser_->get();
  request_.method = std::string(head.method_string());
  request_.target = std::string(head.target());
  request_.path = DecodeTargetPath(request_.target);
  request_.version = head.version() == 10 ? "HTTP/1.0" : "HTTP/1.1";
  for (const auto& field : head) {
    request_.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
  }
  request_.remote_addr = remote_addr_;
  request_.remote_port = remote_port_;
  request_.local_port = local_port_;
  request_.secure = kTls;
  head_only_ = request_.method == "HEAD";
  keep_alive_ = head.keep_alive() && ++requests_ < server_.limits().max_requests;
}

template <class Stream>
void StreamConnection<Stream>::Refuse(Reply reply) {
  reply.close = true;
  Handshake([reply = std::move(reply)](StreamConnection& connection) mutable {
    connection.Respond(std::move(reply));
  });
}

template <class Stream>
void StreamConnection<Stream>::Respond(Reply reply) {
  reply_ = std::move(reply);
  // A body left unread on the connection cannot be told from the next request.
  if (reply_.close || !parser_ || !parser_->is_done()) keep_alive_ = false;
  if (!reply_.page) {
    if (WriteWhole(reply_.status, reply_.headers, reply_.body)) Finished();
    return;
  }
  std::function<void()> run = std::move(reply_.run);
  // The page's thread writes its finished response itself, so the loop is not woken for it. A
  // request read already would never make the socket readable; a connection that closes after
  // this response discards whatever follows anyway.
  const bool direct = !kTls && (!keep_alive_ || buffer_.size() == 0);
  AwaitPage(direct);
  // Holding pays for a client that sends its next request at once, as this one came; a browser
  // that pauses between pages would only keep a worker waiting.
  const bool prompt = start_ - answered_at_ < kHold;
  if (direct && keep_alive_ && prompt && server_.TakeHoldSlot()) {
    server_.RunOnWorker(
        [self = Self(), page = reply_.page, run = std::move(run)]() mutable {
          run();
          StreamConnection& connection = *self;
          connection.ServeWhileHeld(std::move(self), std::move(page));
        });
    return;
  }
  if (direct) {
    // The loop waits for the client's next request, or its leaving, meanwhile.
    tcp().socket().async_wait(asio::socket_base::wait_read,
                              [self = Self()](beast::error_code error) {
                                if (!error) self->OnReadable();
                              });
  }
  server_.RunOnWorker(std::move(run));
}

template <class Stream>
void StreamConnection<Stream>::AwaitPage(bool direct) {
  // The exchange keeps the connection while the page runs; releasing it breaks the cycle. The
  // page's thread holds the connection only inside what it hands to the server's Wake, so the
  // last share is always dropped on the event loop.
  reply_.page->SetWake(
      [weak = weak_from_this(), server = &server_] {
        if (std::shared_ptr<HttpConnection> self = weak.lock()) server->Wake(std::move(self));
      },
      Self());
  if (direct) {
    reply_.page->AllowDirectWrite([this](PageExchange::Head& head) { return WriteFromPage(head); });
  }
  PollPage();
}

template <class Stream>
void StreamConnection<Stream>::ServeWhileHeld(std::shared_ptr<StreamConnection> self,
                                              std::shared_ptr<PageExchange> page) {
  while (Hold(*page)) {
    // Out of the loop's watch while held, so the client's requests wake only this worker.
    if (!detached_.load()) Detach();
    std::function<void()> run;
    if (!TakeNextRequest(run)) {
      HandBack(std::move(self));
      return;
    }
    page = reply_.page;
    // While the page runs, the connection is the loop's again, as for a page it started.
    Unhold();
    run();
  }
  // The page streamed, or its response did not go out whole: the loop was woken for it.
  server_.ReturnHoldSlot();
  server_.Wake(std::move(self), WakeFor::kRelease);
}

template <class Stream>
bool StreamConnection<Stream>::Hold(const PageExchange& page) {
  std::lock_guard lock(hold_mutex_);
  if (closed_ || !page.WrittenWhole()) return false;
  held_ = true;
  return true;
}

template <class Stream>
bool StreamConnection<Stream>::TakeNextRequest(std::function<void()>& run) {
  resumption_ = Resumption::kFinish;
  // Asked before the wait and again after it: a close or a page queued meanwhile ends the hold.
  const auto may_hold = [this] { return !close_requested_.load() && server_.KeepHolding(); };
  pollfd watch{socket_fd_, POLLIN, 0};
  const auto arrived = [&watch] { return ::poll(&watch, 1, 0) > 0; };
  if (!may_hold()) return false;
  if (!server_.WatchBriefly(arrived) && ::poll(&watch, 1, static_cast<int>(kHold.count())) <= 0) {
    return false;
  }
  if (!may_hold()) return false;
  const asio::mutable_buffer space = buffer_.prepare(kReadSize);
  const ssize_t got = ::recv(socket_fd_, space.data(), space.size(), MSG_DONTWAIT);
  // The end of the stream, or a failure, is the loop's own read to find.
  if (got <= 0) return false;
  buffer_.commit(static_cast<std::size_t>(got));
  // A request not yet whole, or malformed, is read again from its first byte by the loop.
  if (!ParseBuffered()) return false;
  reply_.page->Release();
  reply_ = Reply{};
  start_ = Clock::now();
  TakeHead();
  if (!server_.Admit(request_, reply_)) {
    resumption_ = Resumption::kRespond;
    return false;
  }
  reply_ = server_.Handle(request_, std::move(parser_->get().body()));
  // Answers without a page, and the last answer on the connection, are the loop's to send.
  if (!reply_.page || reply_.close || !keep_alive_ || buffer_.size() > 0) {
    resumption_ = Resumption::kRespond;
    return false;
  }
  run = std::move(reply_.run);
  AwaitPage(true);
  return true;
}

template <class Stream>
bool StreamConnection<Stream>::ParseBuffered() {
  NewRequest();
  const asio::const_buffer bytes = buffer_.data();
  std::size_t used = 0;
  while (!parser_->is_done()) {
    beast::error_code error;
    const std::size_t step = parser_->put(bytes + used, error);
    used += step;
    if (error || step == 0) return false;
  }
  buffer_.consume(used);
  return true;
}

template <class Stream>
void StreamConnection<Stream>::Unhold() {
  std::lock_guard lock(hold_mutex_);
  held_ = false;
}

template <class Stream>
void StreamConnection<Stream>::HandBack(std::shared_ptr<StreamConnection> self) {
  Unhold();
  server_.ReturnHoldSlot();
  server_.Wake(std::move(self), WakeFor::kHandBack);
}

template <class Stream>
void StreamConnection<Stream>::Resume() {
  if (closed_) return;
  Attach();
  if (close_requested_.load()) {
    Close();
    return;
  }
  if (resumption_ == Resumption::kRespond) {
    Respond(std::move(reply_));
  } else {
    FinishWritten();
  }
}

template <class Stream>
void StreamConnection<Stream>::OnReadable() {
  // Without a page the response was finished on the loop, whose read is waiting.
  if (closed_ || !reply_.page) return;
  if (reply_.page->WakeWhenDone()) FinishWritten();
}

template <class Stream>
void StreamConnection<Stream>::FinishWritten() {
  reply_.page->Release();
  reply_ = Reply{};
  if (keep_alive_) {
    WaitForRequest();
    return;
  }
  // The page's thread has shut the sending side already.
  ExpireAfter(kLinger);
  Discard();
}

template <class Stream>
bool StreamConnection<Stream>::WriteFromPage(PageExchange::Head& head) {
  Prepare(head.status, head.headers, head.body);
  std::array<asio::const_buffer, 3> pieces = Pieces(!chunk_.empty(), 0);
  written_by_page_ = 0;
  if (!WriteNow(pieces, written_by_page_) || asio::buffer_size(pieces) > 0) return false;
  Log();
  reply_.in_flight.reset();
  if (keep_alive_) {
    answered_at_ = Clock::now();
    deadline_.store(answered_at_ + server_.limits().idle_timeout, std::memory_order_relaxed);
    return true;
  }
  // The client sees the end at once; the loop lingers for its close, which wakes it.
  ::shutdown(socket_fd_, SHUT_WR);
  deadline_.store(Clock::now() + kLinger, std::memory_order_relaxed);
  return true;
}

template <class Stream>
void StreamConnection<Stream>::PollPage() {
  if (closed_ || !reply_.page) return;
  // A page takes its time: no deadline while it works.
  deadline_.store(kNever, std::memory_order_relaxed);
  if (!head_written_) {
    PageExchange::Head head;
    if (!reply_.page->TakeHead(head)) return;
    if (head.written == PageExchange::Written::kWhole) {
      FinishWritten();
      return;
    }
    if (head.written == PageExchange::Written::kPart) {
      // The page's thread formatted the response and wrote what the socket took.
      reply_.page->Release();
      reply_.page.reset();
      head_written_ = true;
      if (Send(!chunk_.empty(), written_by_page_)) Finished();
      return;
    }
    if (!head.streaming) {
      if (WriteWhole(head.status, head.headers, head.body)) Finished();
      return;
    }
    // A client of HTTP/1.0 knows no chunks: the stream's end is the connection's end.
    chunked_ = request_.version == "HTTP/1.1";
    if (!chunked_) keep_alive_ = false;
    if (!HasHeader(head.headers, "Content-Type")) {
      head.headers.emplace_back("Content-Type", "application/octet-stream");
    }
    out_ = FormatHead(head.status, head.headers,
                      chunked_ ? "Transfer-Encoding: chunked\r\n" : std::string_view());
    head_written_ = true;
    if (!Send(false)) return;
  }
  for (;;) {
    switch (reply_.page->TakeBytes(chunk_)) {
      case PageExchange::Flow::kWait:
        return;
      case PageExchange::Flow::kBytes:
        if (head_only_) continue;
        body_bytes_ += chunk_.size();
        if (chunked_) {
          char size[24];
          std::snprintf(size, sizeof size, "%zx\r\n", chunk_.size());
          out_ = size;
        } else {
          out_.clear();
        }
        if (!Send(true)) return;
        continue;
      case PageExchange::Flow::kFinished:
        reply_.page->Release();
        reply_.page.reset();
        if (chunked_ && !head_only_) {
          out_ = "0\r\n\r\n";
          if (!Send(false)) return;
        }
        Finished();
        return;
      case PageExchange::Flow::kFailed:
        // The client sees the stream end without its last chunk: cut short.
        Log();
        Close();
        return;
    }
  }
}

template <class Stream>
void StreamConnection<Stream>::Prepare(int status, const NameValueList& headers,
                                       std::string& body) {
  const bool bodiless = status == 204 || status == 304 || (status >= 100 && status < 200);
  out_ = FormatHead(status, headers,
                    bodiless ? std::string()
                             : "Content-Length: " + std::to_string(body.size()) + "\r\n");
  // The body goes out beside the head in the same write, taken over rather than copied.
  chunk_.clear();
  if (!head_only_ && !bodiless) {
    chunk_.swap(body);
    body_bytes_ = chunk_.size();
  }
}

template <class Stream>
bool StreamConnection<Stream>::WriteWhole(int status, const NameValueList& headers,
                                          std::string& body) {
  Prepare(status, headers, body);
  if (reply_.page) {
    reply_.page->Release();
    reply_.page.reset();
  }
  head_written_ = true;
  return Send(!chunk_.empty());
}

template <class Stream>
std::string StreamConnection<Stream>::FormatHead(int status, const NameValueList& headers,
                                       std::string_view framing) {
  reply_.status = status;
  std::string head = "HTTP/1.1 " + std::to_string(status) + " ";
  head += StatusText(status);
  head += kCrLf;
  for (const auto& header : headers) {
    if (!MayPass(header)) continue;
    head += header.first;
    head += ": ";
    head += header.second;
    head += kCrLf;
  }
  head += framing;
  if (!keep_alive_) {
    head += "Connection: close\r\n";
  } else if (request_.version == "HTTP/1.0") {
    head += "Connection: keep-alive\r\n";
  }
  head += kCrLf;
  return head;
}

template <class Stream>
std::array<asio::const_buffer, 3> StreamConnection<Stream>::Pieces(bool with_chunk,
                                                                    std::size_t skip) const {
  std::array<asio::const_buffer, 3> pieces{
      asio::buffer(out_), with_chunk ? asio::buffer(chunk_) : asio::const_buffer(),
      with_chunk && chunked_ ? asio::buffer(kCrLf.data(), kCrLf.size()) : asio::const_buffer()};
  Consume(pieces, skip);
  return pieces;
}

// On the socket itself rather than through its object, as the page's thread writes too.
template <class Stream>
bool StreamConnection<Stream>::WriteNow(std::array<asio::const_buffer, 3>& pieces,
                                        std::size_t& written) {
  std::array<iovec, 3> vectors{};
  std::size_t count = 0;
  for (const asio::const_buffer& piece : pieces) {
    if (piece.size() == 0) continue;
    vectors[count].iov_base = const_cast<void*>(piece.data());
    vectors[count].iov_len = piece.size();
    ++count;
  }
  if (count == 0) return true;
  msghdr message{};
  message.msg_iov = vectors.data();
  message.msg_iovlen = count;
  const ssize_t sent = ::sendmsg(socket_fd_, &message,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
  if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
  written += static_cast<std::size_t>(sent);
  Consume(pieces, static_cast<std::size_t>(sent));
  return true;
}

template <class Stream>
bool StreamConnection<Stream>::Send(bool with_chunk, std::size_t skip) {
  std::array<asio::const_buffer, 3> pieces = Pieces(with_chunk, skip);
  if constexpr (!kTls) {
    std::size_t written = 0;
    if (!WriteNow(pieces, written)) {
      Close();
      return false;
    }
    if (asio::buffer_size(pieces) == 0) return true;
  }
  // Done when the response is whole: no page left to poll.
  const bool last = !reply_.page;
  ExpireAfter(server_.limits().send_timeout);
  asio::async_write(stream_, pieces, [self = Self(), last](beast::error_code error, std::size_t) {
    if (error) {
      self->Close();
    } else if (last) {
      self->Finished();
    } else {
      self->PollPage();
    }
  });
  return false;
}

template <class Stream>
void StreamConnection<Stream>::Finished() {
  Log();
  answered_at_ = Clock::now();
  reply_ = Reply{};
  if (keep_alive_) {
    WaitForRequest();
  } else {
    Linger();
  }
}

template <class Stream>
void StreamConnection<Stream>::Log() const {
  AccessRecord record;
  record.remote_addr = remote_addr_;
  record.method = request_.method;
  record.target = request_.target;
  record.version = request_.version;
  record.status = reply_.status;
  record.bytes = body_bytes_;
  if (start_ != Clock::time_point{}) record.elapsed = Clock::now() - start_;
  WriteLogLine(FormatAccessLine(record, std::chrono::system_clock::now()));
}

template <class Stream>
void StreamConnection<Stream>::Linger() {
  if constexpr (kTls) {
    // The client's close_notify, or the deadline, ends it; late application data is dropped.
    ExpireAfter(kLinger);
    stream_.async_shutdown([self = Self()](beast::error_code) { self->Close(); });
    return;
  }
  beast::error_code error;
  tcp().socket().shutdown(asio::ip::tcp::socket::shutdown_send, error);
  if (error) {
    Close();
    return;
  }
  ExpireAfter(kLinger);
  Discard();
}

template <class Stream>
void StreamConnection<Stream>::Discard() {
  buffer_.clear();
  stream_.async_read_some(buffer_.prepare(kReadSize),
                          [self = Self()](beast::error_code error, std::size_t) {
                            if (error) {
                              self->Close();
                            } else {
                              self->Discard();
                            }
                          });
}

template <class Stream>
void StreamConnection<Stream>::Close() {
  if (closed_) return;
  {
    std::lock_guard lock(hold_mutex_);
    if (held_) {
      close_requested_.store(true);
      ::shutdown(socket_fd_, SHUT_RDWR);
      return;
    }
    closed_ = true;
  }
  Attach();
  if (reply_.page) reply_.page->Release();
  reply_ = Reply{};
  timer_.cancel();
  // Closing the only descriptor of the socket ends both directions; a shutdown first would be
  // one more system call, failing when the client has gone.
  tcp().close();
}

template class StreamConnection<PlainStream>;
template class StreamConnection<TlsStream>;

}  // namespace kelvo::server
