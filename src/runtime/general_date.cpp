#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "runtime/date_pattern.h"

namespace kelvo {

std::string FormatGeneralDate(Date date, const Locale& locale) {
  const DateTimeParts parts = SplitDate(date);
  const bool epoch_day = parts.year == 1899 && parts.month == 12 && parts.day == 30;
  const bool midnight = parts.hour == 0 && parts.minute == 0 && parts.second == 0;
  if (epoch_day) return FormatDatePattern(parts, locale.long_time, locale);
  if (midnight) return FormatDatePattern(parts, locale.short_date, locale);
  return FormatDatePattern(parts, locale.short_date, locale) + " " +
         FormatDatePattern(parts, locale.long_time, locale);
}

}  // namespace kelvo
