// Counting UTF-8 text in UTF-16 code units, the unit of the runtime's string positions.
#ifndef KELVO_RUNTIME_UTF16_UNITS_H_
#define KELVO_RUNTIME_UTF16_UNITS_H_

#include <cstddef>
#include <string_view>

namespace kelvo {

// The character at text[i]: its bytes, the UTF-16 units it takes (2 beyond U+FFFF, else 1) and
// its code point. A byte that starts no valid UTF-8 sequence is a character of its own, one byte
// and one unit, that is not valid.
struct Utf8Char {
  std::size_t bytes;
  std::size_t units;
  char32_t code;
  bool valid;
};
Utf8Char Utf8CharAt(std::string_view text, std::size_t i);

// The UTF-16 units of the text.
std::size_t Utf16Length(std::string_view text);

// The byte offset where `units` UTF-16 units of the text end (its size when it is shorter). An
// offset between the two units of one character moves past that character.
std::size_t ByteOffsetOfUnits(std::string_view text, std::size_t units);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_UTF16_UNITS_H_
