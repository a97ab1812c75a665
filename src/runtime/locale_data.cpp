// The built-in locale profiles, taken from the platform's regional defaults.
#include "runtime/locale_data.h"

namespace kelvo {
namespace {

// The member defaults are en-US. Negative currency takes the parentheses of the long-standing
// default; some newer platform builds write "-$1.50" instead.
Locale EnUs() {
  Locale l;
  l.name = "en-US";
  return l;
}

// The United Kingdom's regional defaults: English names, day-month order, 24-hour clock.
Locale EnGb() {
  Locale l;
  l.name = "en-GB";
  l.currency_symbol = "£";
  l.positive_currency = {"£", ""};
  l.negative_currency = {"-£", ""};
  l.short_date = "dd/MM/yyyy";
  l.long_date = "dd MMMM yyyy";
  l.long_time = "HH:mm:ss";
  l.clock_12h = false;
  l.date_order = DateOrder::kDayMonthYear;
  l.first_day_of_week = Weekday::kMonday;
  l.first_week_of_year = FirstWeek::kFirstFourDays;
  return l;
}

Locale DeDe() {
  Locale l;
  l.name = "de-DE";
  l.decimal_separator = ",";
  l.group_separator = ".";
  l.currency_symbol = "€";
  l.positive_currency = {"", " €"};
  l.negative_currency = {"-", " €"};
  l.short_date = "dd.MM.yyyy";
  l.long_date = "dddd, d. MMMM yyyy";
  l.long_time = "HH:mm:ss";
  l.clock_12h = false;
  l.date_separator = ".";
  l.day_names = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  l.abbr_day_names = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  l.month_names = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                   "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  l.abbr_month_names = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                        "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  l.date_order = DateOrder::kDayMonthYear;
  l.first_day_of_week = Weekday::kMonday;
  l.first_week_of_year = FirstWeek::kFirstFourDays;
  return l;
}

// Platform builds differ on a few Norwegian settings; where they do, this profile takes the
// older defaults: a no-break space between groups (not U+0020), the symbol before the amount
// (not "1,50 kr"), and the long date without a weekday. The designators are seldom shown,
// since the clock is 24-hour.
Locale NbNo() {
  Locale l;
  l.name = "nb-NO";
  l.decimal_separator = ",";
  l.group_separator = "\u00A0";
  l.currency_symbol = "kr";
  l.positive_currency = {"kr ", ""};
  l.negative_currency = {"kr -", ""};
  l.short_date = "dd.MM.yyyy";
  l.long_date = "d. MMMM yyyy";
  l.long_time = "HH:mm:ss";
  l.clock_12h = false;
  l.am_designator = "a.m.";
  l.pm_designator = "p.m.";
  l.date_separator = ".";
  l.day_names = {"søndag", "mandag", "tirsdag", "onsdag", "torsdag", "fredag", "lørdag"};
  l.abbr_day_names = {"søn", "man", "tir", "ons", "tor", "fre", "lør"};
  l.month_names = {"januar", "februar", "mars",      "april",   "mai",      "juni",
                   "juli",   "august",  "september", "oktober", "november", "desember"};
  l.abbr_month_names = {"jan", "feb", "mar", "apr", "mai", "jun",
                        "jul", "aug", "sep", "okt", "nov", "des"};
  l.date_order = DateOrder::kDayMonthYear;
  l.first_day_of_week = Weekday::kMonday;
  l.first_week_of_year = FirstWeek::kFirstFourDays;
  return l;
}

}  // namespace

std::span<const Locale> BuiltInLocales() {
  static const std::array<Locale, 4> profiles{EnUs(), EnGb(), DeDe(), NbNo()};
  return profiles;
}

}  // namespace kelvo
