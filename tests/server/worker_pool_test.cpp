#include "server/worker_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kelvo::server {
namespace {

using namespace std::chrono_literals;

// Threads go to sleep and are woken over and over, by bursts smaller and larger than the pool,
// some coming at once and some after the idle threads have given up watching for them; a lost
// wake-up leaves a burst unfinished. The tasks still queued when the pool goes all run.
TEST(WorkerPoolTest, EveryBurstRunsAndTheQueueIsFinishedOnDestruction) {
  std::mutex mutex;
  std::condition_variable changed;
  int done = 0;
  const auto finish = [&] {
    {
      std::lock_guard lock(mutex);
      ++done;
    }
    changed.notify_all();
  };
  int submitted = 0;
  {
    WorkerPool pool(4);
    for (int round = 0; round < 300; ++round) {
      const int burst = round % 7 + 1;
      if (round % 3 == 0) std::this_thread::sleep_for(1ms);
      for (int i = 0; i < burst; ++i) pool.Submit(finish);
      submitted += burst;
      std::unique_lock lock(mutex);
      ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return done == submitted; }))
          << "round " << round << ": " << submitted - done << " tasks never ran";
    }
    for (int i = 0; i < 100; ++i) pool.Submit(finish);
    submitted += 100;
  }
  EXPECT_EQ(done, submitted);
}

}  // namespace
}  // namespace kelvo::server
