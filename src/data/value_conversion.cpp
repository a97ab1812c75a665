#include "data/value_conversion.h"

#include <cmath>

#include "data/number_text.h"
#include "kelvo/error.h"

namespace kelvo::data {

void ThrowMismatch(const std::string& why) { throw Error(errc::kTypeMismatch, why); }

std::string QuotedText(std::string_view text) { return "'" + std::string(text) + "'"; }

std::int64_t WholeNumberFor(const Variant& value) {
  switch (value.type()) {
    case VarType::kString:
      if (auto n = ParseWholeNumber(value.AsString())) return *n;
      ThrowMismatch(QuotedText(value.AsString()) + " is not a whole number");
    case VarType::kBoolean:
      return value.AsBool() ? 1 : 0;
    case VarType::kInt32:
      return value.AsInt32();
    case VarType::kInt64:
      return value.AsInt64();
    case VarType::kDouble: {
      const double d = value.AsDouble();
      if (std::trunc(d) == d && std::fabs(d) < 9.2e18) return static_cast<std::int64_t>(d);
      ThrowMismatch(DecimalTextOf(d) + " is not a whole number");
    }
    case VarType::kCurrency:
      if (value.AsCurrency().scaled % 10000 == 0) return value.AsCurrency().scaled / 10000;
      ThrowMismatch(CurrencyText(value.AsCurrency()) + " is not a whole number");
    case VarType::kDecimal:
      if (auto n = ParseWholeNumber(value.AsDecimal().text)) return *n;
      ThrowMismatch(value.AsDecimal().text + " is not a whole number");
    default:
      ThrowMismatch("the value is not a number");
  }
}

}  // namespace kelvo::data
