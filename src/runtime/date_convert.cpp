// CDate and IsDate.
#include "kelvo/convert.h"
#include "runtime/calendar.h"
#include "runtime/errors.h"

namespace kelvo {
namespace {

Date SerialOrThrow(double serial) {
  if (!(serial > static_cast<double>(kMinDay - 1) && serial < static_cast<double>(kMaxDay + 1))) {
    ThrowOverflow();
  }
  return Date{serial};
}

}  // namespace

Date CDate(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kDate:
      return SerialOrThrow(value.AsDate().serial);
    case VarType::kString:
      // The date reading wins where both apply: "2.5" is 02:05, not noon on 1 Jan 1900.
      if (std::optional<Date> date = ParseDate(value.AsString(), locale)) return *date;
      return SerialOrThrow(CDbl(value, locale));
    default:
      return SerialOrThrow(CDbl(value, locale));
  }
}

bool IsDate(const Variant& value, const Locale& locale) {
  if (value.type() == VarType::kDate) return true;
  return value.IsString() && ParseDate(value.AsString(), locale).has_value();
}

}  // namespace kelvo
