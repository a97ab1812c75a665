#include "data/connection_pool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data/connection_string.h"
#include "data/number_text.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kDefaultWaitMs = 10'000;
constexpr auto kIdleLifetime = std::chrono::seconds(60);
constexpr auto kReapInterval = std::chrono::seconds(10);

[[noreturn]] void Refuse(const std::string& why) {
  throw Error(errc::kInvalidCall, "Connection string: " + why);
}

struct PoolOptions {
  std::optional<bool> pooled;
  long size = 0;  // 0: the default
  long wait_ms = kDefaultWaitMs;
};

long ReadNumber(std::string_view key, std::string_view value, long low, long high) {
  const auto number = ParseWholeNumber(value);
  if (!number || *number < low || *number > high) {
    Refuse(std::string(key) + " must be a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not '" + std::string(value) + "'");
  }
  return static_cast<long>(*number);
}

// Takes the pool's keys out of `settings`.
PoolOptions TakePoolOptions(ConnectionSettings& settings) {
  PoolOptions options;
  auto& pairs = settings.options;
  for (auto it = pairs.begin(); it != pairs.end();) {
    const auto& [key, value] = *it;
    if (key == "pool" || key == "pooling") {
      if (EqualsIgnoreCase(value, "true") || EqualsIgnoreCase(value, "on") ||
          EqualsIgnoreCase(value, "yes")) {
        options.pooled = true;
      } else if (EqualsIgnoreCase(value, "false") || EqualsIgnoreCase(value, "off") ||
                 EqualsIgnoreCase(value, "no")) {
        options.pooled = false;
      } else {
        Refuse("Pool must be True or False, not '" + value + "'");
      }
    } else if (key == "pool size") {
      options.size = ReadNumber("Pool Size", value, 1, 1000);
    } else if (key == "pool timeout") {
      options.wait_ms = ReadNumber("Pool Timeout", value, 0, 3'600'000);
    } else {
      ++it;
      continue;
    }
    it = pairs.erase(it);
  }
  return options;
}

}  // namespace

class ConnectionPool final {
 public:
  ConnectionPool(ConnectionSettings settings, std::string user, std::string password, long size,
                 long wait_ms)
      : settings_(std::move(settings)),
        user_(std::move(user)),
        password_(std::move(password)),
        size_(static_cast<size_t>(size)),
        wait_(wait_ms) {}

  std::unique_ptr<ProviderConnection> Take() {
    std::unique_lock lock(mutex_);
    while (true) {
      while (!idle_.empty()) {
        auto connection = std::move(idle_.back().connection);
        idle_.pop_back();
        ++busy_;
        lock.unlock();
        if (connection->Usable()) return connection;
        connection.reset();
        lock.lock();
        --busy_;
      }
      if (busy_ < size_) {
        ++busy_;
        lock.unlock();
        try {
          auto connection = OpenProvider(settings_, user_, password_);
          connection->ShareReadsUntilReset();
          return connection;
        } catch (...) {
          Released();
          throw;
        }
      }
      if (!freed_.wait_for(lock, wait_, [this] { return !idle_.empty() || busy_ < size_; })) {
        throw Error(errc::kDatabase,
                    "Every connection of the pool (" + std::to_string(size_) +
                        ") stayed busy for " + std::to_string(wait_.count()) +
                        " ms; try again later (Pool Size and Pool Timeout in the connection "
                        "string set how many connections and how long to wait)");
      }
    }
  }

  void Return(std::unique_ptr<ProviderConnection> connection) {
    bool reusable = false;
    try {
      connection->ResetForReuse();
      reusable = connection->Usable();
    } catch (const Error&) {
      reusable = false;
    }
    std::vector<Idle> closing;
    {
      std::lock_guard lock(mutex_);
      --busy_;
      if (reusable) {
        idle_.push_back({std::move(connection), Clock::now()});
      } else {
        // The others were opened alike and may have broken alike (a restarted server).
        closing.swap(idle_);
      }
    }
    freed_.notify_all();
    // Closing happens outside the lock: a provider may talk to its server.
  }

  void CloseIdle(Clock::time_point older_than) {
    std::vector<Idle> closing;
    {
      std::lock_guard lock(mutex_);
      const auto young = std::stable_partition(
          idle_.begin(), idle_.end(), [&](const Idle& idle) { return idle.since < older_than; });
      std::move(idle_.begin(), young, std::back_inserter(closing));
      idle_.erase(idle_.begin(), young);
    }
  }

