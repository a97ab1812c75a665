#include <functional>

#include "kelvo/regexp.h"

namespace kelvo {

RegExpCache::RegExpCache(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}
RegExpCache::~RegExpCache() = default;

std::size_t RegExpCache::KeyHash::operator()(const Key& key) const noexcept {
  const std::size_t flags = (key.options.ignore_case ? 1u : 0u) | (key.options.multiline ? 2u : 0u);
  return std::hash<std::string>()(key.pattern) ^ (flags * 0x9E3779B97F4A7C15u);
}

std::shared_ptr<const CompiledRegExp> RegExpCache::Get(std::string_view pattern,
                                                       RegExpOptions options) {
  Key key{std::string(pattern), options};
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (const auto found = index_.find(key); found != index_.end()) {
      entries_.splice(entries_.begin(), entries_, found->second);
      return found->second->second;
    }
  }
  // Compiled outside the lock, so that one slow pattern does not hold up other threads. Two
  // threads may compile the same pattern at once; the first to finish is kept.
  std::shared_ptr<const CompiledRegExp> compiled = CompiledRegExp::Compile(pattern, options);
  const std::lock_guard<std::mutex> lock(mutex_);
  if (const auto found = index_.find(key); found != index_.end()) return found->second->second;
  entries_.emplace_front(key, compiled);
  index_.emplace(std::move(key), entries_.begin());
  if (entries_.size() > capacity_) {
    index_.erase(entries_.back().first);
    entries_.pop_back();
  }
  return compiled;
}

std::size_t RegExpCache::size() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

}  // namespace kelvo
