#include <cstddef>
#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "runtime/calendar.h"
#include "runtime/date_tokens.h"
#include "runtime/locale_data.h"
#include "runtime/text.h"

namespace kelvo {
namespace {

struct DateNumber {
  std::int64_t value;
  std::size_t digits;
};

struct TimeOfDay {
  bool present = false;
  std::int64_t hour = 0;
  std::int64_t minute = 0;
  std::int64_t second = 0;
};

struct Ymd {
  std::int64_t year;
  std::int64_t month;
  std::int64_t day;
};

// What the tokens say, before the numbers are assigned to day, month and year.
struct DateReading {
  std::vector<DateNumber> numbers;
  int month = 0;  // from a month name, 1..12
  TimeOfDay time;
  int designator = 0;  // 0 none, 1 AM, 2 PM
};

// 1..12 when `word` names a month in the locale or in English.
int MonthOfName(std::string_view word, const Locale& locale) {
  for (const Locale* names : {&locale, &BuiltInLocales().front()}) {
    for (std::size_t i = 0; i < 12; ++i) {
      if (EqualsIgnoreCase(word, names->month_names[i]) ||
          EqualsIgnoreCase(word, names->abbr_month_names[i])) {
        return static_cast<int>(i) + 1;
      }
    }
  }
  return 0;
}

bool IsDayName(std::string_view word, const Locale& locale) {
  for (const Locale* names : {&locale, &BuiltInLocales().front()}) {
    for (std::size_t i = 0; i < 7; ++i) {
      if (EqualsIgnoreCase(word, names->day_names[i]) ||
          EqualsIgnoreCase(word, names->abbr_day_names[i])) {
        return true;
      }
    }
  }
  return false;
}

// Reads "h:m" or "h:m:s" starting at tokens[i]; returns the index after it, or 0 on failure.
std::size_t ReadTime(std::span<const DateToken> tokens, std::size_t i, TimeOfDay& time) {
  std::int64_t fields[3] = {tokens[i].value, 0, 0};
  std::size_t count = 1;
  std::size_t j = i + 1;
  while (j < tokens.size() && tokens[j].kind == DateTokenKind::kTimeSep) {
    if (count == 3 || j + 1 >= tokens.size() || tokens[j + 1].kind != DateTokenKind::kNumber) {
      return 0;
    }
    fields[count++] = tokens[j + 1].value;
    j += 2;
  }
  time = {true, fields[0], fields[1], fields[2]};
  return j;
}

std::optional<DateReading> Read(std::span<const DateToken> tokens, const Locale& locale) {
  DateReading reading;
  bool last_was_date_number = false;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const DateToken& token = tokens[i];
    const bool was_date_number = last_was_date_number;
    last_was_date_number = false;
    switch (token.kind) {
      case DateTokenKind::kNumber:
        if (i + 1 < tokens.size() && tokens[i + 1].kind == DateTokenKind::kTimeSep) {
          if (reading.time.present) return std::nullopt;
          const std::size_t next = ReadTime(tokens, i, reading.time);
          if (next == 0) return std::nullopt;
          i = next - 1;
        } else {
          reading.numbers.push_back({token.value, token.text.size()});
          last_was_date_number = true;
        }
        break;
      case DateTokenKind::kWord:
        if (const int month = MonthOfName(token.text, locale); month != 0 && reading.month == 0) {
          reading.month = month;
        } else if (!IsDayName(token.text, locale)) {
          return std::nullopt;
        }
        break;
      case DateTokenKind::kDesignator:
        if (reading.designator != 0) return std::nullopt;
        // "5 PM": a lone number before the designator is the hour.
        if (!reading.time.present && was_date_number) {
          reading.time = {true, reading.numbers.back().value, 0, 0};
          reading.numbers.pop_back();
        }
        if (!reading.time.present) return std::nullopt;
        reading.designator = token.pm ? 2 : 1;
        break;
      case DateTokenKind::kDateSep:
        last_was_date_number = was_date_number;
        break;
      case DateTokenKind::kTimeSep:
        return std::nullopt;
    }
  }
  return reading;
}

std::int64_t YearOf(const DateNumber& n) {
  if (n.digits > 2) return n.value;
  return n.value < 30 ? 2000 + n.value : 1900 + n.value;
}

bool LooksLikeYear(const DateNumber& n) { return n.digits > 2 || n.value > 31; }

bool IsValid(const Ymd& d) {
  return d.year >= kMinYear && d.year <= kMaxYear && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= DaysInMonth(static_cast<int>(d.year), static_cast<int>(d.month));
}

std::optional<Ymd> FirstValid(std::initializer_list<Ymd> candidates) {
  for (const Ymd& d : candidates) {
    if (IsValid(d)) return d;
  }
  return std::nullopt;
}

std::optional<Ymd> WithMonthName(const DateReading& r, int current_year) {
  const auto& n = r.numbers;
  if (n.size() == 1) {
    // "Jan 2" is a day of this year; "Jan 35" cannot be, so it is January 1935.
    const Ymd day_of_this_year{current_year, r.month, n[0].value};
    if (!LooksLikeYear(n[0]) && IsValid(day_of_this_year)) return day_of_this_year;
    return FirstValid({{YearOf(n[0]), r.month, 1}});
  }
  if (n.size() == 2) {
    if (LooksLikeYear(n[0])) return FirstValid({{YearOf(n[0]), r.month, n[1].value}});
    return FirstValid({{YearOf(n[1]), r.month, n[0].value}});
  }
  return std::nullopt;
}

std::optional<Ymd> TwoNumbers(const DateNumber& a, const DateNumber& b, DateOrder order,
                              int current_year) {
  if (LooksLikeYear(a)) return FirstValid({{YearOf(a), b.value, 1}});
  if (LooksLikeYear(b)) return FirstValid({{YearOf(b), a.value, 1}});
  const Ymd month_day{current_year, a.value, b.value};
  const Ymd day_month{current_year, b.value, a.value};
  if (order == DateOrder::kDayMonthYear) return FirstValid({day_month, month_day});
  return FirstValid({month_day, day_month});
}

std::optional<Ymd> ThreeNumbers(const DateNumber& a, const DateNumber& b, const DateNumber& c,
                                DateOrder order) {
  const Ymd mdy{YearOf(c), a.value, b.value};
  const Ymd dmy{YearOf(c), b.value, a.value};
  const Ymd ymd{YearOf(a), b.value, c.value};
  const Ymd ydm{YearOf(a), c.value, b.value};
  if (LooksLikeYear(a)) return FirstValid({ymd, ydm});
  switch (order) {
    case DateOrder::kMonthDayYear:
      return FirstValid({mdy, dmy, ymd});
    case DateOrder::kDayMonthYear:
      return FirstValid({dmy, mdy, ymd});
    case DateOrder::kYearMonthDay:
      break;
  }
  return FirstValid({ymd, mdy, dmy});
}

std::optional<Ymd> ResolveDate(const DateReading& r, DateOrder order, int current_year) {
  const auto& n = r.numbers;
  if (r.month != 0) return WithMonthName(r, current_year);
  switch (n.size()) {
    case 0:
      // A time alone is on the epoch day.
      if (r.time.present) return Ymd{1899, 12, 30};
      return std::nullopt;
    case 2:
      return TwoNumbers(n[0], n[1], order, current_year);
    case 3:
      return ThreeNumbers(n[0], n[1], n[2], order);
    default:
      return std::nullopt;  // a lone number is no date
  }
}

std::optional<TimeOfDay> ResolveTime(const DateReading& r) {
  TimeOfDay t = r.time;
  if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  // A designator on a 24-hour time is ignored.
  if (r.designator != 0 && t.hour <= 12) t.hour = t.hour % 12 + (r.designator == 2 ? 12 : 0);
  return t;
}

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

}  // namespace

std::optional<Date> ParseDate(std::string_view text, const Locale& locale, int current_year) {
  const std::optional<std::vector<DateToken>> tokens = TokenizeDate(text, locale);
  if (!tokens) return std::nullopt;
  const std::optional<DateReading> reading = Read(*tokens, locale);
  if (!reading) return std::nullopt;
  const std::optional<Ymd> date = ResolveDate(*reading, locale.date_order, current_year);
  const std::optional<TimeOfDay> time = ResolveTime(*reading);
  if (!date || !time) return std::nullopt;
  DateTimeParts parts;
  parts.year = static_cast<int>(date->year);
  parts.month = static_cast<int>(date->month);
  parts.day = static_cast<int>(date->day);
  parts.hour = static_cast<int>(time->hour);
  parts.minute = static_cast<int>(time->minute);
  parts.second = static_cast<int>(time->second);
  return MakeDate(parts);
}

std::optional<Date> ParseDate(std::string_view text, const Locale& locale) {
  return ParseDate(text, locale, CurrentYear());
}

}  // namespace kelvo
