// Reading numbers from text the way the runtime's conversions do, without binary rounding.
#ifndef KELVO_RUNTIME_NUMBER_SCAN_H_
#define KELVO_RUNTIME_NUMBER_SCAN_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kelvo/locale.h"

namespace kelvo {

// An exact number: digits × 10^exponent. `digits` holds no leading or trailing zeros and is
// empty for zero.
struct ScannedNumber {
  bool negative = false;
  std::string digits;
  std::int64_t exponent = 0;
};

// Reads the whole of `text` as a number in the locale's notation: blanks around it, a leading
// or trailing sign or enclosing parentheses, the currency symbol before or after, group
// separators in the integer digits, one decimal separator, an exponent (e/E, optional sign),
// or &H hex / &O octal (16- or 32-bit two's complement, as the runtime's literals). Returns
// nothing when any character is left over or the text is not a number.
std::optional<ScannedNumber> ScanNumber(std::string_view text, const Locale& locale);

// Reads the canonical text of a Decimal ("-12.50"); nothing when it is not canonical.
std::optional<ScannedNumber> ScanDecimalText(std::string_view text);

// The nearest double; nothing when the magnitude is beyond the double range. Values too small
// to represent become zero.
std::optional<double> ToDouble(const ScannedNumber& number);

// The canonical text of a Decimal ("-12.5", "0.001", "1000"); nothing when it would need more
// than kMaxDecimalDigits digits.
inline constexpr std::size_t kMaxDecimalDigits = 1000;
std::optional<std::string> ToDecimalText(const ScannedNumber& number);

// Rounded to the nearest integer, ties to even; nothing when beyond the 64-bit range.
std::optional<std::int64_t> RoundHalfEven(const ScannedNumber& number);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_NUMBER_SCAN_H_
