// Exact decimal rounding and digit layout on ScannedNumber (digits × 10^exponent), the form in
// which the formatting functions handle every number so that no binary rounding creeps in.
#ifndef KELVO_RUNTIME_DECIMAL_DIGITS_H_
#define KELVO_RUNTIME_DECIMAL_DIGITS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/locale.h"
#include "runtime/number_scan.h"

namespace kelvo {

enum class Tie : std::uint8_t { kAwayFromZero, kToEven };

// The double reduced to its 15 significant decimal digits, as CStr writes it. Throws Overflow
// for infinities and NaN.
ScannedNumber FifteenDigits(double value);

// Rounds to `decimals` digits after the decimal point (a negative count rounds to tens,
// hundreds, ...). A number that rounds to zero loses its sign.
void RoundToDecimals(ScannedNumber& number, std::int64_t decimals, Tie tie);

// Rounds half away from zero to `count` (at least 1) significant digits.
void RoundToSignificant(ScannedNumber& number, std::int64_t count);

// The power of ten of the number's leading digit plus one: 3 for 123.4, 0 for 0.5, -1 for 0.05.
inline std::int64_t IntegerDigitCount(const ScannedNumber& number) {
  return static_cast<std::int64_t>(number.digits.size()) + number.exponent;
}

// The digits left of the decimal point without leading zeros ("" below 1).
std::string IntegerDigits(const ScannedNumber& number);

// The first `decimals` digits right of the decimal point, padded with zeros.
std::string FractionDigits(const ScannedNumber& number, std::size_t decimals);

// The digits with the locale's group separator between groups of its group size.
std::string GroupDigits(std::string_view digits, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_DECIMAL_DIGITS_H_
