#include "server/worker_pool.h"

#include <gtest/gtest.h>

#include <sched.h>

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

// The thread feeding the pool watches only briefly, and not at all while the tasks running
// take every core: a watch that went on would take a core from a page.
TEST(WorkerPoolTest, TheFeedingThreadWatchesBrieflyAndOnlyWithACoreToSpare) {
  cpu_set_t set;
  ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
  const auto cores = static_cast<unsigned>(CPU_COUNT(&set));
  if (cores < 2) GTEST_SKIP() << "no core to spare on this machine";
  // Declared before the pool, which finishes its tasks before these go.
  std::mutex mutex;
  std::condition_variable changed;
  unsigned started = 0;
  bool release = false;
  WorkerPool pool(static_cast<int>(cores));
  // Work that comes a little after the watch begins is found.
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(pool.WatchWhileACoreIsFree(
      [&] { return std::chrono::steady_clock::now() - start >= 20us; }));
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(pool.WatchWhileACoreIsFree([] { return false; }));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

  for (unsigned i = 0; i < cores; ++i) {
    pool.Submit([&] {
      std::unique_lock lock(mutex);
      ++started;
      changed.notify_all();
      changed.wait(lock, [&] { return release; });
    });
  }
  bool all_started = false;
  {
    std::unique_lock lock(mutex);
    all_started = changed.wait_for(lock, 10s, [&] { return started == cores; });
  }
  int looks = 0;
  const bool found = pool.WatchWhileACoreIsFree([&] { return ++looks > 0; });
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  changed.notify_all();
  ASSERT_TRUE(all_started);
  EXPECT_FALSE(found);
  EXPECT_EQ(looks, 0);
}

}  // namespace
}  // namespace kelvo::server
