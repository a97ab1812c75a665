// A fixed set of threads that run queued tasks in arrival order.
#ifndef KELVO_SERVER_WORKER_POOL_H_
#define KELVO_SERVER_WORKER_POOL_H_

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvo::server {

class WorkerPool final {
 public:
  explicit WorkerPool(int threads);
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  // Calls Finish.
  ~WorkerPool();
  // Runs the tasks still queued, then joins the threads. A task submitted later is not run.
  void Finish();

  // Thread-safe. A task must not throw.
  void Submit(std::function<void()> task);

  // For a thread out of work (the one that feeds the pool, or a task waiting for its next
  // piece): calls `look` (true: it found work) again and again, yielding between calls, for no
  // longer than an idle thread watches its bell, and only while the tasks running leave a core
  // over. Whether `look` found work.
  bool WatchWhileACoreIsFree(const std::function<bool()>& look);
  // Thread-safe hints that may be stale at once: how many tasks run, and whether tasks wait for
  // a thread.
  std::size_t TasksRunning() const { return running_.load(std::memory_order_relaxed); }
  bool HasQueuedTasks() const { return queued_.load(std::memory_order_relaxed) > 0; }

 private:
  // An idle thread's bell: rung once to let it look for a task. The thread watches it for a
  // moment before sleeping: a client's next request often follows the last answer within a
  // round trip, and a ring that finds the thread awake costs neither a system call nor a
  // wake-up.
  struct Sleeper {
    enum State { kWaiting, kRung, kAsleep };
    std::atomic<int> state{kWaiting};
    // `watching`, when given, is the pool's flag this thread holds while it watches.
    void Wait(std::atomic<bool>* watching);
    void Ring();
  };

  void Work();

  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  // Idle threads, the latest last: the next task goes to the thread that ran the previous
  // one, whose caches and database connection are warm.
  std::vector<Sleeper*> idle_;
  bool stopping_ = false;
  // One idle thread at a time watches its bell, and only while a core is free, so watching
  // never takes a core from a busy thread.
  std::atomic<bool> watching_{false};
  const std::size_t thread_count_;
  // Cores beside the one the event loop takes.
  const std::size_t spare_cores_;
  std::atomic<std::size_t> running_{0};  // tasks being run
  std::atomic<std::size_t> queued_{0};   // tasks waiting for a thread
  std::vector<std::thread> threads_;
};

}  // namespace kelvo::server

#endif  // KELVO_SERVER_WORKER_POOL_H_
