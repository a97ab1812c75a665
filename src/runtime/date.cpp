#include "kelvo/date.h"

#include <cmath>
#include <cstdint>

#include "kelvo/error.h"
#include "runtime/calendar.h"
#include "runtime/errors.h"

namespace kelvo {
namespace {

constexpr int kSecondsPerDay = 86400;

}  // namespace

Date MakeDate(const DateTimeParts& parts) {
  if (parts.year < kMinYear || parts.year > kMaxYear) ThrowOverflow();
  if (parts.month < 1 || parts.month > 12 || parts.day < 1 ||
      parts.day > DaysInMonth(parts.year, parts.month) || parts.hour < 0 || parts.hour > 23 ||
      parts.minute < 0 || parts.minute > 59 || parts.second < 0 || parts.second > 59) {
    throw Error(errc::kInvalidCall, "Invalid procedure call or argument");
  }
  const auto day = static_cast<double>(DayNumber(parts.year, parts.month, parts.day));
  const double time =
      (parts.hour * 3600 + parts.minute * 60 + parts.second) / static_cast<double>(kSecondsPerDay);
  // Before the epoch the fraction still counts forward from midnight.
  return Date{day < 0 ? day - time : day + time};
}

DateTimeParts SplitDate(Date date) {
  const double serial = date.serial;
  if (!(serial > static_cast<double>(kMinDay - 1) && serial < static_cast<double>(kMaxDay + 1))) {
    ThrowOverflow();
  }
  auto day = static_cast<std::int64_t>(std::trunc(serial));
  auto seconds = static_cast<std::int64_t>(
      std::llround(std::fabs(serial - static_cast<double>(day)) * kSecondsPerDay));
  if (seconds == kSecondsPerDay) {
    // A time that rounds up to midnight belongs to the next calendar day, unless that would
    // leave the range.
    if (day < kMaxDay) {
      ++day;
      seconds = 0;
    } else {
      seconds = kSecondsPerDay - 1;
    }
  }
  const CivilDate civil = CivilFromDayNumber(day);
  DateTimeParts parts;
  parts.year = civil.year;
  parts.month = civil.month;
  parts.day = civil.day;
  parts.hour = static_cast<int>(seconds / 3600);
  parts.minute = static_cast<int>(seconds / 60 % 60);
  parts.second = static_cast<int>(seconds % 60);
  return parts;
}

}  // namespace kelvo
