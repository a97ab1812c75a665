// The scripting runtime's conversions between variants, text, numbers and dates.
//
// Every function is a pure function of its arguments (ParseDate's two-argument form also reads
// the clock) and may be called from any thread. Failures throw kelvo::Error with the runtime's
// numbers: errc::kTypeMismatch (13, "Type mismatch") for a value of the wrong kind or text that
// does not read as the wanted type, errc::kOverflow (6, "Overflow") for a value beyond the
// target's range, errc::kInvalidUseOfNull (94, "Invalid use of Null") for Null.
#ifndef KELVO_CONVERT_H_
#define KELVO_CONVERT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kelvo/export.h"
#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// The text of a value: Empty gives "", Booleans "True"/"False", integers plain digits,
// doubles up to 15 significant digits (exponent form below 1E-4 and from 1E15 on), currency up
// to 4 decimals, decimals all their digits, dates the general date form; the decimal separator
// is the locale's. Throws for Null (94), binary data and objects (13).
KELVO_EXPORT std::string CStr(const Variant& value, const Locale& locale);

// The value rounded to a whole number, ties to even, checked against the target's range after
// rounding (6). Empty is 0, True is -1; text is read by ParseNumber (13 when it doesn't read);
// dates give their serial. Throws 94 for Null and 13 for binary data and objects.
KELVO_EXPORT std::int32_t CLng(const Variant& value, const Locale& locale);
KELVO_EXPORT std::int16_t CInt(const Variant& value, const Locale& locale);

// The value as a double, with the same rules as CLng but no rounding.
KELVO_EXPORT double CDbl(const Variant& value, const Locale& locale);

// Zero is False and any other number True. Text reads as "True"/"False" in any case,
// "#TRUE#"/"#FALSE#", or a number; anything else throws 13. Empty is False; Null throws 94.
KELVO_EXPORT bool CBool(const Variant& value, const Locale& locale);

// Numbers are serials; text is read by ParseDate, failing that as a number taken as a serial
// ("1" is 31 Dec 1899). Empty is the serial 0. Throws 6 for serials outside
// 1 Jan 100 .. 31 Dec 9999, 13 for text that reads as neither, binary data and objects, and 94
// for Null.
KELVO_EXPORT Date CDate(const Variant& value, const Locale& locale);

// True for Empty, Booleans and numbers, and for text that ParseNumber reads; never throws.
// Dates, Null, binary data and objects are not numeric.
KELVO_EXPORT bool IsNumeric(const Variant& value, const Locale& locale);

// True for dates and for text that ParseDate reads (a lone number does not); never throws.
KELVO_EXPORT bool IsDate(const Variant& value, const Locale& locale);

// Reads the whole text as a number in the locale's notation: blanks around it; a leading or
// trailing + or -, or parentheses for a negative; the currency symbol before or after; group
// separators among the integer digits (a plain space too where the locale groups with a
// no-break space); one decimal separator; an exponent (e or E, optional sign); or &H hex and
// &O octal digits, read as a 16-bit or else 32-bit two's complement value as the runtime's
// literals are ("&HFFFF" is -1). Nothing when the text is not such a number, or the value is
// beyond the double range.
KELVO_EXPORT std::optional<double> ParseNumber(std::string_view text, const Locale& locale);

// As ParseNumber, but exact: the value as a Decimal's canonical text, without binary rounding.
// Nothing also when the value would need more than 1000 digits.
KELVO_EXPORT std::optional<Decimal> ParseDecimal(std::string_view text, const Locale& locale);

// Reads the whole text as a date, a time, or both, in the locale's conventions:
// - fields are separated by blanks, "-", "/", "," or the locale's date separator; ":" separates
//   time fields, and so does "." where it is not the date separator ("04.28.14" is a time);
// - a time has hours 0-23 and minutes, optionally seconds, 0-59, optionally followed by AM/PM,
//   A/P or the locale's designators (ignored for hours above 12);
// - three numbers are a day, month and year in the locale's order, else in another order that
//   makes a valid date; a number above 31 or of three or more digits first is a year
//   (year-month-day); two numbers are a day and month of the current year (or a month and
//   year when one of them is a year); month and weekday names and abbreviations of the locale
//   or of English are understood (weekday names are skipped);
// - years of one or two digits: 00-29 are 2000-2029, 30-99 are 1930-1999;
// - a time alone is on 30 Dec 1899.
// Nothing when the text is not such a date or names an impossible date or time. A lone number
// is not a date.
KELVO_EXPORT std::optional<Date> ParseDate(std::string_view text, const Locale& locale);
// As above, with the year that two-number dates take.
KELVO_EXPORT std::optional<Date> ParseDate(std::string_view text, const Locale& locale,
                                           int current_year);

// The general date text: the short date, then a blank and the long time; the date alone at
// midnight and the time alone on 30 Dec 1899 (the serial 0 shows as a time). Resolved to whole
// seconds. Throws 6 for a serial outside 1 Jan 100 .. 31 Dec 9999.
KELVO_EXPORT std::string FormatGeneralDate(Date date, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_CONVERT_H_
