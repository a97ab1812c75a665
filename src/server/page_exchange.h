// The meeting point of a page running on a worker thread and the HTTP connection that answers
// its request.
//
// The page's Response is buffered until the page ends; the connection then sends it whole, with
// its length. When the page starts streaming (Response::StartStreaming, End) before it ends, the
// head goes out at once and body bytes pass through a small bounded queue to the socket as
// chunked transfer coding, so a long page is never held in memory: a page that writes faster
// than the client reads waits. Once the client has gone, SendBody returns false.
//
// The connection side never blocks: it polls, and a poll that finds nothing arms the wake
// function, which the page's thread calls once there is something to find.
#ifndef KELVO_SERVER_PAGE_EXCHANGE_H_
#define KELVO_SERVER_PAGE_EXCHANGE_H_

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "kelvo/host.h"

namespace kelvo::server {

class PageExchange final : public ResponseSink {
 public:
  // Whether the page's thread has written the buffered response to the socket itself.
  enum class Written { kNo, kPart, kWhole };

  // How the connection is to answer.
  struct Head {
    int status = 0;
    NameValueList headers;
    bool streaming = false;
    std::string body;  // the whole body when not streaming
    Written written = Written::kNo;  // when not kNo, the rest is the connection's to know
  };

  // Page side.
  void SendHead(int status, const NameValueList& headers) override;
  bool SendBody(std::string_view bytes) override;
  bool HandOverBody(std::string& bytes) override;
  // The page's own code has returned; what is sent from now on completes the response.
  void BeginFinishing();
  bool head_sent() const;
  // Everything is sent. `failed` ends a stream without its proper end, so the client sees the
  // response cut short.
  void Done(bool failed);

  // Connection side. `wake` must not block; set it before the page starts. The page's thread
  // calls a copy of it after letting go of the exchange, so that the woken event loop finds
  // nothing locked; the copy must therefore not own the connection, or a worker dropping the
  // last share would close the connection away from its event loop. `owner` is the connection,
  // held until Release.
  void SetWake(std::function<void()> wake, std::shared_ptr<void> owner);
  // The head once known (at once when the page starts streaming, else when it is done); false
  // before that.
  bool TakeHead(Head& head);
  // Lets the page's thread, once done, write a buffered response through `write` (true: all of
  // it went) instead of waking the connection; a part written leaves the rest to the
  // connection, which is then woken. Called under the exchange's lock.
  void AllowDirectWrite(std::function<bool(Head&)> write);
  // Asks to be woken when the page is done even if its thread wrote the response whole; true
  // when that has already happened.
  bool WakeWhenDone();
  // Whether the page's thread wrote the response whole and the connection still awaits it.
  bool WrittenWhole() const;
  enum class Flow { kWait, kBytes, kFinished, kFailed };
  // kBytes: `bytes` now holds all queued bytes (its old content is dropped). kFinished: the page
  // is done and nothing is left; kFailed: the stream must end cut short.
  Flow TakeBytes(std::string& bytes);
  // The connection is finished with the response: a page still writing gets false from now on.
  void Release();

 private:
  static constexpr std::size_t kQueueLimit = 256 * 1024;

  // Calls the wake function when the connection waits for news; `lock` holds mutex_ and is
  // released first. The caller touches the exchange no more after it.
  void WakeConnection(std::unique_lock<std::mutex>& lock);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Head head_;
  bool head_sent_ = false;
  bool finishing_ = false;
  bool done_ = false;
  bool failed_ = false;
  bool released_ = false;
  bool waiting_ = false;  // the connection's last poll found nothing
  std::function<void()> wake_;
  std::function<bool(Head&)> direct_write_;
  Written written_ = Written::kNo;
  bool wake_when_done_ = false;
  std::shared_ptr<void> owner_;
  std::string queue_;  // streamed bytes not yet taken by the connection
};

}  // namespace kelvo::server

#endif  // KELVO_SERVER_PAGE_EXCHANGE_H_
