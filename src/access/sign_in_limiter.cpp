#include "access/sign_in_limiter.h"

#include <algorithm>

#include "host/ascii_case.h"

namespace kelvo::access {
namespace {

using std::chrono::seconds;

// A user mistypes a few times; an office behind one address has many users.
constexpr int kFreeUserFailures = 3;
constexpr int kFreeAddressFailures = 10;
constexpr seconds kLongestWait{300};
// A count with no failure for this long is forgotten.
constexpr std::chrono::minutes kMemory{15};
constexpr std::size_t kMaxCounts = 100000;

std::string AddressKey(std::string_view address) { return "a " + std::string(address); }
std::string UserKey(std::string_view user) { return "u " + host::AsciiLowered(user); }

}  // namespace

std::chrono::seconds SignInLimiter::WaitFor(const std::string& key, Clock::time_point now) const {
  const auto found = counts_.find(key);
  if (found == counts_.end() || found->second.next_attempt <= now) return seconds(0);
  return std::chrono::ceil<seconds>(found->second.next_attempt - now);
}

std::chrono::seconds SignInLimiter::Wait(std::string_view address, std::string_view user,
                                         Clock::time_point now) {
  std::lock_guard lock(mutex_);
  return std::max(WaitFor(AddressKey(address), now), WaitFor(UserKey(user), now));
}

void SignInLimiter::Add(const std::string& key, int free_failures, Clock::time_point now) {
  Count& count = counts_[key];
  if (count.failures > 0 && now - count.last_failure > kMemory) count = Count();
  ++count.failures;
  count.last_failure = now;
  const int over = count.failures - free_failures;
  if (over > 0) {
    const seconds wait = over > 9 ? kLongestWait : std::min(kLongestWait, seconds(1 << (over - 1)));
    count.next_attempt = now + wait;
  }
}

void SignInLimiter::Failed(std::string_view address, std::string_view user,
                           Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (counts_.size() >= kMaxCounts) Forget(now);
  Add(AddressKey(address), kFreeAddressFailures, now);
  Add(UserKey(user), kFreeUserFailures, now);
}

void SignInLimiter::Succeeded(std::string_view user) {
  std::lock_guard lock(mutex_);
  counts_.erase(UserKey(user));
}

void SignInLimiter::Forget(Clock::time_point now) {
  std::erase_if(counts_, [now](const auto& entry) {
    return now - entry.second.last_failure > kMemory && entry.second.next_attempt <= now;
  });
  // Under a flood of new names, the oldest half goes, waits or not.
  if (counts_.size() >= kMaxCounts) {
    std::erase_if(counts_, [now](const auto& entry) {
      return now - entry.second.last_failure > kMemory / 2;
    });
  }
}

}  // namespace kelvo::access
