#include "server/page_exchange.h"

#include <utility>

namespace kelvo::server {

void PageExchange::SendHead(int status, const NameValueList& headers) {
  {
    std::lock_guard lock(mutex_);
    head_.status = status;
    head_.headers = headers;
    head_.streaming = !finishing_;
    head_sent_ = true;
  }
  changed_.notify_all();
}

bool PageExchange::SendBody(std::string_view bytes) {
  std::unique_lock lock(mutex_);
  if (released_) return false;
  if (!head_.streaming) {
    head_.body.append(bytes);
    return true;
  }
  changed_.wait(lock, [this] { return released_ || queue_.size() < kQueueLimit; });
  if (released_) return false;
  queue_.append(bytes);
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool PageExchange::head_sent() const {
  std::lock_guard lock(mutex_);
  return head_sent_;
}

void PageExchange::BeginFinishing() {
  std::lock_guard lock(mutex_);
  finishing_ = true;
}

void PageExchange::Done(bool failed) {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
    failed_ = failed;
  }
  changed_.notify_all();
}

PageExchange::Head PageExchange::WaitForHead() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return done_ || (head_sent_ && head_.streaming); });
  Head head;
  head.status = head_.status;
  head.headers = head_.headers;
  head.streaming = head_.streaming;
  head.body = std::move(head_.body);
  return head;
}

bool PageExchange::Pump(const std::function<bool(const char*, std::size_t)>& write,
                        bool& finished) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return done_ || !queue_.empty(); });
  if (queue_.empty()) {
    finished = true;
    return !failed_;
  }
  // The two buffers trade places, so neither is allocated anew for every chunk.
  outgoing_.clear();
  outgoing_.swap(queue_);
  lock.unlock();
  changed_.notify_all();
  if (!write(outgoing_.data(), outgoing_.size())) {
    Release();
    return false;
  }
  lock.lock();
  streamed_bytes_ += outgoing_.size();
  return true;
}

void PageExchange::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
    queue_.clear();
  }
  changed_.notify_all();
}

std::uint64_t PageExchange::streamed_bytes() const {
  std::lock_guard lock(mutex_);
  return streamed_bytes_;
}

}  // namespace kelvo::server
