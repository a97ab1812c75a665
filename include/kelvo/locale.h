// The host's locale: how numbers, currency, percentages and dates become text and back.
//
// A Locale is plain data. The built-in profiles live for the whole program and may be read
// from any thread; a host may also build its own profile by copying one and changing fields.
#ifndef KELVO_LOCALE_H_
#define KELVO_LOCALE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/export.h"

namespace kelvo {

// Text written before and after the digits of a number, e.g. {"(", ")"} or {"-", " €"}.
struct Affixes {
  std::string prefix;
  std::string suffix;
  friend bool operator==(const Affixes&, const Affixes&) = default;
};

// The order in which a date's day, month and year are written.
enum class DateOrder : std::uint8_t { kMonthDayYear, kDayMonthYear, kYearMonthDay };

// Days numbered as the runtime's weekday constants: 1 = Sunday ... 7 = Saturday.
enum class Weekday : std::uint8_t {
  kSunday = 1,
  kMonday,
  kTuesday,
  kWednesday,
  kThursday,
  kFriday,
  kSaturday
};

// Which week is week 1 of a year, numbered as the runtime's week-of-year constants.
enum class FirstWeek : std::uint8_t {
  kContainsJan1 = 1,   // the week holding 1 January
  kFirstFourDays = 2,  // the first week with at least four days in the new year
  kFirstFullWeek = 3,  // the first week wholly in the new year
};

// The member defaults are the en-US profile. Every text is UTF-8. Date and time patterns use these
// tokens (anything else is copied):
//   d dd ddd dddd   day, day with two digits, abbreviated and full weekday name
//   M MM MMM MMMM   month, month with two digits, abbreviated and full month name
//   yy yyyy         year with two digits, full year (never zero-padded)
//   h hh H HH       hour on the 12-hour clock, on the 24-hour clock (one or two digits)
//   m mm s ss       minute, second (one or two digits)
//   t tt            first letter of the AM/PM designator, the whole designator
//   '...'           literal text
struct KELVO_EXPORT Locale {
  std::string name;  // "en-US"

  // Numbers.
  std::string decimal_separator = ".";
  std::string group_separator = ",";
  int group_size = 3;        // digits per group left of the decimal separator
  int digits = 2;            // default count of decimals in formatted numbers
  bool leading_zero = true;  // "0.5" rather than ".5"
  Affixes negative_number{"-", ""};

  // Currency: the affixes include the symbol; the digits go between them.
  std::string currency_symbol = "$";
  Affixes positive_currency{"$", ""};
  Affixes negative_currency{"($", ")"};

  // Percentages: the affixes include the percent sign.
  Affixes positive_percent{"", "%"};
  Affixes negative_percent{"-", "%"};

  // Dates and times.
  std::string short_date = "M/d/yyyy";
  std::string long_date = "dddd, MMMM d, yyyy";
  std::string long_time = "h:mm:ss tt";
  bool clock_12h = true;  // long_time shows the 12-hour clock and a designator
  std::string am_designator = "AM";
  std::string pm_designator = "PM";
  std::string date_separator = "/";
  std::string time_separator = ":";
  std::array<std::string, 7> day_names{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
  std::array<std::string, 7> abbr_day_names{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 12> month_names{"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
  std::array<std::string, 12> abbr_month_names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  DateOrder date_order = DateOrder::kMonthDayYear;  // tried first when reading dates
  Weekday first_day_of_week = Weekday::kSunday;
  FirstWeek first_week_of_year = FirstWeek::kContainsJan1;

  // The built-in profile of that name (en-US, en-GB, de-DE, nb-NO), compared without regard
  // to case. Throws Error(errc::kInvalidCall, "Unknown locale '<name>'") for any other name.
  static const Locale& Find(std::string_view name);
  // en-US.
  static const Locale& Default();
};

}  // namespace kelvo

#endif  // KELVO_LOCALE_H_
