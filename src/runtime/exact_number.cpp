#include "runtime/exact_number.h"

#include <cstdint>
#include <string>

#include "runtime/decimal_digits.h"
#include "runtime/errors.h"

namespace kelvo {
namespace {

ScannedNumber FromInteger(std::int64_t value, std::int64_t exponent) {
  ScannedNumber number;
  number.negative = value < 0;
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  if (magnitude == 0) return number;
  number.digits = std::to_string(magnitude);
  number.exponent = exponent;
  // Trailing zeros belong in the exponent.
  while (number.digits.back() == '0') {
    number.digits.pop_back();
    ++number.exponent;
  }
  return number;
}

}  // namespace

std::optional<ScannedNumber> ExactNumber(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kEmpty:
      return ScannedNumber{};
    case VarType::kNull:
      return std::nullopt;
    case VarType::kBoolean:
      return FromInteger(value.AsBool() ? -1 : 0, 0);
    case VarType::kInt32:
      return FromInteger(value.AsInt32(), 0);
    case VarType::kInt64:
      return FromInteger(value.AsInt64(), 0);
    case VarType::kDouble:
      return FifteenDigits(value.AsDouble());
    case VarType::kCurrency:
      return FromInteger(value.AsCurrency().scaled, -4);
    case VarType::kDecimal: {
      std::optional<ScannedNumber> number = ScanDecimalText(value.AsDecimal().text);
      if (!number) ThrowTypeMismatch();
      return number;
    }
    case VarType::kDate:
      return FifteenDigits(value.AsDate().serial);
    case VarType::kString: {
      std::optional<ScannedNumber> number = ScanNumber(value.AsString(), locale);
      if (number && !ToDouble(*number)) ThrowOverflow();
      return number;
    }
    case VarType::kBinary:
    case VarType::kObject:
      break;
  }
  ThrowTypeMismatch();
}

}  // namespace kelvo
