#include <string>
#include <utility>

#include "kelvo/convert.h"
#include "runtime/number_scan.h"

namespace kelvo {

std::optional<double> ParseNumber(std::string_view text, const Locale& locale) {
  const std::optional<ScannedNumber> number = ScanNumber(text, locale);
  if (!number) return std::nullopt;
  return ToDouble(*number);
}

std::optional<Decimal> ParseDecimal(std::string_view text, const Locale& locale) {
  const std::optional<ScannedNumber> number = ScanNumber(text, locale);
  if (!number) return std::nullopt;
  std::optional<std::string> decimal = ToDecimalText(*number);
  if (!decimal) return std::nullopt;
  return Decimal{std::move(*decimal)};
}

}  // namespace kelvo
