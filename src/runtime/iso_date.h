// Dates as ISO-8601 text, the form in which databases without a date type keep them.
#ifndef KELVO_RUNTIME_ISO_DATE_H_
#define KELVO_RUNTIME_ISO_DATE_H_

#include <optional>
#include <string>
#include <string_view>

#include "kelvo/variant.h"

namespace kelvo {

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DD HH:MM:SS" (a 'T' may stand for the
// blank; seconds may have a fraction) and the time alone "HH:MM[:SS]", which is a time on the
// zero day, 30 Dec 1899. Nothing when the text is none of these or names no real date.
std::optional<Date> ParseIsoDate(std::string_view text);

// The column a date is written for. Nothing of the value is dropped: a date column gets the
// time too when it is not midnight, a time column gets the date when it is not the zero day.
enum class IsoDateColumn { kDate, kTime, kDateTime };

// "YYYY-MM-DD", "HH:MM:SS" or "YYYY-MM-DD HH:MM:SS". Throws Error(errc::kOverflow) for a date
// outside years 100 to 9999.
std::string IsoDateText(Date date, IsoDateColumn column);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_ISO_DATE_H_
