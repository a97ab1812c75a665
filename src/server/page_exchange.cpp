#include "server/page_exchange.h"

#include <utility>

namespace kelvo::server {

void PageExchange::SendHead(int status, const NameValueList& headers) {
  std::unique_lock lock(mutex_);
  head_.status = status;
  head_.headers = headers;
  head_.streaming = !finishing_;
  head_sent_ = true;
  if (head_.streaming) WakeConnection(lock);
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
  WakeConnection(lock);
  return true;
}

bool PageExchange::HandOverBody(std::string& bytes) {
  std::unique_lock lock(mutex_);
  if (released_) return false;
  std::string& pending = head_.streaming ? queue_ : head_.body;
  if (!pending.empty()) {
    lock.unlock();
    return SendBody(bytes);
  }
  pending.swap(bytes);
  if (head_.streaming) WakeConnection(lock);
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
  std::unique_lock lock(mutex_);
  done_ = true;
  failed_ = failed;
  if (direct_write_ && !failed && !released_ && head_sent_ && !head_.streaming) {
    written_ = direct_write_(head_) ? Written::kWhole : Written::kPart;
    if (written_ == Written::kWhole && !wake_when_done_) return;
  }
  WakeConnection(lock);
}

void PageExchange::AllowDirectWrite(std::function<bool(Head&)> write) {
  std::lock_guard lock(mutex_);
  if (!done_) direct_write_ = std::move(write);
}

bool PageExchange::WakeWhenDone() {
  std::lock_guard lock(mutex_);
  // The connection's own poll has already found the page running, so Done wakes it; marking it
  // waiting here would wake it in the middle of writing a streamed piece.
  wake_when_done_ = true;
  return written_ == Written::kWhole;
}

bool PageExchange::WrittenWhole() const {
  std::lock_guard lock(mutex_);
  return written_ == Written::kWhole && !released_;
}

void PageExchange::SetWake(std::function<void()> wake, std::shared_ptr<void> owner) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
  owner_ = std::move(owner);
}

void PageExchange::WakeConnection(std::unique_lock<std::mutex>& lock) {
  if (!waiting_ || !wake_) return;
  waiting_ = false;
  // The connection does not poll again until woken; if it closes meanwhile, the poll it gets
  // finds it closed.
  const std::function<void()> wake = wake_;
  lock.unlock();
  wake();
}

bool PageExchange::TakeHead(Head& head) {
  std::lock_guard lock(mutex_);
  if (!done_ && !(head_sent_ && head_.streaming)) {
    waiting_ = true;
    return false;
  }
  head.written = written_;
  if (written_ != Written::kNo) return true;
  head.status = head_.status;
  head.headers = head_.headers;
  head.streaming = head_.streaming;
  head.body = std::move(head_.body);
  return true;
}

PageExchange::Flow PageExchange::TakeBytes(std::string& bytes) {
  std::unique_lock lock(mutex_);
  if (queue_.empty()) {
    if (done_) return failed_ ? Flow::kFailed : Flow::kFinished;
    waiting_ = true;
    return Flow::kWait;
  }
  // The two buffers trade places, so neither is allocated anew for every chunk.
  bytes.clear();
  bytes.swap(queue_);
  lock.unlock();
  changed_.notify_all();
  return Flow::kBytes;
}

void PageExchange::Release() {
  {
    std::lock_guard lock(mutex_);
    released_ = true;
    queue_.clear();
    wake_ = nullptr;
    direct_write_ = nullptr;
    owner_ = nullptr;
  }
  changed_.notify_all();
}

}  // namespace kelvo::server
