// FormatDateTime.
#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "kelvo/format.h"
#include "runtime/date_pattern.h"
#include "runtime/errors.h"
#include "runtime/format_args.h"

namespace kelvo {

std::string FormatDateTime(const Variant& date, const Locale& locale,
                           const OptionalArg& named_format) {
  if (date.IsNull()) ThrowTypeMismatch();
  const Date value = CDate(date, locale);
  const std::int32_t format = IntegerArg(named_format, kGeneralDate, locale);
  switch (format) {
    case kGeneralDate:
      return FormatGeneralDate(value, locale);
    case kLongDate:
      return FormatDatePattern(SplitDate(value), locale.long_date, locale);
    case kShortDate:
      return FormatDatePattern(SplitDate(value), locale.short_date, locale);
    case kLongTime:
      return FormatDatePattern(SplitDate(value), locale.long_time, locale);
    case kShortTime:
      return FormatDatePattern(SplitDate(value), "HH:mm", locale);
    default:
      ThrowInvalidCall();
  }
}

}  // namespace kelvo
