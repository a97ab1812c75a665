// Calendar arithmetic on the runtime's dates (kelvo::Date, days since 30 Dec 1899).
#ifndef KELVO_DATE_H_
#define KELVO_DATE_H_

#include "kelvo/export.h"
#include "kelvo/variant.h"

namespace kelvo {

struct DateTimeParts {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

// The date of those parts (proleptic Gregorian). Throws Error(errc::kOverflow) outside
// 1 Jan 100 .. 31 Dec 9999 and Error(errc::kInvalidCall) for an impossible date or time
// (month 1..12, day within the month, hour 0..23, minute and second 0..59).
KELVO_EXPORT Date MakeDate(const DateTimeParts& parts);
// The parts of a date, rounded to the nearest whole second. Throws Error(errc::kOverflow) for a
// serial outside 1 Jan 100 .. 31 Dec 9999 (or not a number).
KELVO_EXPORT DateTimeParts SplitDate(Date date);

}  // namespace kelvo

#endif  // KELVO_DATE_H_
