// Abs.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "kelvo/convert.h"
#include "kelvo/functions.h"
#include "runtime/errors.h"

namespace kelvo {

Variant Abs(const Variant& number, const Locale& locale) {
  switch (number.type()) {
    case VarType::kNull:
      return Variant::Null();
    case VarType::kEmpty:
      return std::int32_t{0};
    case VarType::kBoolean:
      return std::int32_t{number.AsBool() ? 1 : 0};
    case VarType::kInt32: {
      const std::int64_t value = number.AsInt32();
      // The lowest Int32 has no Int32 opposite; the next wider kind holds it.
      if (value == std::numeric_limits<std::int32_t>::min()) return -value;
      return static_cast<std::int32_t>(value < 0 ? -value : value);
    }
    case VarType::kInt64: {
      const std::int64_t value = number.AsInt64();
      if (value == std::numeric_limits<std::int64_t>::min()) {
        return Decimal{"9223372036854775808"};
      }
      return value < 0 ? -value : value;
    }
    case VarType::kCurrency: {
      const std::int64_t scaled = number.AsCurrency().scaled;
      if (scaled == std::numeric_limits<std::int64_t>::min()) ThrowOverflow();
      return Currency{scaled < 0 ? -scaled : scaled};
    }
    case VarType::kDecimal: {
      const std::string& text = number.AsDecimal().text;
      return Decimal{text.starts_with('-') ? text.substr(1) : text};
    }
    default:
      return std::fabs(CDbl(number, locale));
  }
}

}  // namespace kelvo
