// Reading the optional and flag arguments of the runtime's formatting and date functions.
#ifndef KELVO_RUNTIME_FORMAT_ARGS_H_
#define KELVO_RUNTIME_FORMAT_ARGS_H_

#include <cstdint>

#include "kelvo/format.h"
#include "kelvo/locale.h"

namespace kelvo {

// The argument as CLng reads it, or `fallback` when it was left out. Throws 94 for Null.
std::int32_t IntegerArg(const OptionalArg& arg, std::int32_t fallback, const Locale& locale);

// A tristate (-1 true, 0 false, -2 or left out: `locale_default`). Throws 5 for other values.
bool TristateArg(const OptionalArg& arg, bool locale_default, const Locale& locale);

// A first-day-of-week argument: 0 the locale's, 1 (Sunday, the default) .. 7. Throws 5 outside.
Weekday FirstDayOfWeekArg(const OptionalArg& arg, const Locale& locale);

// A first-week-of-year argument: 0 the locale's, 1 (the default) .. 3. Throws 5 outside.
FirstWeek FirstWeekOfYearArg(const OptionalArg& arg, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_FORMAT_ARGS_H_
