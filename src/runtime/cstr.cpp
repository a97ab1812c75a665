#include <charconv>
#include <string>

#include "kelvo/convert.h"
#include "runtime/errors.h"
#include "runtime/number_text.h"
#include "runtime/value_text.h"

namespace kelvo {

std::string CStr(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kEmpty:
      return {};
    case VarType::kNull:
      ThrowInvalidUseOfNull();
    case VarType::kBoolean:
      return value.AsBool() ? "True" : "False";
    case VarType::kInt32:
      return std::to_string(value.AsInt32());
    case VarType::kInt64:
      return std::to_string(value.AsInt64());
    case VarType::kDouble:
      return DoubleText(value.AsDouble(), locale);
    case VarType::kCurrency:
      return CurrencyText(value.AsCurrency(), locale);
    case VarType::kDecimal:
      return DecimalText(value.AsDecimal(), locale);
    case VarType::kDate:
      return FormatGeneralDate(value.AsDate(), locale);
    case VarType::kString:
      return value.AsString();
    case VarType::kBinary:
    case VarType::kObject:
      break;
  }
  ThrowTypeMismatch();
}

std::string_view CStrView(const Variant& value, const Locale& locale, std::string& buffer) {
  if (value.IsString()) return value.AsString();
  if (value.type() == VarType::kInt64 || value.type() == VarType::kInt32) {
    char digits[24];
    const std::int64_t number =
        value.type() == VarType::kInt64 ? value.AsInt64() : std::int64_t{value.AsInt32()};
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    buffer.assign(digits, end);
    return buffer;
  }
  buffer = CStr(value, locale);
  return buffer;
}

}  // namespace kelvo
