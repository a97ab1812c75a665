// Splitting date and time text into numbers, words and separators.
#ifndef KELVO_RUNTIME_DATE_TOKENS_H_
#define KELVO_RUNTIME_DATE_TOKENS_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "kelvo/locale.h"

namespace kelvo {

enum class DateTokenKind : std::uint8_t {
  kNumber,      // a run of digits
  kWord,        // a run of letters (any non-ASCII byte counts as a letter)
  kDesignator,  // AM/PM, A/P or one of the locale's designators
  kDateSep,     // blanks around at most one of - / , or the locale's date separator
  kTimeSep,     // ":" or the locale's time separator, or "." where it isn't the date separator
};

struct DateToken {
  DateTokenKind kind;
  std::string_view text;   // the characters of a number, word or designator
  std::int64_t value = 0;  // a number's value, saturated at a billion
  bool pm = false;         // a designator's half of the day
};

// The tokens of `text`; nothing when it holds a character of no token, a run of two separators
// or a separator at either end. A "." right after a word ends an abbreviation ("Jan.").
std::optional<std::vector<DateToken>> TokenizeDate(std::string_view text, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_DATE_TOKENS_H_
