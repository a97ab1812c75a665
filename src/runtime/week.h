// Weekday and week-of-year numbers as DatePart and Format's w and ww count them.
#ifndef KELVO_RUNTIME_WEEK_H_
#define KELVO_RUNTIME_WEEK_H_

#include "kelvo/date.h"
#include "kelvo/locale.h"

namespace kelvo {

// 1 for `first_day` .. 7 for the day before it.
int WeekdayNumber(const DateTimeParts& parts, Weekday first_day);

// 1 for 1 January.
int DayOfYear(const DateTimeParts& parts);

// The week of the year, weeks starting on `first_day`. A day before week 1 counts in the last
// week of the previous year (so 1 Jan can be week 52 or 53). Under the four-day rule the last
// days of December can belong to week 1 of the next year, and then are week 1 (ISO 8601 for a
// Monday start).
int WeekOfYear(const DateTimeParts& parts, Weekday first_day, FirstWeek first_week);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_WEEK_H_
