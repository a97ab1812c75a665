// Dates through the date section of a user format pattern.
#ifndef KELVO_RUNTIME_FORMAT_DATE_H_
#define KELVO_RUNTIME_FORMAT_DATE_H_

#include <optional>
#include <string>
#include <string_view>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// The date through `section` (tokens as listed for Format in kelvo/format.h); w and ww count
// weeks starting on `first_day` under the `first_week` rule.
std::string FormatDateSection(std::string_view section, Date date, Weekday first_day,
                              FirstWeek first_week, const Locale& locale);

// The value as a date for a date pattern: dates as they are, text read as CDate reads it and
// other values converted by CDate. Nothing for text that reads as no date or number.
std::optional<Date> DateForPattern(const Variant& value, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_FORMAT_DATE_H_
