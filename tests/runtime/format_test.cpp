#include "kelvo/format.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "kelvo/error.h"

namespace kelvo {
namespace {

// Friday 31 May 2019 13:45:07.
const Date kInstant{43616.57299768519};
const Variant kNull = Variant::Null();
const OptionalArg kOmitted;

struct FormatRow {
  std::string_view function;
  Variant value;
  std::vector<OptionalArg> args;
  std::string_view locale;
  std::string_view expected;  // the text, when `error` is 0
  long error = 0;
};

std::string Call(const FormatRow& row) {
  const Locale& locale = Locale::Find(row.locale);
  const auto arg = [&](std::size_t i) { return i < row.args.size() ? row.args[i] : kOmitted; };
  if (row.function == "FormatNumber") {
    return FormatNumber(row.value, locale, arg(0), arg(1), arg(2), arg(3));
  }
  if (row.function == "FormatCurrency") {
    return FormatCurrency(row.value, locale, arg(0), arg(1), arg(2), arg(3));
  }
  if (row.function == "FormatPercent") {
    return FormatPercent(row.value, locale, arg(0), arg(1), arg(2), arg(3));
  }
  if (row.function == "FormatDateTime") return FormatDateTime(row.value, locale, arg(0));
  if (row.function == "Format") return Format(row.value, locale, arg(0), arg(1), arg(2));
  ADD_FAILURE() << "no function " << row.function;
  return {};
}

const FormatRow kRows[] = {
    // FormatNumber: locale digits, grouping and separators.
    {"FormatNumber", 20000, {}, "en-US", "20,000.00"},
    {"FormatNumber", 20000, {}, "de-DE", "20.000,00"},
    {"FormatNumber", 20000, {}, "nb-NO", "20\u00A0000,00"},
    {"FormatNumber", 20000, {}, "en-GB", "20,000.00"},
    {"FormatNumber", 20000, {5}, "en-US", "20,000.00000"},
    {"FormatNumber", 20000, {5}, "de-DE", "20.000,00000"},
    {"FormatNumber", 1234.5, {0}, "en-US", "1,235"},
    {"FormatNumber", 1234.5, {0}, "de-DE", "1.235"},
    {"FormatNumber", 1234.5, {0}, "nb-NO", "1\u00A0235"},
    {"FormatNumber", 1234567.891, {2}, "en-US", "1,234,567.89"},
    // Half away from zero, on the 15-digit decimal form of a double.
    {"FormatNumber", 2.5, {0}, "en-US", "3"},
    {"FormatNumber", -2.5, {0}, "de-DE", "-3"},
    {"FormatNumber", 0.125, {2}, "en-US", "0.13"},
    {"FormatNumber", 0.125, {2}, "de-DE", "0,13"},
    {"FormatNumber", 1.005, {2}, "en-US", "1.01"},
    {"FormatNumber", 0.995, {2}, "en-US", "1.00"},
    {"FormatNumber", 999.995, {2}, "de-DE", "1.000,00"},
    {"FormatNumber", -0.001, {2}, "en-US", "0.00"},
    // Tristates: leading digit, parentheses, grouping.
    {"FormatNumber", 0.2, {kOmitted, 0}, "en-US", ".20"},
    {"FormatNumber", 0.2, {kOmitted, -1}, "en-US", "0.20"},
    {"FormatNumber", 0.2, {kOmitted, 0}, "de-DE", ",20"},
    {"FormatNumber", 0.2, {kOmitted, -2}, "de-DE", "0,20"},
    {"FormatNumber", 0.2, {0, 0}, "en-US", "0"},
    {"FormatNumber", -50, {kOmitted, kOmitted, -1}, "en-US", "(50.00)"},
    {"FormatNumber", -50, {kOmitted, kOmitted, 0}, "en-US", "-50.00"},
    {"FormatNumber", -50, {kOmitted, kOmitted, -1}, "de-DE", "(50,00)"},
    {"FormatNumber", -50, {kOmitted, kOmitted, 0}, "de-DE", "-50,00"},
    {"FormatNumber", -50, {}, "nb-NO", "-50,00"},
    {"FormatNumber", 1000000, {kOmitted, kOmitted, kOmitted, 0}, "en-US", "1000000.00"},
    {"FormatNumber", 1000000, {kOmitted, kOmitted, kOmitted, 0}, "de-DE", "1000000,00"},
    {"FormatNumber", 1000000, {kOmitted, kOmitted, kOmitted, -1}, "de-DE", "1.000.000,00"},
    // Arguments as the cell formats pass them: text.
    {"FormatNumber", 1234.5, {"1", "-1", "0", "0"}, "en-US", "1234.5"},
    // Values of every kind; text is read in the locale and keeps all its digits.
    {"FormatNumber", "1,234.5", {}, "en-US", "1,234.50"},
    {"FormatNumber", "1.234,5", {}, "de-DE", "1.234,50"},
    {"FormatNumber", "(12)", {0}, "en-US", "-12"},
    {"FormatNumber", "12345678901234567.125", {2}, "en-US", "12,345,678,901,234,567.13"},
    {"FormatNumber", Decimal{"-0.5"}, {0}, "en-US", "-1"},
    {"FormatNumber", Currency{12345}, {3}, "en-US", "1.235"},
    {"FormatNumber", std::int64_t{9007199254740993}, {0}, "en-US", "9,007,199,254,740,993"},
    {"FormatNumber", Variant(), {}, "en-US", "0.00"},
    {"FormatNumber", true, {0}, "en-US", "-1"},
    {"FormatNumber", Date{2.5}, {}, "en-US", "2.50"},
    // FormatNumber errors.
    {"FormatNumber", "abc", {}, "en-US", "", errc::kTypeMismatch},
    {"FormatNumber", "1.234,5", {}, "en-US", "", errc::kTypeMismatch},
    {"FormatNumber", kNull, {}, "en-US", "", errc::kTypeMismatch},
    {"FormatNumber", Bytes{1, 2}, {}, "en-US", "", errc::kTypeMismatch},
    {"FormatNumber", 1, {kNull}, "en-US", "", errc::kInvalidUseOfNull},
    {"FormatNumber", 1, {kOmitted, kNull}, "en-US", "", errc::kInvalidUseOfNull},
    {"FormatNumber",
     1,
     {kOmitted, kOmitted, kOmitted, kNull},
     "de-DE",
     "",
     errc::kInvalidUseOfNull},
    {"FormatNumber", 1, {-2}, "en-US", "", errc::kInvalidCall},
    {"FormatNumber", 1, {100}, "en-US", "", errc::kInvalidCall},
    {"FormatNumber", 1, {kOmitted, 1}, "en-US", "", errc::kInvalidCall},
    {"FormatNumber", 1, {"two"}, "en-US", "", errc::kTypeMismatch},
    {"FormatNumber", 1, {3000000000.0}, "en-US", "", errc::kOverflow},
    {"FormatNumber", "1e400", {}, "en-US", "", errc::kOverflow},

    // FormatCurrency: the locale's affixes.
    {"FormatCurrency", 1234.5, {}, "en-US", "$1,234.50"},
    {"FormatCurrency", 1234.5, {}, "de-DE", "1.234,50 €"},
    {"FormatCurrency", 1234.5, {}, "nb-NO", "kr 1\u00A0234,50"},
    {"FormatCurrency", 1234.5, {}, "en-GB", "£1,234.50"},
    {"FormatCurrency", -50, {}, "en-US", "($50.00)"},
    {"FormatCurrency", -50, {}, "de-DE", "-50,00 €"},
    {"FormatCurrency", -50, {}, "en-GB", "-£50.00"},
    {"FormatCurrency", -5, {}, "nb-NO", "kr -5,00"},
    {"FormatCurrency", -50, {kOmitted, kOmitted, -1}, "en-US", "($50.00)"},
    {"FormatCurrency", -50, {kOmitted, kOmitted, 0}, "en-US", "-$50.00"},
    {"FormatCurrency", -50, {kOmitted, kOmitted, -1}, "de-DE", "(50,00 €)"},
    {"FormatCurrency", 0.2, {kOmitted, 0}, "en-US", "$.20"},
    {"FormatCurrency", 0.2, {kOmitted, 0}, "de-DE", ",20 €"},
    {"FormatCurrency", 1234.567, {0, kOmitted, kOmitted, 0}, "en-US", "$1235"},
    {"FormatCurrency", "$1,234", {}, "en-US", "$1,234.00"},
    {"FormatCurrency", "x", {}, "de-DE", "", errc::kTypeMismatch},
    {"FormatCurrency", 1, {kOmitted, kOmitted, kNull}, "en-US", "", errc::kInvalidUseOfNull},

    // FormatPercent: times 100, the sign right after the digits.
    {"FormatPercent", 0.1234, {}, "en-US", "12.34%"},
    {"FormatPercent", 0.1234, {}, "de-DE", "12,34%"},
    {"FormatPercent", 0.1234, {}, "nb-NO", "12,34%"},
    {"FormatPercent", 0.125, {0}, "en-US", "13%"},
    {"FormatPercent", 12.5, {}, "en-US", "1,250.00%"},
    {"FormatPercent", -0.5, {}, "en-US", "-50.00%"},
    {"FormatPercent", -0.5, {kOmitted, kOmitted, -1}, "en-US", "(50.00%)"},
    {"FormatPercent", 0.001, {kOmitted, 0}, "de-DE", ",10%"},
    {"FormatPercent", kNull, {}, "en-US", "", errc::kTypeMismatch},

    // FormatDateTime: the named formats.
    {"FormatDateTime", kInstant, {}, "en-US", "5/31/2019 1:45:07 PM"},
    {"FormatDateTime", kInstant, {0}, "de-DE", "31.05.2019 13:45:07"},
    {"FormatDateTime", kInstant, {0}, "nb-NO", "31.05.2019 13:45:07"},
    {"FormatDateTime", kInstant, {0}, "en-GB", "31/05/2019 13:45:07"},
    {"FormatDateTime", kInstant, {1}, "en-US", "Friday, May 31, 2019"},
    {"FormatDateTime", kInstant, {1}, "de-DE", "Freitag, 31. Mai 2019"},
    {"FormatDateTime", kInstant, {1}, "nb-NO", "31. mai 2019"},
    {"FormatDateTime", kInstant, {2}, "en-US", "5/31/2019"},
    {"FormatDateTime", kInstant, {2}, "de-DE", "31.05.2019"},
    {"FormatDateTime", kInstant, {3}, "en-US", "1:45:07 PM"},
    {"FormatDateTime", kInstant, {3}, "de-DE", "13:45:07"},
    {"FormatDateTime", kInstant, {4}, "en-US", "13:45"},
    {"FormatDateTime", kInstant, {"4"}, "de-DE", "13:45"},
    {"FormatDateTime", Date{0}, {}, "en-US", "12:00:00 AM"},
    {"FormatDateTime", Date{365}, {}, "en-US", "12/30/1900"},
    {"FormatDateTime", Date{-657434}, {}, "en-US", "1/1/100"},
    {"FormatDateTime", Date{2958465}, {2}, "de-DE", "31.12.9999"},
    {"FormatDateTime", "2019-05-31", {1}, "en-US", "Friday, May 31, 2019"},
    {"FormatDateTime", "31.05.2019 13:45:07", {}, "de-DE", "31.05.2019 13:45:07"},
    {"FormatDateTime", 43616, {2}, "en-US", "5/31/2019"},
    {"FormatDateTime", kNull, {}, "en-US", "", errc::kTypeMismatch},
    {"FormatDateTime", "not a date", {}, "en-US", "", errc::kTypeMismatch},
    {"FormatDateTime", kInstant, {kNull}, "en-US", "", errc::kInvalidUseOfNull},
    {"FormatDateTime", kInstant, {5}, "en-US", "", errc::kInvalidCall},
    {"FormatDateTime", kInstant, {-1}, "de-DE", "", errc::kInvalidCall},
    {"FormatDateTime", Date{3000000}, {}, "en-US", "", errc::kOverflow},

    // Format without a pattern: as CStr writes the value.
    {"Format", 1234.5, {}, "en-US", "1234.5"},
    {"Format", 1234.5, {""}, "de-DE", "1234,5"},
    {"Format", kInstant, {}, "en-US", "5/31/2019 1:45:07 PM"},
    {"Format", kNull, {}, "en-US", ""},
    // Named formats, compared without regard to case.
    {"Format", 1234.5, {"General Number"}, "en-US", "1234.5"},
    {"Format", "1234.50", {"General Number"}, "en-US", "1234.5"},
    {"Format", 1234.5, {"Currency"}, "en-US", "$1,234.50"},
    {"Format", 1234.5, {"currency"}, "de-DE", "1.234,50 €"},
    {"Format", 1234.5, {"Fixed"}, "en-US", "1234.50"},
    {"Format", -0.5, {"Fixed"}, "de-DE", "-0,50"},
    {"Format", 1234.5, {"Standard"}, "en-US", "1,234.50"},
    {"Format", 1234.5, {"STANDARD"}, "de-DE", "1.234,50"},
    {"Format", 1234.5, {"Percent"}, "en-US", "123450.00%"},
    {"Format", 1, {"Percent"}, "en-US", "100.00%"},
    {"Format", 1234.5, {"Scientific"}, "en-US", "1.23E+03"},
    {"Format", 1, {"Scientific"}, "en-US", "1.00E+00"},
    {"Format", 0.000123, {"Scientific"}, "de-DE", "1,23E-04"},
    {"Format", 0, {"Yes/No"}, "en-US", "No"},
    {"Format", 5, {"Yes/No"}, "en-US", "Yes"},
    {"Format", 0, {"True/False"}, "en-US", "False"},
    {"Format", -1, {"True/False"}, "en-US", "True"},
    {"Format", 0, {"On/Off"}, "en-US", "Off"},
    {"Format", 0.5, {"On/Off"}, "en-US", "On"},
    {"Format", "abc", {"Fixed"}, "en-US", "abc"},
    {"Format", kNull, {"Currency"}, "en-US", ""},
    {"Format", kInstant, {"General Date"}, "en-US", "5/31/2019 1:45:07 PM"},
    {"Format", kInstant, {"Long Date"}, "en-US", "Friday, May 31, 2019"},
    {"Format", kInstant, {"Medium Date"}, "en-US", "31-May-19"},
    {"Format", kInstant, {"Medium Date"}, "de-DE", "31-Mai-19"},
    {"Format", kInstant, {"Short Date"}, "en-US", "5/31/2019"},
    {"Format", kInstant, {"Short Date"}, "de-DE", "31.05.2019"},
    {"Format", kInstant, {"Long Time"}, "en-US", "1:45:07 PM"},
    {"Format", kInstant, {"Medium Time"}, "en-US", "01:45 PM"},
    {"Format", kInstant, {"Short Time"}, "en-US", "13:45"},
    {"Format", "2019-05-31", {"Long Date"}, "de-DE", "Freitag, 31. Mai 2019"},
    {"Format", "soon", {"Short Date"}, "en-US", "soon"},
    // Numeric patterns.
    {"Format", 1, {"00"}, "en-US", "01"},
    {"Format", 0, {"#"}, "en-US", ""},
    {"Format", 1, {"#.#"}, "en-US", "1."},
    {"Format", 0, {"#.#"}, "en-US", "."},
    {"Format", 17, {"#000"}, "en-US", "017"},
    {"Format", 0.17, {"#.00"}, "en-US", ".17"},
    {"Format", 1.7, {"#0"}, "en-US", "2"},
    {"Format", 100000, {"#,###,###,###"}, "en-US", "100,000"},
    {"Format", 123456789, {"#,#.#"}, "en-US", "123,456,789."},
    {"Format", 1.73245, {"0.0000E+000"}, "en-US", "1.7325E+000"},
    {"Format", 1.7, {"0.0000E-000"}, "en-US", "1.7000E000"},
    {"Format", 47.11, {".0000E+0"}, "en-US", ".4711E+2"},
    {"Format", 0.00047, {"0.0e-00"}, "en-US", "4.7e-04"},
    {"Format", 999999, {"0.00E+00"}, "en-US", "1.00E+06"},
    {"Format", 9.9999999, {"#0.000000"}, "en-US", "10.000000"},
    {"Format", 0.0049, {"#.##"}, "en-US", "."},
    {"Format", 0.0995, {"#.##"}, "en-US", ".1"},
    {"Format", -0.1, {".#"}, "en-US", "-.1"},
    {"Format", 12.5, {".00"}, "en-US", "12.50"},
    {"Format", 1.5, {"0.0#0"}, "en-US", "1.500"},
    {"Format", 1234.5, {"#,##0.00"}, "de-DE", "1.234,50"},
    {"Format", 1234567.5, {"#,##0.00"}, "nb-NO", "1\u00A0234\u00A0567,50"},
    {"Format", 1234567890, {"#,##0,,"}, "en-US", "1,235"},
    {"Format", 1500, {"0,.0"}, "en-US", "1.5"},
    {"Format", 0.125, {"0%"}, "en-US", "13%"},
    {"Format", 0.5, {"0.0 %"}, "de-DE", "50,0 %"},
    {"Format", 5551234567.0, {"(###) ###-####"}, "en-US", "(555) 123-4567"},
    {"Format", -1234.5, {"$#,##0.00"}, "en-US", "-$1,234.50"},
    {"Format", -0.4, {"0"}, "en-US", "0"},
    {"Format", 3, {"0 \"kg\""}, "en-US", "3 kg"},
    {"Format", 3, {"0 kg"}, "en-US", "3 kg"},
    {"Format", 1, {"00\\c\\o\\p\\y"}, "en-US", "01copy"},
    {"Format", 5, {"\"a;b\" 0"}, "en-US", "a;b 5"},
    {"Format", -5, {"\\x"}, "en-US", "-x"},
    {"Format", "12.5", {"0.00"}, "en-US", "12.50"},
    {"Format", "12,5", {"0.00"}, "de-DE", "12,50"},
    {"Format", "abc", {"0.00"}, "en-US", "abc"},
    {"Format", true, {"0"}, "en-US", "-1"},
    {"Format", Date{2.25}, {"0.00"}, "en-US", "2.25"},
    {"Format", Decimal{"12345678901234567890.5"}, {"#,##0"}, "en-US", "12,345,678,901,234,567,891"},
    // Sections: positive; negative; zero; Null.
    {"Format", -1, {"\"pos\";\"neg\";\"zero\""}, "en-US", "neg"},
    {"Format", 0, {"\"pos\";\"neg\";\"zero\""}, "en-US", "zero"},
    {"Format", 2, {"\"pos\";\"neg\";\"zero\""}, "en-US", "pos"},
    {"Format", -1234, {"#,##0;(#,##0)"}, "en-US", "(1,234)"},
    {"Format", 0, {"#,##0;(#,##0)"}, "en-US", "0"},
    {"Format", -5, {"0;;\"zero\""}, "en-US", "-5"},
    {"Format", 0, {"0.0;;"}, "en-US", "0.0"},
    {"Format", kNull, {"0.00;;;\"none\""}, "en-US", "none"},
    {"Format", kNull, {"0.00"}, "en-US", ""},
    {"Format", 1, {"0;0;0;0;0"}, "en-US", "", errc::kInvalidCall},
    // Date patterns, letters without regard to case.
    {"Format", kInstant, {"d"}, "en-US", "31"},
    {"Format", kInstant, {"dd"}, "en-US", "31"},
    {"Format", kInstant, {"ddd"}, "en-US", "Fri"},
    {"Format", kInstant, {"dddd"}, "en-US", "Friday"},
    {"Format", kInstant, {"dddd"}, "de-DE", "Freitag"},
    {"Format", kInstant, {"ddddd"}, "en-US", "5/31/2019"},
    {"Format", kInstant, {"dddddd"}, "en-US", "Friday, May 31, 2019"},
    {"Format", kInstant, {"w"}, "en-US", "6"},
    {"Format", kInstant, {"ww"}, "en-US", "22"},
    {"Format", kInstant, {"m"}, "en-US", "5"},
    {"Format", kInstant, {"mm"}, "en-US", "05"},
    {"Format", kInstant, {"mmm"}, "en-US", "May"},
    {"Format", kInstant, {"mmmm"}, "nb-NO", "mai"},
    {"Format", kInstant, {"q"}, "en-US", "2"},
    {"Format", kInstant, {"y"}, "en-US", "151"},
    {"Format", kInstant, {"yy"}, "en-US", "19"},
    {"Format", kInstant, {"yyy"}, "en-US", "19151"},
    {"Format", Date{2}, {"yyy"}, "en-US", "001"},
    {"Format", kInstant, {"yyyy"}, "en-US", "2019"},
    {"Format", kInstant, {"h"}, "en-US", "13"},
    {"Format", kInstant, {"hh"}, "en-US", "13"},
    {"Format", kInstant, {"n"}, "en-US", "45"},
    {"Format", kInstant, {"nn"}, "en-US", "45"},
    {"Format", kInstant, {"s"}, "en-US", "7"},
    {"Format", kInstant, {"ss"}, "en-US", "07"},
    {"Format", kInstant, {"ttttt"}, "en-US", "1:45:07 PM"},
    {"Format", kInstant, {"ttttt"}, "de-DE", "13:45:07"},
    {"Format", kInstant, {"c"}, "en-US", "5/31/2019 1:45:07 PM"},
    {"Format", kInstant, {"hh:mm AM/PM"}, "en-US", "01:45 PM"},
    {"Format", kInstant, {"h:mm am/pm"}, "en-US", "1:45 pm"},
    {"Format", kInstant, {"h A/P"}, "en-US", "1 P"},
    {"Format", kInstant, {"h a/p"}, "en-US", "1 p"},
    {"Format", kInstant, {"h AMPM"}, "nb-NO", "1 p.m."},
    {"Format", Date{43616}, {"h:nn AM/PM"}, "en-US", "12:00 AM"},
    {"Format", kInstant, {"hh:mm"}, "en-US", "13:45"},
    {"Format", kInstant, {"hh\" h \"mm"}, "en-US", "13 h 45"},
    {"Format", kInstant, {"mm/dd/yyyy"}, "en-US", "05/31/2019"},
    {"Format", kInstant, {"dd/mm/yyyy"}, "de-DE", "31.05.2019"},
    {"Format", kInstant, {"DD.MM.YYYY"}, "en-US", "31.05.2019"},
    {"Format", kInstant, {"yyyy-mm-dd hh:nn:ss"}, "en-US", "2019-05-31 13:45:07"},
    {"Format", kInstant, {"hh:nn:ss"}, "de-DE", "13:45:07"},
    {"Format", kInstant, {"\"Day\" y \"of\" yyyy"}, "en-US", "Day 151 of 2019"},
    {"Format", "2019-05-31", {"dd.mm.yyyy"}, "en-US", "31.05.2019"},
    {"Format", 43616, {"yyyy"}, "en-US", "2019"},
    {"Format", "later", {"yyyy"}, "en-US", "later"},
    {"Format", kNull, {"yyyy"}, "en-US", ""},
    {"Format", 1e10, {"yyyy"}, "en-US", "", errc::kOverflow},
    // w and ww with the first day of the week and first week of the year.
    {"Format", Date{36526}, {"w"}, "en-US", "7"},
    {"Format", Date{36526}, {"w", 2}, "en-US", "6"},
    {"Format", Date{36526}, {"w", 0}, "de-DE", "6"},
    {"Format", Date{44197}, {"ww", 2, 2}, "en-US", "53"},
    {"Format", Date{44197}, {"ww", 0, 0}, "de-DE", "53"},
    {"Format", Date{44197}, {"ww"}, "en-US", "1"},
    {"Format", 1, {"0", 8}, "en-US", "", errc::kInvalidCall},
    {"Format", 1, {"0", -1}, "en-US", "", errc::kInvalidCall},
    {"Format", 1, {"0", kOmitted, 4}, "en-US", "", errc::kInvalidCall},
    {"Format", 1, {"0", kNull}, "en-US", "", errc::kInvalidUseOfNull},
    {"Format", 1, {"0", kOmitted, kNull}, "en-US", "", errc::kInvalidUseOfNull},
    {"Format", 1, {kNull}, "en-US", "", errc::kInvalidUseOfNull},
    {"Format", Bytes{1}, {"0"}, "en-US", "", errc::kTypeMismatch},
    // String patterns.
    {"Format", "testing", {"@@@@@@@@"}, "en-US", " testing"},
    {"Format", "testing", {"&&&&&&&&"}, "en-US", "testing"},
    {"Format", "testing", {">&&"}, "en-US", "TESTING"},
    {"Format", "Testing", {"<@"}, "en-US", "testing"},
    {"Format", "testing", {"\\x@\\x@"}, "en-US", "xtxesting"},
    {"Format", "ab", {"!@@@@"}, "en-US", "ab  "},
    {"Format", "ab", {"!&&&&\\."}, "en-US", "ab."},
    {"Format", "5551234567", {"(@@@) @@@-@@@@"}, "en-US", "(555) 123-4567"},
    {"Format", "straße", {">@"}, "de-DE", "STRAßE"},
    {"Format", "äb", {"@@@"}, "de-DE", " äb"},
    {"Format", 12, {"@@@@"}, "en-US", "  12"},
    {"Format", 1.5, {"@"}, "de-DE", "1,5"},
    {"Format", "", {"@;\"(empty)\""}, "en-US", "(empty)"},
    {"Format", kNull, {"@;\"(empty)\""}, "en-US", "(empty)"},
    {"Format", kNull, {"@@"}, "en-US", ""},
};

TEST(FormatTest, FunctionsFollowTheTable) {
  for (const FormatRow& row : kRows) {
    SCOPED_TRACE(std::string(row.function) + " " + std::string(row.locale) + " expecting \"" +
                 std::string(row.expected) + "\" / error " + std::to_string(row.error));
    try {
      const std::string text = Call(row);
      EXPECT_EQ(row.error, 0) << "no failure, gave \"" << text << "\"";
      if (row.error == 0) {
        EXPECT_EQ(text, row.expected);
      }
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), row.error) << e.what();
    }
  }
}

