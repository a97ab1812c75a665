#include "runtime/format_date.h"

#include <cstddef>

#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "runtime/date_pattern.h"
#include "runtime/format_sections.h"
#include "runtime/utf16_units.h"
#include "runtime/week.h"

namespace kelvo {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

void AppendNumber(std::string& out, int value, bool two_digits) {
  if (two_digits && value < 10) out += '0';
  out += std::to_string(value);
}

bool HasAmPm(std::string_view section) {
  std::size_t i = 0;
  while (i < section.size()) {
    if (ReadQuoted(section, i)) continue;
    if (AmPmTokenLength(section, i) > 0) return true;
    ++i;
  }
  return false;
}

class DateWriter {
 public:
  DateWriter(std::string_view section, Date date, Weekday first_day, FirstWeek first_week,
             const Locale& locale)
      : section_(section),
        date_(date),
        parts_(SplitDate(date)),
        first_day_(first_day),
        first_week_(first_week),
        locale_(locale),
        twelve_hour_(HasAmPm(section)) {}

  std::string Write() {
    while (i_ < section_.size()) {
      if (std::optional<std::string_view> quoted = ReadQuoted(section_, i_)) {
        out_ += *quoted;
        continue;
      }
      const char letter = Lower(section_[i_]);
      std::size_t run = 1;
      while (i_ + run < section_.size() && Lower(section_[i_ + run]) == letter) ++run;
      // Separators and literal text between an hour and m keep m a minute ("hh:mm").
      const bool after_hour = after_hour_;
      if (std::string_view("cdmnqswy").find(letter) != std::string_view::npos) {
        after_hour_ = false;
      }
      i_ += WriteToken(letter, run, after_hour);
    }
    return std::move(out_);
  }

 private:
  // Writes the token starting at section_[i_] (a run of `run` equal letters); returns the
  // characters used.
  std::size_t WriteToken(char letter, std::size_t run, bool after_hour) {
    switch (letter) {
      case 'd':
        return WriteDay(run);
      case 'w':
        if (run == 1) {
          out_ += std::to_string(WeekdayNumber(parts_, first_day_));
          return 1;
        }
        out_ += std::to_string(WeekOfYear(parts_, first_day_, first_week_));
        return 2;
      case 'm':
        // Right after an hour, m and mm are minutes.
        if (after_hour && run <= 2) {
          AppendNumber(out_, parts_.minute, run == 2);
          return run;
        }
        return WriteMonth(run);
      case 'q':
        out_ += std::to_string((parts_.month - 1) / 3 + 1);
        return 1;
      case 'y':
        return WriteYear(run);
      case 'h': {
        int hour = parts_.hour;
        if (twelve_hour_) hour = hour % 12 == 0 ? 12 : hour % 12;
        AppendNumber(out_, hour, run >= 2);
        after_hour_ = true;
        return run >= 2 ? 2 : 1;
      }
      case 'n':
        AppendNumber(out_, parts_.minute, run >= 2);
        return run >= 2 ? 2 : 1;
      case 's':
        AppendNumber(out_, parts_.second, run >= 2);
        return run >= 2 ? 2 : 1;
      case 'c':
        out_ += FormatGeneralDate(date_, locale_);
        return 1;
      case 't':
        if (run >= 5) {
          out_ += FormatDatePattern(parts_, locale_.long_time, locale_);
          return 5;
        }
        break;
      case 'a':
        if (const std::size_t length = AmPmTokenLength(section_, i_)) {
          WriteAmPm(section_.substr(i_, length));
          return length;
        }
        break;
      case ':':
        out_ += locale_.time_separator;
        return 1;
      case '/':
        out_ += locale_.date_separator;
        return 1;
      default:
        break;
    }
    const std::size_t bytes = Utf8CharAt(section_, i_).bytes;
    out_ += section_.substr(i_, bytes);
    return bytes;
  }

  std::size_t WriteDay(std::size_t run) {
    const auto weekday = static_cast<std::size_t>(WeekdayIndex(parts_));
    switch (run) {
      case 1:
      case 2:
        AppendNumber(out_, parts_.day, run == 2);
        return run;
      case 3:
        out_ += locale_.abbr_day_names[weekday];
        return 3;
      case 4:
        out_ += locale_.day_names[weekday];
        return 4;
      case 5:
        out_ += FormatDatePattern(parts_, locale_.short_date, locale_);
        return 5;
      default:
        out_ += FormatDatePattern(parts_, locale_.long_date, locale_);
        return 6;
    }
  }

  std::size_t WriteMonth(std::size_t run) {
    const auto month = static_cast<std::size_t>(parts_.month - 1);
    if (run <= 2) {
      AppendNumber(out_, parts_.month, run == 2);
      return run;
    }
    out_ += run == 3 ? locale_.abbr_month_names[month] : locale_.month_names[month];
    return run == 3 ? 3 : 4;
  }

  std::size_t WriteYear(std::size_t run) {
    switch (run) {
      case 1:
        out_ += std::to_string(DayOfYear(parts_));
        return 1;
      case 2:
        AppendNumber(out_, parts_.year % 100, true);
        return 2;
      case 3:
        // yyy is yy followed by y.
        AppendNumber(out_, parts_.year % 100, true);
        out_ += std::to_string(DayOfYear(parts_));
        return 3;
      default:
        out_ += std::to_string(parts_.year);
        return 4;
    }
  }

  // "AM/PM" and "A/P" write the half before or after the slash as typed; "AMPM" the locale's
  // designator.
  void WriteAmPm(std::string_view token) {
    const bool pm = parts_.hour >= 12;
    const std::size_t slash = token.find('/');
    if (slash == std::string_view::npos) {
      out_ += pm ? locale_.pm_designator : locale_.am_designator;
    } else {
      out_ += pm ? token.substr(slash + 1) : token.substr(0, slash);
    }
  }

  std::string_view section_;
  Date date_;
  DateTimeParts parts_;
  Weekday first_day_;
  FirstWeek first_week_;
  const Locale& locale_;
  bool twelve_hour_;
  std::size_t i_ = 0;
  bool after_hour_ = false;
  std::string out_;
};

}  // namespace

std::string FormatDateSection(std::string_view section, Date date, Weekday first_day,
                              FirstWeek first_week, const Locale& locale) {
  return DateWriter(section, date, first_day, first_week, locale).Write();
}

std::optional<Date> DateForPattern(const Variant& value, const Locale& locale) {
  if (!value.IsString()) return CDate(value, locale);
  if (std::optional<Date> date = ParseDate(value.AsString(), locale)) return date;
  if (std::optional<double> serial = ParseNumber(value.AsString(), locale)) {
    return CDate(*serial, locale);
  }
  return std::nullopt;
}

}  // namespace kelvo
