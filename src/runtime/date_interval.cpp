#include "runtime/date_interval.h"

#include <array>
#include <string>
#include <string_view>

#include "kelvo/convert.h"
#include "runtime/errors.h"
#include "runtime/text.h"

namespace kelvo {
namespace {

struct IntervalCode {
  std::string_view code;
  DateInterval interval;
};

constexpr std::array<IntervalCode, 10> kCodes{{
    {"yyyy", DateInterval::kYear},
    {"q", DateInterval::kQuarter},
    {"m", DateInterval::kMonth},
    {"y", DateInterval::kDayOfYear},
    {"d", DateInterval::kDay},
    {"w", DateInterval::kWeekday},
    {"ww", DateInterval::kWeek},
    {"h", DateInterval::kHour},
    {"n", DateInterval::kMinute},
    {"s", DateInterval::kSecond},
}};

}  // namespace

DateInterval ReadDateInterval(const Variant& interval, const Locale& locale) {
  const std::string code = CStr(interval, locale);
  for (const IntervalCode& entry : kCodes) {
    if (EqualsIgnoreCase(entry.code, code)) return entry.interval;
  }
  ThrowInvalidCall();
}

}  // namespace kelvo