// A host may build its own profile; the tristate defaults and the parenthesis switch must follow
// whatever it says rather than the built-in profiles' choices.
TEST(FormatTest, FollowsAHostBuiltLocale) {
  Locale l = Locale::Find("en-US");
  l.name = "custom";
  l.digits = 3;
  l.leading_zero = false;
  l.group_size = 2;
  l.group_separator = "'";
  l.negative_number = {"(", ")"};
  l.negative_currency = {"-", " CHF"};
  l.positive_currency = {"", " CHF"};
  EXPECT_EQ(FormatNumber(-123456.5, l), "(12'34'56.500)");
  EXPECT_EQ(FormatNumber(-123456.5, l, kOmitted, kOmitted, 0), "-12'34'56.500");
  EXPECT_EQ(FormatNumber(0.5, l), ".500");
  EXPECT_EQ(FormatNumber(0.5, l, 1, -1), "0.5");
  EXPECT_EQ(FormatCurrency(-5, l), "-5.000 CHF");
  EXPECT_EQ(FormatCurrency(-5, l, 0, kOmitted, -1), "(5 CHF)");
  EXPECT_EQ(Format(1234567, l, "#,##0"), "1'23'45'67");
  l.group_size = 0;
  EXPECT_EQ(FormatNumber(1234567, l, 0), "1234567");
}

}  // namespace
}  // namespace kelvo
