// The scripting runtime's formatting functions: FormatNumber, FormatCurrency, FormatPercent,
// FormatDateTime and Format with user patterns.
//
// Every function is a pure function of its arguments and may be called from any thread. Failures
// throw kelvo::Error with the runtime's numbers: errc::kTypeMismatch (13, "Type mismatch") for a
// value that does not convert (text that reads as no number or date, Null as the value of the
// Format... functions), errc::kInvalidUseOfNull (94, "Invalid use of Null") for Null as an
// optional argument, errc::kInvalidCall (5, "Invalid procedure call or argument") for an argument
// outside its range, errc::kOverflow (6, "Overflow") for a number or date beyond its range.
#ifndef KELVO_FORMAT_H_
#define KELVO_FORMAT_H_

#include <optional>
#include <string>

#include "kelvo/export.h"
#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// An optional argument of a runtime function: std::nullopt when the caller leaves it out, which
// is not the same as passing Empty (0) or Null (an error). Numeric arguments may be text, read in
// the locale's notation.
using OptionalArg = std::optional<Variant>;

// Tristate argument values.
inline constexpr int kTristateTrue = -1;
inline constexpr int kTristateFalse = 0;
inline constexpr int kTristateUseDefault = -2;

// The value as a number with `digits_after_decimal` decimals (-1 or omitted: the locale's count;
// at most 99), rounded half away from zero. Doubles are first reduced to their 15 significant
// digits, so 1.005 gives "1.01"; text, currency, decimals and integers keep their exact digits.
// The three tristates (-1 true, 0 false, -2 or omitted: the locale's choice) select a leading
// "0" before the decimal separator of a number below 1, parentheses around a negative number
// instead of the locale's negative sign, and the locale's digit grouping. A value that rounds
// to zero shows no sign. Empty is 0, True is -1, a date its serial.
KELVO_EXPORT std::string FormatNumber(const Variant& expression, const Locale& locale,
                                      const OptionalArg& digits_after_decimal = {},
                                      const OptionalArg& include_leading_digit = {},
                                      const OptionalArg& use_parens_for_negative = {},
                                      const OptionalArg& group_digits = {});

// As FormatNumber, placed between the locale's currency affixes ("$1,234.50", "1.234,50 €").
// With parentheses the locale's positive affixes go inside them ("(50,00 €)").
KELVO_EXPORT std::string FormatCurrency(const Variant& expression, const Locale& locale,
                                        const OptionalArg& digits_after_decimal = {},
                                        const OptionalArg& include_leading_digit = {},
                                        const OptionalArg& use_parens_for_negative = {},
                                        const OptionalArg& group_digits = {});

// As FormatNumber for the value times 100, between the locale's percent affixes ("12.34%").
KELVO_EXPORT std::string FormatPercent(const Variant& expression, const Locale& locale,
                                       const OptionalArg& digits_after_decimal = {},
                                       const OptionalArg& include_leading_digit = {},
                                       const OptionalArg& use_parens_for_negative = {},
                                       const OptionalArg& group_digits = {});

// Named formats of FormatDateTime.
inline constexpr int kGeneralDate = 0;  // short date and/or long time, as CStr writes dates
inline constexpr int kLongDate = 1;
inline constexpr int kShortDate = 2;
inline constexpr int kLongTime = 3;
inline constexpr int kShortTime = 4;  // "HH:mm" in every locale

// The date in one of the named formats above (omitted: kGeneralDate). Text is read as CDate
// reads it. Throws 13 for Null or a value that is no date, 94 for a Null format, 5 for a format
// outside 0..4 and 6 for a serial outside 1 Jan 100 .. 31 Dec 9999.
KELVO_EXPORT std::string FormatDateTime(const Variant& date, const Locale& locale,
                                        const OptionalArg& named_format = {});

// The value through a user pattern (the "Format" function of the runtime's language family).
// - No pattern, or "": the value as CStr writes it ("" for Null).
// - A named format, compared without regard to case: "General Number", "Currency", "Fixed",
//   "Standard", "Percent", "Scientific", "Yes/No", "True/False", "On/Off", "General Date",
//   "Long Date", "Medium Date", "Short Date", "Long Time", "Medium Time", "Short Time".
// - A numeric pattern (one holding 0, # or %): up to four sections for positive, negative, zero
//   and Null values with the tokens 0 # . , % E+ E- e+ e-; "text" and \c are literal.
// - A string pattern (one holding @ or &): @ & < > !; a second section for Null and "".
// - Otherwise a date pattern: d dd ddd dddd ddddd dddddd w ww m mm mmm mmmm q y yy yyyy h hh
//   n nn s ss ttttt c AM/PM am/pm A/P a/p AMPM : /, letters without regard to case.
// Numbers, Booleans and dates convert to what the pattern formats; text that does not read as
// the wanted number or date comes back unchanged. `first_day_of_week` (0 the locale's, 1 Sunday
// (default) .. 7 Saturday) and `first_week_of_year` (0 the locale's, 1 the week of 1 January
// (default), 2 the first week of four days, 3 the first full week) number the w and ww tokens.
// Throws 94 for a Null pattern or week argument, 5 for a week argument out of range or a
// pattern of more than four sections, 13 for binary data and objects.
KELVO_EXPORT std::string Format(const Variant& expression, const Locale& locale,
                                const OptionalArg& pattern = {},
                                const OptionalArg& first_day_of_week = {},
                                const OptionalArg& first_week_of_year = {});

}  // namespace kelvo

#endif  // KELVO_FORMAT_H_
