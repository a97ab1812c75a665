// Small text helpers the runtime's parsers and formatters share.
#ifndef KELVO_RUNTIME_TEXT_H_
#define KELVO_RUNTIME_TEXT_H_

#include <string>
#include <string_view>

namespace kelvo {

// Equal without regard to case: ASCII letters and the Latin-1 letters of UTF-8 text (Ä, Ø, ...)
// fold; everything else compares byte for byte.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `text` starts with `prefix`, compared as EqualsIgnoreCase does.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiAlphaNumeric(char c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// `text`, a number, with its decimal point replaced by `separator`.
std::string ReplaceDecimalPoint(std::string text, std::string_view separator);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_TEXT_H_
