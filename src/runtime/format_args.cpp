#include "runtime/format_args.h"

#include "kelvo/convert.h"
#include "runtime/errors.h"

namespace kelvo {

std::int32_t IntegerArg(const OptionalArg& arg, std::int32_t fallback, const Locale& locale) {
  return arg ? CLng(*arg, locale) : fallback;
}

bool TristateArg(const OptionalArg& arg, bool locale_default, const Locale& locale) {
  switch (IntegerArg(arg, kTristateUseDefault, locale)) {
    case kTristateTrue:
      return true;
    case kTristateFalse:
      return false;
    case kTristateUseDefault:
      return locale_default;
    default:
      ThrowInvalidCall();
  }
}

Weekday FirstDayOfWeekArg(const OptionalArg& arg, const Locale& locale) {
  const std::int32_t value = IntegerArg(arg, 1, locale);
  if (value == 0) return locale.first_day_of_week;
  if (value < 1 || value > 7) ThrowInvalidCall();
  return static_cast<Weekday>(value);
}

FirstWeek FirstWeekOfYearArg(const OptionalArg& arg, const Locale& locale) {
  const std::int32_t value = IntegerArg(arg, 1, locale);
  if (value == 0) return locale.first_week_of_year;
  if (value < 1 || value > 3) ThrowInvalidCall();
  return static_cast<FirstWeek>(value);
}

}  // namespace kelvo
