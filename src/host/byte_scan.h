// Finding the few bytes of a text that need escaping, eight bytes at a time: the texts escaped
// for pages and logs are mostly plain, and testing them byte by byte cost more than the rest.
#ifndef KELVO_HOST_BYTE_SCAN_H_
#define KELVO_HOST_BYTE_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kelvo::host {

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Whether some byte of `word` is below `bound` (at most 0x80). Exact for the word as a whole,
// though not for which byte it is.
constexpr bool SomeByteBelow(std::uint64_t word, std::uint64_t bound) {
  return ((word - kEveryByte * bound) & ~word & kHighBits) != 0;
}

constexpr bool SomeByteIs(std::uint64_t word, unsigned char byte) {
  return SomeByteBelow(word ^ (kEveryByte * byte), 1);
}

// The position of the first byte from `from` on for which `special(byte)` holds, or the text's
// size. Words of eight bytes for which `may_hold(word)` is false are passed whole.
template <class MayHold, class Special>
std::size_t FindSpecial(std::string_view text, std::size_t from, MayHold may_hold,
                        Special special) {
  while (from + sizeof(std::uint64_t) <= text.size()) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + from, sizeof word);
    if (may_hold(word)) break;
    from += sizeof word;
  }
  while (from < text.size() && !special(text[from])) ++from;
  return from;
}

}  // namespace kelvo::host

#endif  // KELVO_HOST_BYTE_SCAN_H_
