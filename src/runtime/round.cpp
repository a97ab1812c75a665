// Round.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "kelvo/convert.h"
#include "kelvo/functions.h"
#include "runtime/decimal_digits.h"
#include "runtime/errors.h"
#include "runtime/format_args.h"
#include "runtime/number_scan.h"

namespace kelvo {
namespace {

// Every double at least this large in magnitude is a whole number.
constexpr double kWholeAbove = 4503599627370496.0;  // 2^52

// Scaled in double arithmetic, as the runtime does: 0.12345 to 4 places is a tie and gives
// 0.1234.
double RoundDouble(double value, std::int32_t places) {
  const double scale = std::pow(10.0, places);
  const double scaled = value * scale;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= kWholeAbove) return value;
  // The default floating-point rounding mode rounds ties to even.
  return std::nearbyint(scaled) / scale;
}

Currency RoundCurrency(Currency value, std::int32_t places) {
  if (places >= 4) return value;
  std::int64_t factor = 1;
  for (std::int32_t i = places; i < 4; ++i) factor *= 10;
  std::int64_t quotient = value.scaled / factor;
  const std::int64_t rest = value.scaled % factor;  // same sign as the value
  const std::int64_t half = factor / 2;
  const bool odd = quotient % 2 != 0;
  if (rest > half || (rest == half && odd)) ++quotient;
  if (rest < -half || (rest == -half && odd)) --quotient;
  std::int64_t scaled = 0;
  if (__builtin_mul_overflow(quotient, factor, &scaled)) ThrowOverflow();
  return Currency{scaled};
}

Decimal RoundDecimal(const Decimal& value, std::int32_t places) {
  std::optional<ScannedNumber> number = ScanDecimalText(value.text);
  if (!number) ThrowTypeMismatch();
  RoundToDecimals(*number, places, Tie::kToEven);
  std::optional<std::string> text = ToDecimalText(*number);
  if (!text) ThrowOverflow();
  return Decimal{std::move(*text)};
}

}  // namespace

Variant Round(const Variant& number, const Locale& locale, const OptionalArg& digits) {
  const std::int32_t places = IntegerArg(digits, 0, locale);
  if (places < 0) ThrowInvalidCall();
  switch (number.type()) {
    case VarType::kNull:
      return Variant::Null();
    case VarType::kEmpty:
      return std::int32_t{0};
    case VarType::kBoolean:
      return std::int32_t{number.AsBool() ? -1 : 0};
    case VarType::kInt32:
    case VarType::kInt64:
      return number;
    case VarType::kCurrency:
      return RoundCurrency(number.AsCurrency(), places);
    case VarType::kDecimal:
      return RoundDecimal(number.AsDecimal(), places);
    case VarType::kDate:
      return Date{RoundDouble(number.AsDate().serial, places)};
    default:
      return RoundDouble(CDbl(number, locale), places);
  }
}

}  // namespace kelvo
