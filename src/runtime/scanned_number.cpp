// Turning an exact scanned number into the runtime's numeric types.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "runtime/number_scan.h"

namespace kelvo {

std::optional<double> ToDouble(const ScannedNumber& number) {
  if (number.digits.empty()) return 0.0;
  const std::string text = number.digits + "e" + std::to_string(number.exponent);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // The position of the leading digit tells overflow from underflow.
    if (static_cast<std::int64_t>(number.digits.size()) + number.exponent > 0) return std::nullopt;
    value = 0;
  } else if (ec != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return number.negative ? -value : value;
}

std::optional<std::string> ToDecimalText(const ScannedNumber& number) {
  if (number.digits.empty()) return std::string("0");
  const auto size = static_cast<std::int64_t>(number.digits.size());
  const std::int64_t int_digits = size + number.exponent;
  const std::int64_t total = int_digits <= 0 ? size - int_digits : std::max(size, int_digits);
  if (total > static_cast<std::int64_t>(kMaxDecimalDigits)) return std::nullopt;

  std::string text = number.negative ? "-" : "";
  if (int_digits <= 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-int_digits), '0');
    text += number.digits;
  } else if (int_digits >= size) {
    text += number.digits;
    text.append(static_cast<std::size_t>(int_digits - size), '0');
  } else {
    const auto split = static_cast<std::size_t>(int_digits);
    text += number.digits.substr(0, split);
    text += '.';
    text += number.digits.substr(split);
  }
  return text;
}

std::optional<std::int64_t> RoundHalfEven(const ScannedNumber& number) {
  const auto size = static_cast<std::int64_t>(number.digits.size());
  const std::int64_t int_digits = size + number.exponent;
  if (number.digits.empty() || int_digits < 0) return 0;
  if (int_digits > 19) return std::nullopt;

  // At most 19 digits: the magnitude fits in 64 unsigned bits.
  std::uint64_t magnitude = 0;
  for (std::int64_t i = 0; i < int_digits; ++i) {
    magnitude =
        magnitude * 10 + (i < size ? static_cast<std::uint64_t>(number.digits[i] - '0') : 0);
  }
  if (int_digits < size) {
    const char first = number.digits[static_cast<std::size_t>(int_digits)];
    // Trailing zeros are normalized away, so more digits after a 5 mean "above the half".
    const bool above_half = first > '5' || (first == '5' && int_digits + 1 < size);
    const bool tie = first == '5' && int_digits + 1 == size;
    if (above_half || (tie && magnitude % 2 == 1)) ++magnitude;
  }
  const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) +
                              (number.negative ? 1 : 0);
  if (magnitude > limit) return std::nullopt;
  if (number.negative) return static_cast<std::int64_t>(0 - magnitude);
  return static_cast<std::int64_t>(magnitude);
}

}  // namespace kelvo
