// CDbl, CLng, CInt, CBool and IsNumeric.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "kelvo/convert.h"
#include "runtime/errors.h"
#include "runtime/number_scan.h"
#include "runtime/text.h"

namespace kelvo {
namespace {

ScannedNumber ScanOrThrow(std::string_view text, const Locale& locale) {
  std::optional<ScannedNumber> number = ScanNumber(text, locale);
  if (!number) ThrowTypeMismatch();
  return std::move(*number);
}

double ToDoubleOrThrow(const ScannedNumber& number) {
  const std::optional<double> value = ToDouble(number);
  if (!value) ThrowOverflow();
  return *value;
}

ScannedNumber DecimalOrThrow(const Decimal& value) {
  std::optional<ScannedNumber> number = ScanDecimalText(value.text);
  if (!number) ThrowTypeMismatch();
  return std::move(*number);
}

std::int64_t RoundOrThrow(const ScannedNumber& number) {
  const std::optional<std::int64_t> value = RoundHalfEven(number);
  if (!value) ThrowOverflow();
  return *value;
}

// Nearest integer, ties to even; throws Overflow beyond the 64-bit range and for NaN.
std::int64_t RoundDouble(double value) {
  // 2^63: every double below it in magnitude converts exactly once rounded.
  constexpr double kLimit = 9223372036854775808.0;
  const double floor = std::floor(value);
  const double diff = value - floor;
  double rounded = floor;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0)) rounded = floor + 1;
  if (!(rounded >= -kLimit && rounded < kLimit)) ThrowOverflow();
  return static_cast<std::int64_t>(rounded);
}

std::int64_t RoundCurrency(Currency value) {
  std::int64_t whole = value.scaled / 10000;
  const std::int64_t rest = value.scaled % 10000;  // same sign as scaled
  if (rest > 5000 || (rest == 5000 && whole % 2 != 0)) ++whole;
  if (rest < -5000 || (rest == -5000 && whole % 2 != 0)) --whole;
  return whole;
}

// The value rounded as CLng and CInt round it, before their range checks.
std::int64_t RoundedInteger(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kEmpty:
      return 0;
    case VarType::kNull:
      ThrowInvalidUseOfNull();
    case VarType::kBoolean:
      return value.AsBool() ? -1 : 0;
    case VarType::kInt32:
      return value.AsInt32();
    case VarType::kInt64:
      return value.AsInt64();
    case VarType::kDouble:
      return RoundDouble(value.AsDouble());
    case VarType::kCurrency:
      return RoundCurrency(value.AsCurrency());
    case VarType::kDecimal:
      return RoundOrThrow(DecimalOrThrow(value.AsDecimal()));
    case VarType::kDate:
      return RoundDouble(value.AsDate().serial);
    case VarType::kString:
      return RoundOrThrow(ScanOrThrow(value.AsString(), locale));
    case VarType::kBinary:
    case VarType::kObject:
      break;
  }
  ThrowTypeMismatch();
}

template <class T>
T CheckedInteger(std::int64_t value) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
    ThrowOverflow();
  }
  return static_cast<T>(value);
}

}  // namespace

std::int32_t CLng(const Variant& value, const Locale& locale) {
  return CheckedInteger<std::int32_t>(RoundedInteger(value, locale));
}

std::int16_t CInt(const Variant& value, const Locale& locale) {
  return CheckedInteger<std::int16_t>(RoundedInteger(value, locale));
}

double CDbl(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kEmpty:
      return 0;
    case VarType::kNull:
      ThrowInvalidUseOfNull();
    case VarType::kBoolean:
      return value.AsBool() ? -1 : 0;
    case VarType::kInt32:
      return value.AsInt32();
    case VarType::kInt64:
      return static_cast<double>(value.AsInt64());
    case VarType::kDouble:
      return value.AsDouble();
    case VarType::kCurrency:
      return static_cast<double>(value.AsCurrency().scaled) / 10000;
    case VarType::kDecimal:
      return ToDoubleOrThrow(DecimalOrThrow(value.AsDecimal()));
    case VarType::kDate:
      return value.AsDate().serial;
    case VarType::kString:
      return ToDoubleOrThrow(ScanOrThrow(value.AsString(), locale));
    case VarType::kBinary:
    case VarType::kObject:
      break;
  }
  ThrowTypeMismatch();
}

bool CBool(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kEmpty:
      return false;
    case VarType::kNull:
      ThrowInvalidUseOfNull();
    case VarType::kBoolean:
      return value.AsBool();
    case VarType::kInt32:
      return value.AsInt32() != 0;
    case VarType::kInt64:
      return value.AsInt64() != 0;
    case VarType::kDouble:
      return value.AsDouble() != 0;
    case VarType::kCurrency:
      return value.AsCurrency().scaled != 0;
    case VarType::kDecimal:
      return !DecimalOrThrow(value.AsDecimal()).digits.empty();
    case VarType::kDate:
      return value.AsDate().serial != 0;
    case VarType::kString: {
      const std::string& text = value.AsString();
      if (EqualsIgnoreCase(text, "true") || EqualsIgnoreCase(text, "#true#")) return true;
      if (EqualsIgnoreCase(text, "false") || EqualsIgnoreCase(text, "#false#")) return false;
      // Only whether the number is zero matters, so the exact digits decide, not a double.
      return !ScanOrThrow(text, locale).digits.empty();
    }
    case VarType::kBinary:
    case VarType::kObject:
      break;
  }
  ThrowTypeMismatch();
}

bool IsNumeric(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kBoolean:
    case VarType::kInt32:
    case VarType::kInt64:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDecimal:
      return true;
    case VarType::kString:
      return ParseNumber(value.AsString(), locale).has_value();
    case VarType::kNull:
    case VarType::kDate:
    case VarType::kBinary:
    case VarType::kObject:
      break;
  }
  return false;
}

}  // namespace kelvo
