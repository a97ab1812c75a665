// The meeting point of a page running on a worker thread and the HTTP connection thread that
// answers its request.
//
// The page's Response is buffered until the page ends; the connection thread then sends it
// whole, with its length. When the page starts streaming (Response::StartStreaming, End) before
// it ends, the head goes out at once and body bytes pass through a small bounded queue to the
// socket as chunked transfer coding, so a long page is never held in memory: a page that writes
// faster than the client reads waits. Once the client has gone, SendBody returns false.
#ifndef KELVO_SERVER_PAGE_EXCHANGE_H_
#define KELVO_SERVER_PAGE_EXCHANGE_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "kelvo/host.h"

namespace kelvo::server {

class PageExchange final : public ResponseSink {
 public:
  // How the connection thread is to answer.
  struct Head {
    int status = 0;
    NameValueList headers;
    bool streaming = false;
    std::string body;  // the whole body when not streaming
  };

  // Page side.
  void SendHead(int status, const NameValueList& headers) override;
  bool SendBody(std::string_view bytes) override;
  // The page's own code has returned; what is sent from now on completes the response.
  void BeginFinishing();
  bool head_sent() const;
  // Everything is sent. `failed` ends a stream without its proper end, so the client sees the
  // response cut short.
  void Done(bool failed);

  // Connection side. Blocks until the head is known: at once when the page starts streaming,
  // else when it is done.
  Head WaitForHead();
  // Moves all queued bytes to `write` at once. Returns false when the stream must stop (client
  // gone or page failed); sets `finished` when the page is done and nothing is left.
  bool Pump(const std::function<bool(const char*, std::size_t)>& write, bool& finished);
  // The connection is finished with the response: a page still writing gets false from now on.
  void Release();

  std::uint64_t streamed_bytes() const;

 private:
  static constexpr std::size_t kQueueLimit = 256 * 1024;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Head head_;
  bool head_sent_ = false;
  bool finishing_ = false;
  bool done_ = false;
  bool failed_ = false;
  bool released_ = false;
  std::string queue_;     // streamed bytes not yet taken by the connection
  std::string outgoing_;  // the bytes the connection is writing; touched by the connection only
  std::uint64_t streamed_bytes_ = 0;
};

}  // namespace kelvo::server

#endif  // KELVO_SERVER_PAGE_EXCHANGE_H_
