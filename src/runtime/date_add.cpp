// DateAdd.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "kelvo/convert.h"
#include "kelvo/functions.h"
#include "runtime/calendar.h"
#include "runtime/date_interval.h"
#include "runtime/errors.h"

namespace kelvo {
namespace {

constexpr double kSecondsPerDay = 86400;

// A date as its day number and the time of day, a fraction in [0, 1) counted forward from
// midnight even before the epoch.
struct DayAndTime {
  double day;
  double time;
};

DayAndTime Split(Date date) {
  const double day = std::trunc(date.serial);
  return {day, std::fabs(date.serial - day)};
}

Date Join(double day, double time) {
  if (!(day >= static_cast<double>(kMinDay) && day <= static_cast<double>(kMaxDay))) {
    ThrowInvalidCall();
  }
  return Date{day < 0 ? day - time : day + time};
}

Date AddMonths(Date date, double months) {
  const DayAndTime start = Split(date);
  const CivilDate civil = CivilFromDayNumber(static_cast<std::int64_t>(start.day));
  const double total = civil.year * 12.0 + (civil.month - 1) + months;
  const double year = std::floor(total / 12);
  if (!(year >= kMinYear && year <= kMaxYear)) ThrowInvalidCall();
  const int new_year = static_cast<int>(year);
  const int new_month = static_cast<int>(total - year * 12) + 1;
  // The day is clamped to the length of the month: 31 Jan + 1 month is the end of February.
  const int new_day = std::min(civil.day, DaysInMonth(new_year, new_month));
  return Join(static_cast<double>(DayNumber(new_year, new_month, new_day)), start.time);
}

Date AddDays(Date date, double days) {
  const DayAndTime start = Split(date);
  return Join(start.day + days, start.time);
}

Date AddSeconds(Date date, double seconds) {
  const DayAndTime start = Split(date);
  // Whole milliseconds keep repeated additions from drifting off the second.
  double total = start.day * kSecondsPerDay + start.time * kSecondsPerDay + seconds;
  total = std::round(total * 1000) / 1000;
  const double day = std::floor(total / kSecondsPerDay);
  return Join(day, (total - day * kSecondsPerDay) / kSecondsPerDay);
}

}  // namespace

Variant DateAdd(const Variant& interval, const Variant& number, const Variant& date,
                const Locale& locale) {
  const DateInterval kind = ReadDateInterval(interval, locale);
  // Rounded to a whole number as CLng rounds, ties to even.
  const double count = std::nearbyint(CDbl(number, locale));
  if (!std::isfinite(count)) ThrowInvalidCall();
  if (date.IsNull()) return Variant::Null();
  const Date start = CDate(date, locale);
  switch (kind) {
    case DateInterval::kYear:
      return AddMonths(start, count * 12);
    case DateInterval::kQuarter:
      return AddMonths(start, count * 3);
    case DateInterval::kMonth:
      return AddMonths(start, count);
    case DateInterval::kDayOfYear:
    case DateInterval::kDay:
    case DateInterval::kWeekday:
      return AddDays(start, count);
    case DateInterval::kWeek:
      return AddDays(start, count * 7);
    case DateInterval::kHour:
      return AddSeconds(start, count * 3600);
    case DateInterval::kMinute:
      return AddSeconds(start, count * 60);
    case DateInterval::kSecond:
      break;
  }
  return AddSeconds(start, count);
}

}  // namespace kelvo
