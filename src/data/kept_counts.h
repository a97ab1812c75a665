// Counts a connection keeps, each with a sign of the database's state when it was taken: a
// count is answered again, without running, while the sign is the same and it is young enough.
#ifndef KELVO_DATA_KEPT_COUNTS_H_
#define KELVO_DATA_KEPT_COUNTS_H_

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelvo/variant.h"

namespace kelvo::data {

// The statement and its parameters as one key, each parameter tagged with its type and a text
// that names its value exactly; false when a parameter has no such text.
bool CountKey(std::string_view sql, std::span<const Variant> parameters, std::string& key);

template <typename Sign>
class KeptCounts {
 public:
  using Clock = std::chrono::steady_clock;
  struct Kept {
    std::string key;
    long long count = 0;
    Sign sign{};
    Clock::time_point taken;
  };

  // The count kept for `key` that is younger than `max_age_seconds` at `now`, whatever its sign.
  const Kept* Find(std::string_view key, int max_age_seconds, Clock::time_point now) const {
    const auto found = std::find_if(kept_.begin(), kept_.end(),
                                    [&](const Kept& kept) { return kept.key == key; });
    if (found == kept_.end() || now - found->taken >= std::chrono::seconds(max_age_seconds))
      return nullptr;
    return &*found;
  }

  // Keeps `kept`, in place of the count of the same key; the oldest kept goes when full.
  void Keep(Kept kept) {
    const auto found = std::find_if(kept_.begin(), kept_.end(),
                                    [&](const Kept& old) { return old.key == kept.key; });
    if (found != kept_.end()) {
      *found = std::move(kept);
      return;
    }
    constexpr std::size_t kKeptCounts = 32;
    if (kept_.size() >= kKeptCounts) kept_.erase(kept_.begin());
    kept_.push_back(std::move(kept));
  }

 private:
  std::vector<Kept> kept_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_KEPT_COUNTS_H_
