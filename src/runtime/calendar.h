// Proleptic Gregorian calendar arithmetic in whole days.
#ifndef KELVO_RUNTIME_CALENDAR_H_
#define KELVO_RUNTIME_CALENDAR_H_

#include <cstdint>

namespace kelvo {

// The range of years a Date may hold.
inline constexpr int kMinYear = 100;
inline constexpr int kMaxYear = 9999;

// Day numbers of 1 Jan 100 and 31 Dec 9999 (days since 30 Dec 1899).
inline constexpr std::int64_t kMinDay = -657434;
inline constexpr std::int64_t kMaxDay = 2958465;

inline constexpr bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days in that month (1..12) of that year.
inline constexpr int DaysInMonth(int year, int month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 30 Dec 1899 to that date; valid for any year the calendar reaches.
std::int64_t DayNumber(int year, int month, int day);

struct CivilDate {
  int year;
  int month;
  int day;
};

// The date that many days after 30 Dec 1899.
CivilDate CivilFromDayNumber(std::int64_t days);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_CALENDAR_H_
