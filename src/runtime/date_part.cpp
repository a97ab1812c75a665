// DatePart.
#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "kelvo/functions.h"
#include "runtime/date_interval.h"
#include "runtime/format_args.h"
#include "runtime/week.h"

namespace kelvo {

Variant DatePart(const Variant& interval, const Variant& date, const Locale& locale,
                 const OptionalArg& first_day_of_week, const OptionalArg& first_week_of_year) {
  const DateInterval kind = ReadDateInterval(interval, locale);
  const Weekday first_day = FirstDayOfWeekArg(first_day_of_week, locale);
  const FirstWeek first_week = FirstWeekOfYearArg(first_week_of_year, locale);
  if (date.IsNull()) return Variant::Null();
  const DateTimeParts parts = SplitDate(CDate(date, locale));
  switch (kind) {
    case DateInterval::kYear:
      return parts.year;
    case DateInterval::kQuarter:
      return (parts.month - 1) / 3 + 1;
    case DateInterval::kMonth:
      return parts.month;
    case DateInterval::kDayOfYear:
      return DayOfYear(parts);
    case DateInterval::kDay:
      return parts.day;
    case DateInterval::kWeekday:
      return WeekdayNumber(parts, first_day);
    case DateInterval::kWeek:
      return WeekOfYear(parts, first_day, first_week);
    case DateInterval::kHour:
      return parts.hour;
    case DateInterval::kMinute:
      return parts.minute;
    case DateInterval::kSecond:
      break;
  }
  return parts.second;
}

}  // namespace kelvo
