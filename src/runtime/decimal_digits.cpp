#include "runtime/decimal_digits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "runtime/errors.h"

namespace kelvo {
namespace {

// Leading zeros removed, trailing zeros moved into the exponent, zero without sign.
void Normalize(ScannedNumber& number) {
  const std::size_t first = number.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    number = ScannedNumber{};
    return;
  }
  const std::size_t last = number.digits.find_last_not_of('0');
  number.exponent += static_cast<std::int64_t>(number.digits.size() - 1 - last);
  number.digits = number.digits.substr(first, last - first + 1);
}

// Adds one to the last digit, carrying to the left; "" counts as 0.
void Increment(std::string& digits) {
  for (auto i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

ScannedNumber FifteenDigits(double value) {
  if (!std::isfinite(value)) ThrowOverflow();
  ScannedNumber number;
  if (value == 0) return number;
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, 14);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') number.digits += c;
  }
  number.exponent = std::strtol(std::string(text.substr(e + 1)).c_str(), nullptr, 10) - 14;
  number.negative = value < 0;
  Normalize(number);
  return number;
}

void RoundToDecimals(ScannedNumber& number, std::int64_t decimals, Tie tie) {
  const auto size = static_cast<std::int64_t>(number.digits.size());
  const std::int64_t keep = size + number.exponent + decimals;
  if (keep >= size) return;
  if (keep < 0) {
    number = ScannedNumber{};
    return;
  }
  const auto kept = static_cast<std::size_t>(keep);
  const std::string_view rest = std::string_view(number.digits).substr(kept);
  bool up = rest[0] >= '5';
  if (tie == Tie::kToEven && rest == "5") {
    const int last = kept == 0 ? 0 : number.digits[kept - 1] - '0';
    up = last % 2 == 1;
  }
  number.digits.resize(kept);
  number.exponent += size - keep;
  if (up) Increment(number.digits);
  Normalize(number);
}

void RoundToSignificant(ScannedNumber& number, std::int64_t count) {
  if (number.digits.empty()) return;
  RoundToDecimals(number, count - IntegerDigitCount(number), Tie::kAwayFromZero);
}

std::string IntegerDigits(const ScannedNumber& number) {
  const std::int64_t count = IntegerDigitCount(number);
  if (number.digits.empty() || count <= 0) return {};
  const auto size = static_cast<std::int64_t>(number.digits.size());
  std::string text = number.digits.substr(0, static_cast<std::size_t>(std::min(size, count)));
  if (number.exponent > 0) text.append(static_cast<std::size_t>(number.exponent), '0');
  return text;
}

std::string FractionDigits(const ScannedNumber& number, std::size_t decimals) {
  std::string text;
  text.reserve(decimals);
  if (!number.digits.empty()) {
    const std::int64_t count = IntegerDigitCount(number);
    if (count < 0) {
      text.append(std::min(decimals, static_cast<std::size_t>(-count)), '0');
      text += number.digits;
    } else if (count < static_cast<std::int64_t>(number.digits.size())) {
      text = number.digits.substr(static_cast<std::size_t>(count));
    }
  }
  text.resize(decimals, '0');
  return text;
}

std::string GroupDigits(std::string_view digits, const Locale& locale) {
  if (locale.group_size <= 0) return std::string(digits);
  const auto group = static_cast<std::size_t>(locale.group_size);
  std::string text;
  text.reserve(digits.size() + digits.size() / group * locale.group_separator.size());
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const std::size_t left = digits.size() - i;
    if (i > 0 && left % group == 0) text += locale.group_separator;
    text += digits[i];
  }
  return text;
}

}  // namespace kelvo