 private:
  void Released() {
    {
      std::lock_guard lock(mutex_);
      --busy_;
    }
    freed_.notify_all();
  }

  struct Idle {
    std::unique_ptr<ProviderConnection> connection;
    Clock::time_point since;
  };

  const ConnectionSettings settings_;
  const std::string user_;
  const std::string password_;
  const size_t size_;
  const std::chrono::milliseconds wait_;

  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<Idle> idle_;  // the most recently returned last, taken first: its caches are warm
  size_t busy_ = 0;         // handed out or being opened
};

namespace {

// The pools of the process by key, and the thread that closes idle connections.
class Pools final {
 public:
  static Pools& Instance() {
    static Pools pools;
    return pools;
  }

  ~Pools() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (reaper_.joinable()) reaper_.join();
  }

  std::shared_ptr<ConnectionPool> Find(const std::string& key, const ConnectionSettings& settings,
                                       std::string_view user, std::string_view password,
                                       long size, long wait_ms) {
    std::lock_guard lock(mutex_);
    auto& pool = pools_[key];
    if (!pool) {
      pool = std::make_shared<ConnectionPool>(settings, std::string(user), std::string(password),
                                              size, wait_ms);
    }
    if (!reaper_.joinable()) reaper_ = std::thread([this] { Reap(); });
    return pool;
  }

  // The default size while pooling by default, or 0.
  long DefaultSize() {
    std::lock_guard lock(mutex_);
    return workers_.empty() ? 0 : *std::max_element(workers_.begin(), workers_.end());
  }

  void AddWorkers(int workers) {
    std::lock_guard lock(mutex_);
    workers_.push_back(workers);
  }

  void RemoveWorkers(int workers) {
    std::vector<std::shared_ptr<ConnectionPool>> pools;
    {
      std::lock_guard lock(mutex_);
      workers_.erase(std::find(workers_.begin(), workers_.end(), workers));
      if (!workers_.empty()) return;
      for (const auto& [key, pool] : pools_) pools.push_back(pool);
    }
    for (const auto& pool : pools) pool->CloseIdle(Clock::time_point::max());
  }

 private:
  Pools() = default;

  void Reap() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kReapInterval, [this] { return stopping_; })) {
      std::vector<std::shared_ptr<ConnectionPool>> pools;
      for (const auto& [key, pool] : pools_) pools.push_back(pool);
      lock.unlock();
      for (const auto& pool : pools) pool->CloseIdle(Clock::now() - kIdleLifetime);
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::map<std::string, std::shared_ptr<ConnectionPool>> pools_;
  std::vector<int> workers_;
  std::thread reaper_;
};

bool IsPrivateMemory(const ConnectionSettings& settings) {
  const auto source = settings.Find("data source");
  return EqualsIgnoreCase(settings.provider, "sqlite") && source && *source == ":memory:";
}

}  // namespace

Lease OpenLease(std::string_view connection_string, bool read_only, std::string_view user,
                std::string_view password) {
  ConnectionSettings settings = ParseConnectionString(connection_string);
  settings.read_only = read_only;
  const PoolOptions options = TakePoolOptions(settings);
  Pools& pools = Pools::Instance();
  long size = options.size;
  if (size == 0) size = pools.DefaultSize();
  // Asking for a size asks for a pool.
  const bool pooled =
      options.pooled.value_or(options.size > 0 || pools.DefaultSize() > 0) &&
      !IsPrivateMemory(settings);
  if (!pooled) return {OpenProvider(settings, user, password), nullptr};
  if (size == 0) size = static_cast<long>(std::max(2U, std::thread::hardware_concurrency()));
  // Every part that changes what a connection is names its own pool.
  std::string key(read_only ? "r" : "w");
  for (std::string_view part : {connection_string, user, password}) {
    key += std::to_string(part.size()) + ':';
    key += part;
  }
  auto pool = pools.Find(key, settings, user, password, size, options.wait_ms);
  return {pool->Take(), pool};
}

void ReturnLease(Lease lease) {
  if (!lease.connection) return;
  if (lease.pool) {
    lease.pool->Return(std::move(lease.connection));
  } else {
    lease.connection.reset();
  }
}

}  // namespace kelvo::data

namespace kelvo {

PoolingByDefault::PoolingByDefault(int workers) : workers_(std::max(1, workers)) {
  data::Pools::Instance().AddWorkers(workers_);
}

PoolingByDefault::~PoolingByDefault() { data::Pools::Instance().RemoveWorkers(workers_); }

}  // namespace kelvo
