#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "host/ascii_case.h"
#include "kelvo/host.h"

namespace kelvo {
namespace {

std::uint64_t StartBit(std::string_view key) {
  if (key.empty()) return 1;
  return std::uint64_t{1} << (static_cast<unsigned char>(host::AsciiLower(key.front())) % 64);
}

}  // namespace

void RequestCollection::Add(std::string key, std::string value) {
  if (const Entry* found = Find(key)) {
    entries_[static_cast<std::size_t>(found - entries_.data())].values.push_back(std::move(value));
    return;
  }
  if (entries_.empty()) entries_.reserve(kIndexedFrom);
  key_lengths_ |= LengthBit(key.size());
  key_starts_ |= StartBit(key);
  entries_.push_back(Entry{std::move(key), {}});
  entries_.back().values.push_back(std::move(value));
  if (entries_.size() == kIndexedFrom) {
    for (std::size_t i = 0; i < entries_.size(); ++i) Index(i);
  } else if (entries_.size() > kIndexedFrom) {
    Index(entries_.size() - 1);
  }
}

void RequestCollection::Index(std::size_t position) {
  index_.emplace(host::AsciiLowered(entries_[position].key), position);
}

const RequestCollection::Entry* RequestCollection::Find(std::string_view key) const {
  if ((key_lengths_ & LengthBit(key.size())) == 0 || (key_starts_ & StartBit(key)) == 0)
    return nullptr;
  if (entries_.size() < kIndexedFrom) {
    for (const Entry& entry : entries_) {
      if (host::EqualsIgnoringAsciiCase(entry.key, key)) return &entry;
    }
    return nullptr;
  }
  // Parameter names are short: lowered on the stack, a long one in a string of its own.
  char buffer[64];
  std::string long_key;
  std::string_view lowered;
  if (key.size() <= sizeof buffer) {
    for (std::size_t i = 0; i < key.size(); ++i) buffer[i] = host::AsciiLower(key[i]);
    lowered = std::string_view(buffer, key.size());
  } else {
    long_key = host::AsciiLowered(key);
    lowered = long_key;
  }
  const auto slot = index_.find(lowered);
  return slot == index_.end() ? nullptr : &entries_[slot->second];
}

std::string RequestCollection::Get(std::string_view key) const {
  const Entry* entry = Find(key);
  return entry == nullptr ? std::string() : ValueText(*entry);
}

std::string RequestCollection::ValueText(const Entry& entry) {
  std::string joined;
  for (const std::string& value : entry.values) {
    if (&value != &entry.values.front()) joined += ", ";
    joined += value;
  }
  return joined;
}

}  // namespace kelvo
