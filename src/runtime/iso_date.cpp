#include "runtime/iso_date.h"

#include <cstdint>
#include <cstdio>

#include "kelvo/date.h"
#include "runtime/calendar.h"

namespace kelvo {
namespace {

constexpr double kSecondsPerDay = 86400;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The two digits at text[at], or -1. Reading by position keeps this cheap: it runs for every
// date of every row.
int TwoDigits(std::string_view text, size_t at) {
  if (at + 2 > text.size() || !IsDigit(text[at]) || !IsDigit(text[at + 1])) return -1;
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  double fraction = 0;  // of a second
};

// HH:MM[:SS[.fff]] from text[at] to the end.
bool ReadTime(std::string_view text, size_t at, TimeOfDay& time) {
  time.hour = TwoDigits(text, at);
  time.minute = TwoDigits(text, at + 3);
  if (time.hour < 0 || time.minute < 0 || text[at + 2] != ':') return false;
  at += 5;
  if (at < text.size()) {
    time.second = text[at] == ':' ? TwoDigits(text, at + 1) : -1;
    if (time.second < 0) return false;
    at += 3;
    if (at < text.size()) {
      if (text[at] != '.' || at + 1 == text.size()) return false;
      double scale = 0.1;
      for (++at; at < text.size(); ++at, scale /= 10) {
        if (!IsDigit(text[at])) return false;
        time.fraction += (text[at] - '0') * scale;
      }
    }
  }
  return time.hour < 24 && time.minute < 60 && time.second < 60;
}

// YYYY-MM-DD at the start of text, which holds at least 10 characters, as a day number.
std::optional<std::int64_t> ReadDay(std::string_view text) {
  // A character that is no digit gives a value above 9.
  const auto digit = [text](size_t at) { return static_cast<unsigned>(text[at] - '0'); };
  const unsigned y0 = digit(0), y1 = digit(1), y2 = digit(2), y3 = digit(3);
  const unsigned m0 = digit(5), m1 = digit(6), d0 = digit(8), d1 = digit(9);
  if (y0 > 9 || y1 > 9 || y2 > 9 || y3 > 9 || m0 > 9 || m1 > 9 || d0 > 9 || d1 > 9 ||
      text[4] != '-' || text[7] != '-') {
    return std::nullopt;
  }
  const auto year = static_cast<int>(y0 * 1000 + y1 * 100 + y2 * 10 + y3);
  const auto month = static_cast<int>(m0 * 10 + m1);
  const auto day = static_cast<int>(d0 * 10 + d1);
  if (year < kMinYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  return DayNumber(year, month, day);
}

}  // namespace

std::optional<Date> ParseIsoDate(std::string_view text) {
  std::int64_t day = 0;
  TimeOfDay time;
  if (text.size() >= 5 && text[2] == ':') {
    if (!ReadTime(text, 0, time)) return std::nullopt;
  } else {
    const auto read = text.size() >= 10 ? ReadDay(text) : std::nullopt;
    if (!read) return std::nullopt;
    day = *read;
    if (text.size() == 10) return Date{static_cast<double>(day)};  // the common case: no time
    if (((text[10] != ' ' && text[10] != 'T') || text.size() < 16 || !ReadTime(text, 11, time))) {
      return std::nullopt;
    }
  }
  // As MakeDate builds it (the calendar check is done above): before the zero day the time
  // of day counts away from it.
  const double fraction =
      (time.hour * 3600 + time.minute * 60 + time.second + time.fraction) / kSecondsPerDay;
  const auto serial = static_cast<double>(day);
  return Date{day < 0 ? serial - fraction : serial + fraction};
}

std::string IsoDateText(Date date, IsoDateColumn column) {
  const DateTimeParts p = SplitDate(date);
  const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  const bool zero_day = p.year == 1899 && p.month == 12 && p.day == 30;
  char buffer[32];
  if (column == IsoDateColumn::kDate && midnight) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
  } else if (column == IsoDateColumn::kTime && zero_day) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
  }
  return buffer;
}

}  // namespace kelvo
