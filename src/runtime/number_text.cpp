#include "runtime/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "runtime/text.h"

namespace kelvo {

std::string DoubleText(double value, const Locale& locale) {
  if (value == 0) return "0";
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  // The general format at precision 15 is exactly the runtime's shape, and unlike printf it
  // ignores the C library's locale.
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  const std::size_t e = text.find('e');
  if (e != std::string::npos) text[e] = 'E';
  return ReplaceDecimalPoint(std::move(text), locale.decimal_separator);
}

std::string CurrencyText(Currency value, const Locale& locale) {
  const bool negative = value.scaled < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.scaled)
                                           : static_cast<std::uint64_t>(value.scaled);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (!fraction.empty()) text += locale.decimal_separator + fraction;
  return text;
}

std::string DecimalText(const Decimal& value, const Locale& locale) {
  return ReplaceDecimalPoint(value.text, locale.decimal_separator);
}

}  // namespace kelvo
