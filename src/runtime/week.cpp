#include "runtime/week.h"

#include <cstdint>

#include "runtime/calendar.h"

namespace kelvo {
namespace {

// Days since the start of the week that `day` falls in, weeks starting on `first_day`.
int OffsetInWeek(std::int64_t day, Weekday first_day) {
  // Day 0, 30 Dec 1899, was a Saturday (weekday 7).
  const auto weekday = static_cast<int>(((day % 7) + 13) % 7);  // 0 = Sunday
  return (weekday - (static_cast<int>(first_day) - 1) + 7) % 7;
}

// The day number on which week 1 of `year` starts.
std::int64_t FirstWeekStart(int year, Weekday first_day, FirstWeek first_week) {
  const std::int64_t jan1 = DayNumber(year, 1, 1);
  const int offset = OffsetInWeek(jan1, first_day);
  switch (first_week) {
    case FirstWeek::kContainsJan1:
      return jan1 - offset;
    case FirstWeek::kFirstFourDays:
      return offset <= 3 ? jan1 - offset : jan1 + 7 - offset;
    case FirstWeek::kFirstFullWeek:
      break;
  }
  return offset == 0 ? jan1 : jan1 + 7 - offset;
}

}  // namespace

int WeekdayNumber(const DateTimeParts& parts, Weekday first_day) {
  return OffsetInWeek(DayNumber(parts.year, parts.month, parts.day), first_day) + 1;
}

int DayOfYear(const DateTimeParts& parts) {
  return static_cast<int>(DayNumber(parts.year, parts.month, parts.day) -
                          DayNumber(parts.year, 1, 1)) +
         1;
}

int WeekOfYear(const DateTimeParts& parts, Weekday first_day, FirstWeek first_week) {
  const std::int64_t day = DayNumber(parts.year, parts.month, parts.day);
  std::int64_t start = FirstWeekStart(parts.year, first_day, first_week);
  if (day < start) {
    start = FirstWeekStart(parts.year - 1, first_day, first_week);
  } else if (first_week == FirstWeek::kFirstFourDays &&
             day >= FirstWeekStart(parts.year + 1, first_day, first_week)) {
    return 1;
  }
  return static_cast<int>((day - start) / 7) + 1;
}

}  // namespace kelvo
