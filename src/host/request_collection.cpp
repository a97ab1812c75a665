#include <string>
#include <string_view>
#include <utility>

#include "host/ascii_case.h"
#include "kelvo/host.h"

namespace kelvo {

void RequestCollection::Add(std::string key, std::string value) {
  auto [slot, inserted] = index_.try_emplace(host::AsciiLowered(key), entries_.size());
  if (inserted) {
    entries_.push_back(Entry{std::move(key), {}});
  }
  entries_[slot->second].values.push_back(std::move(value));
}

const RequestCollection::Entry* RequestCollection::Find(std::string_view key) const {
  const auto slot = index_.find(host::AsciiLowered(key));
  return slot == index_.end() ? nullptr : &entries_[slot->second];
}

std::string RequestCollection::Get(std::string_view key) const {
  const Entry* entry = Find(key);
  if (entry == nullptr) return {};
  std::string joined;
  for (const std::string& value : entry->values) {
    if (&value != &entry->values.front()) joined += ", ";
    joined += value;
  }
  return joined;
}

}  // namespace kelvo
