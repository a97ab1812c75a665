#include "server/worker_pool.h"

#include <utility>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kelvo::server {

// A futex of its own rather than a condition variable: a thread woken from a condition variable
// holds its mutex in the contended state, so every hand-off cost one more system call.
void WorkerPool::Sleeper::Wait() {
  while (rung.load(std::memory_order_acquire) == 0) {
    syscall(SYS_futex, &rung, FUTEX_WAIT_PRIVATE, 0, nullptr, nullptr, 0);
  }
  rung.store(0, std::memory_order_relaxed);
}

void WorkerPool::Sleeper::Ring() {
  rung.store(1, std::memory_order_release);
  syscall(SYS_futex, &rung, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

WorkerPool::WorkerPool(int threads) {
  idle_.reserve(threads);
  threads_.reserve(threads);
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
  std::vector<Sleeper*> idle;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    idle.swap(idle_);
  }
  for (Sleeper* sleeper : idle) sleeper->Ring();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::Submit(std::function<void()> task) {
  Sleeper* sleeper = nullptr;
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
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
        lock.unlock();
        me.Wait();
        lock.lock();
      }
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

}  // namespace kelvo::server
