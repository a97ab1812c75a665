// Writing dates and times through the locale's patterns (the tokens are listed in locale.h).
#ifndef KELVO_RUNTIME_DATE_PATTERN_H_
#define KELVO_RUNTIME_DATE_PATTERN_H_

#include <string>
#include <string_view>

#include "kelvo/date.h"
#include "kelvo/locale.h"

namespace kelvo {

// The day of the week of those parts' date, 0 = Sunday ... 6 = Saturday.
int WeekdayIndex(const DateTimeParts& parts);

// The parts written through `pattern`, with the locale's names and designators.
std::string FormatDatePattern(const DateTimeParts& parts, std::string_view pattern,
                              const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_DATE_PATTERN_H_
