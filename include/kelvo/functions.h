// The scripting runtime's date, string and arithmetic built-ins: DateAdd, DatePart, Replace,
// Left, Right, Mid, UCase, LCase, Len, Round and Abs.
//
// Every function is a pure function of its arguments and may be called from any thread.
// Arguments that are not text are turned into text as CStr does it; numeric arguments may be
// text, read in the locale's notation. Failures throw kelvo::Error with the runtime's numbers:
// errc::kTypeMismatch (13) for a value that does not convert, errc::kInvalidUseOfNull (94) for
// Null where a value is needed, errc::kInvalidCall (5) for an argument outside its range,
// errc::kOverflow (6) for a number beyond the range it converts to.
//
// Text positions and lengths count UTF-16 code units, as the runtime's strings do: a character
// beyond U+FFFF counts two. A cut that falls between those two moves past the character; a byte
// that is not valid UTF-8 counts one and is kept as it is.
#ifndef KELVO_FUNCTIONS_H_
#define KELVO_FUNCTIONS_H_

#include <string>

#include "kelvo/export.h"
#include "kelvo/format.h"
#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// The date plus `number` intervals of the kind named by `interval`, without regard to case:
// "yyyy" years, "q" quarters, "m" months (the day is clamped to the month's length: 31 Jan + 1
// month is 28 or 29 Feb), "y", "d" and "w" days, "ww" weeks, "h" hours, "n" minutes, "s"
// seconds. `number` is rounded to a whole number, ties to even; the time of day is kept.
// Returns a Date, or Null when `date` is Null. Throws 94 for a Null interval or number, 5 for
// an unknown interval or a result outside 1 Jan 100 .. 31 Dec 9999, 13 for a date or number
// that does not convert.
KELVO_EXPORT Variant DateAdd(const Variant& interval, const Variant& number, const Variant& date,
                             const Locale& locale);

// One part of the date, as an Int32: "yyyy" year, "q" quarter 1-4, "m" month, "y" day of the
// year, "d" day, "w" weekday 1-7 counted from `first_day_of_week`, "ww" week of the year, "h",
// "n", "s". `first_day_of_week` is 0 (the locale's), 1 Sunday (default) .. 7 Saturday;
// `first_week_of_year` is 0 (the locale's), 1 the week of 1 January (default), 2 the first week
// with four days in the new year, 3 the first full week. A day before week 1 belongs to the last
// week of the previous year; under the four-day rule, a day of the last days of December that
// belongs to the next year's week 1 is week 1. Returns Null when `date` is Null. Throws 94 for a
// Null interval or week argument, 5 for an unknown interval or a week argument out of range.
KELVO_EXPORT Variant DatePart(const Variant& interval, const Variant& date, const Locale& locale,
                              const OptionalArg& first_day_of_week = {},
                              const OptionalArg& first_week_of_year = {});

// Compare modes of Replace.
inline constexpr int kBinaryCompare = 0;
inline constexpr int kTextCompare = 1;  // letters match without regard to case

// `expression` from position `start` (1-based, default 1) with up to `count` (default -1: all)
// occurrences of `find` replaced by `replace_with`, left to right without overlap. The
// characters before `start` are not part of the result; a start beyond the end gives "". An
// empty `find` or a count of 0 replaces nothing. Throws 94 when any argument is Null, 5 for a
// start below 1, a count below -1 or a compare mode other than 0 and 1.
KELVO_EXPORT std::string Replace(const Variant& expression, const Variant& find,
                                 const Variant& replace_with, const Locale& locale,
                                 const OptionalArg& start = {}, const OptionalArg& count = {},
                                 const OptionalArg& compare = {});

// The first / last `length` characters of the text (all of it when it is shorter). `length` is
// rounded, ties to even. Returns Null when `text` is Null. Throws 94 for a Null length and 5 for
// a negative one.
KELVO_EXPORT Variant Left(const Variant& text, const Variant& length, const Locale& locale);
KELVO_EXPORT Variant Right(const Variant& text, const Variant& length, const Locale& locale);

// The characters of the text from position `start` (1-based), `length` of them or (omitted) all
// the rest; "" when `start` is beyond the end. Returns Null when `text` is Null. Throws 94 for a
// Null start or length, 5 for a start below 1 or a negative length.
KELVO_EXPORT Variant Mid(const Variant& text, const Variant& start, const Locale& locale,
                         const OptionalArg& length = {});

// The text in upper / lower case (ASCII and Latin-1 letters). Null gives Null, Empty "".
KELVO_EXPORT Variant UCase(const Variant& text, const Locale& locale);
KELVO_EXPORT Variant LCase(const Variant& text, const Locale& locale);

// The length of the value's text as an Int32. Null gives Null, Empty 0.
KELVO_EXPORT Variant Len(const Variant& text, const Locale& locale);

// The number rounded to `digits` decimals (default 0), ties to even. Doubles (and text, which is
// read as a Double) are scaled by 10^digits in double arithmetic, so a tie written in decimal
// counts as a tie; currency and decimals round exactly; integers come back unchanged. The result
// keeps the value's kind (Empty and Booleans give an Int32). Null gives Null. Throws 94 for Null
// digits, 5 for negative digits, 13 for a value that is no number.
KELVO_EXPORT Variant Round(const Variant& number, const Locale& locale,
                           const OptionalArg& digits = {});

// The absolute value, of the value's kind: an Int32 that does not fit becomes an Int64, an Int64
// a Decimal; Empty and Booleans give an Int32, dates and text a Double. Null gives Null. Throws
// 13 for a value that is no number and 6 for the lowest currency amount.
KELVO_EXPORT Variant Abs(const Variant& number, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_FUNCTIONS_H_
