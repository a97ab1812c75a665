// Failed sign-ins, counted per client address and per user name (whether or not the user
// exists, so that the answers do not tell): after a few, each further attempt waits twice as
// long as the last, up to five minutes. Thread-safe; bounded in memory.
#ifndef KELVO_ACCESS_SIGN_IN_LIMITER_H_
#define KELVO_ACCESS_SIGN_IN_LIMITER_H_

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelvo::access {

class SignInLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  // How long an attempt from `address` for `user` must still wait; zero when it may go on.
  std::chrono::seconds Wait(std::string_view address, std::string_view user, Clock::time_point now);
  void Failed(std::string_view address, std::string_view user, Clock::time_point now);
  // The user's own count starts again; the address keeps its count until it expires.
  void Succeeded(std::string_view user);

 private:
  struct Count {
    int failures = 0;
    Clock::time_point next_attempt;
    Clock::time_point last_failure;
  };
  void Add(const std::string& key, int free_failures, Clock::time_point now);
  std::chrono::seconds WaitFor(const std::string& key, Clock::time_point now) const;
  void Forget(Clock::time_point now);

  std::mutex mutex_;
  std::unordered_map<std::string, Count> counts_;
};

}  // namespace kelvo::access

#endif  // KELVO_ACCESS_SIGN_IN_LIMITER_H_
