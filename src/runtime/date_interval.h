// The interval codes of DateAdd and DatePart.
#ifndef KELVO_RUNTIME_DATE_INTERVAL_H_
#define KELVO_RUNTIME_DATE_INTERVAL_H_

#include <cstdint>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

enum class DateInterval : std::uint8_t {
  kYear,       // yyyy
  kQuarter,    // q
  kMonth,      // m
  kDayOfYear,  // y
  kDay,        // d
  kWeekday,    // w
  kWeek,       // ww
  kHour,       // h
  kMinute,     // n
  kSecond,     // s
};

// The interval its code names, without regard to case. Throws 94 for Null and 5 for any other
// text.
DateInterval ReadDateInterval(const Variant& interval, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_DATE_INTERVAL_H_
