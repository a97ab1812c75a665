#include "data/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace kelvo::data {
namespace {

constexpr int kMaxExponent = 1000;  // keeps the expanded text of "1e999999999" bounded

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::int64_t> ParseWholeNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(std::string_view text) {
  // from_chars would also take "inf" and "nan", which are not numbers a user types.
  if (!ParseDecimalText(text)) return std::nullopt;
  text = Trim(text);
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::string> ParseDecimalText(std::string_view text) {
  text = Trim(text);
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  std::string digits;
  long point = -1;  // digits before the decimal point
  for (; pos < text.size(); ++pos) {
    if (IsDigit(text[pos])) {
      digits += text[pos];
    } else if (text[pos] == '.' && point < 0) {
      point = static_cast<long>(digits.size());
    } else {
      break;
    }
  }
  if (digits.empty()) return std::nullopt;
  if (point < 0) point = static_cast<long>(digits.size());
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::string_view exponent = text.substr(pos + 1);
    if (!exponent.empty() && exponent.front() == '+') exponent.remove_prefix(1);
    int shift = 0;
    const auto result = std::from_chars(exponent.data(), exponent.data() + exponent.size(), shift);
    if (result.ec != std::errc() || result.ptr != exponent.data() + exponent.size() ||
        shift > kMaxExponent || shift < -kMaxExponent) {
      return std::nullopt;
    }
    point += shift;
    pos = text.size();
  }
  if (pos != text.size()) return std::nullopt;

  std::string whole;
  std::string fraction;
  const auto count = static_cast<long>(digits.size());
  if (point <= 0) {
    whole = "0";
    fraction = std::string(static_cast<size_t>(-point), '0') + digits;
  } else if (point >= count) {
    whole = digits + std::string(static_cast<size_t>(point - count), '0');
  } else {
    whole = digits.substr(0, static_cast<size_t>(point));
    fraction = digits.substr(static_cast<size_t>(point));
  }
  const size_t first = whole.find_first_not_of('0');
  whole = first == std::string::npos ? "0" : whole.substr(first);
  const bool zero = whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
  std::string out = negative && !zero ? "-" : "";
  out += whole;
  if (!fraction.empty()) out += "." + fraction;
  return out;
}

std::string DecimalTextOf(double value) {
  std::array<char, 400> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
  std::string text(buffer.data(), result.ptr);
  if (text == "-0") text = "0";
  return text;
}

std::optional<Currency> ParseCurrency(std::string_view text) {
  const auto decimal = ParseDecimalText(text);
  if (!decimal) return std::nullopt;
  std::string_view digits = *decimal;
  const bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  const size_t point = digits.find('.');
  const std::string_view whole = digits.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : digits.substr(point + 1);
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::int64_t scaled = 0;
  for (char c : whole) {
    if (scaled > (kLimit - (c - '0')) / 10) return std::nullopt;
    scaled = scaled * 10 + (c - '0');
  }
  for (size_t i = 0; i < 4; ++i) {
    const int digit = i < fraction.size() ? fraction[i] - '0' : 0;
    if (scaled > (kLimit - digit) / 10) return std::nullopt;
    scaled = scaled * 10 + digit;
  }
  if (fraction.size() > 4) {
    const std::string_view rest = fraction.substr(4);
    const bool above_half =
        rest.front() > '5' || (rest.front() == '5' && rest.find_first_not_of('0', 1) != rest.npos);
    const bool exactly_half = rest.front() == '5' && !above_half;
    if (above_half || (exactly_half && scaled % 2 != 0)) {
      if (scaled == kLimit) return std::nullopt;
      ++scaled;
    }
  }
  return Currency{negative ? -scaled : scaled};
}

std::string CurrencyText(Currency value) {
  const bool negative = value.scaled < 0;
  // Work with the magnitude as unsigned so that the most negative amount has one too.
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.scaled)
                                           : static_cast<std::uint64_t>(value.scaled);
  std::string text = std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return negative ? "-" + text : text;
}

}  // namespace kelvo::data
