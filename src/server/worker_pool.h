// A fixed set of threads that run queued tasks in arrival order.
#ifndef KELVO_SERVER_WORKER_POOL_H_
#define KELVO_SERVER_WORKER_POOL_H_

#include <atomic>
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
  // Runs the tasks still queued, then joins the threads.
  ~WorkerPool();

  // Thread-safe. A task must not throw.
  void Submit(std::function<void()> task);

 private:
  // An idle thread's bell: rung once to let it look for a task.
  struct Sleeper {
    std::atomic<int> rung{0};
    void Wait();
    void Ring();
  };

  void Work();

  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  // Idle threads, the latest last: the next task goes to the thread that ran the previous
  // one, whose caches and database connection are warm.
  std::vector<Sleeper*> idle_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace kelvo::server

#endif  // KELVO_SERVER_WORKER_POOL_H_
