#include "server/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kelvo::server {
namespace {

// How long an idle thread watches its bell before sleeping: about one round trip of a client
// on a fast network sending its next request.
constexpr auto kWatchTime = std::chrono::microseconds(150);

// The cores this process may run on, which a container or taskset may hold below the machine's.
std::size_t UsableCores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

// Calls `found` between yields, for no longer than kWatchTime and while `may_watch` holds;
// whether it found what it looked for. Yielding rather than spinning in place leaves the core
// to any thread that needs it.
template <class Found, class MayWatch>
bool WatchBriefly(Found found, MayWatch may_watch) {
  const auto until = std::chrono::steady_clock::now() + kWatchTime;
  while (may_watch()) {
    sched_yield();
    if (found()) return true;
    if (std::chrono::steady_clock::now() >= until) break;
  }
  return false;
}

}  // namespace

// A futex of its own rather than a condition variable: a thread woken from a condition variable
// holds its mutex in the contended state, so every hand-off cost one more system call.
void WorkerPool::Sleeper::Wait(std::atomic<bool>* watching) {
  if (watching != nullptr) {
    const bool rung = WatchBriefly(
        [this] { return state.load(std::memory_order_acquire) == kRung; }, [] { return true; });
    watching->store(false, std::memory_order_release);
    if (rung) {
      state.store(kWaiting, std::memory_order_relaxed);
      return;
    }
  }
  int expected = kWaiting;
  if (state.compare_exchange_strong(expected, kAsleep, std::memory_order_acq_rel)) {
    while (state.load(std::memory_order_acquire) == kAsleep) {
      syscall(SYS_futex, &state, FUTEX_WAIT_PRIVATE, kAsleep, nullptr, nullptr, 0);
    }
  }
  state.store(kWaiting, std::memory_order_relaxed);
}

void WorkerPool::Sleeper::Ring() {
  if (state.exchange(kRung, std::memory_order_acq_rel) == kAsleep) {
    syscall(SYS_futex, &state, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
  }
}

WorkerPool::WorkerPool(int threads) : thread_count_(threads), spare_cores_(UsableCores() - 1) {
  idle_.reserve(threads);
  threads_.reserve(threads);
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() { Finish(); }

void WorkerPool::Finish() {
  std::vector<Sleeper*> idle;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    idle.swap(idle_);
  }
  for (Sleeper* sleeper : idle) sleeper->Ring();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void WorkerPool::Submit(std::function<void()> task) {
  Sleeper* sleeper = nullptr;
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    queued_.store(tasks_.size(), std::memory_order_relaxed);
    if (!idle_.empty()) {
      sleeper = idle_.back();
      idle_.pop_back();
    }
  }
  if (sleeper) sleeper->Ring();
}

void WorkerPool::Work() {
  Sleeper me;
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      // A rung thread may find its task taken by one that was still busy: it waits again.
      while (tasks_.empty()) {
        if (stopping_) return;
        idle_.push_back(&me);
        // Watching pays only while a core is free of pages and of the event loop.
        const bool watch = thread_count_ - idle_.size() < spare_cores_ &&
                           !watching_.exchange(true, std::memory_order_acquire);
        lock.unlock();
        me.Wait(watch ? &watching_ : nullptr);
        lock.lock();
      }
      task = std::move(tasks_.front());
      tasks_.pop_front();
      queued_.store(tasks_.size(), std::memory_order_relaxed);
    }
    running_.fetch_add(1, std::memory_order_relaxed);
    task();
    running_.fetch_sub(1, std::memory_order_relaxed);
  }
}

bool WorkerPool::WatchWhileACoreIsFree(const std::function<bool()>& look) {
  if (spare_cores_ == 0) return false;
  return WatchBriefly(
      look, [this] { return running_.load(std::memory_order_relaxed) <= spare_cores_; });
}

}  // namespace kelvo::server
