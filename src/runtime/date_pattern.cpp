#include "runtime/date_pattern.h"

#include <cstddef>
#include <cstdint>

#include "runtime/calendar.h"

namespace kelvo {
namespace {

void AppendNumber(std::string& out, int value, std::size_t repeat) {
  if (repeat >= 2 && value < 10) out += '0';
  out += std::to_string(value);
}

// Writes one run of the same pattern letter; false when the letter is no token.
bool AppendToken(std::string& out, char letter, std::size_t repeat, const DateTimeParts& parts,
                 const Locale& locale) {
  const bool pm = parts.hour >= 12;
  switch (letter) {
    case 'd':
      if (repeat <= 2) {
        AppendNumber(out, parts.day, repeat);
      } else {
        const auto weekday = static_cast<std::size_t>(WeekdayIndex(parts));
        out += repeat == 3 ? locale.abbr_day_names[weekday] : locale.day_names[weekday];
      }
      return true;
    case 'M':
      if (repeat <= 2) {
        AppendNumber(out, parts.month, repeat);
      } else {
        const auto month = static_cast<std::size_t>(parts.month - 1);
        out += repeat == 3 ? locale.abbr_month_names[month] : locale.month_names[month];
      }
      return true;
    case 'y':
      // Years are never padded to four digits: 1 Jan 100 is "1/1/100".
      if (repeat <= 2) {
        AppendNumber(out, parts.year % 100, repeat);
      } else {
        out += std::to_string(parts.year);
      }
      return true;
    case 'h':
      AppendNumber(out, parts.hour % 12 == 0 ? 12 : parts.hour % 12, repeat);
      return true;
    case 'H':
      AppendNumber(out, parts.hour, repeat);
      return true;
    case 'm':
      AppendNumber(out, parts.minute, repeat);
      return true;
    case 's':
      AppendNumber(out, parts.second, repeat);
      return true;
    case 't': {
      const std::string& designator = pm ? locale.pm_designator : locale.am_designator;
      out += repeat == 1 ? designator.substr(0, 1) : designator;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

int WeekdayIndex(const DateTimeParts& parts) {
  // 30 Dec 1899, day 0, was a Saturday.
  const std::int64_t day = DayNumber(parts.year, parts.month, parts.day);
  return static_cast<int>(((day % 7) + 13) % 7);
}

std::string FormatDatePattern(const DateTimeParts& parts, std::string_view pattern,
                              const Locale& locale) {
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'') {
      // Quoted literal text; a doubled quote writes one quote.
      const std::size_t close = pattern.find('\'', i + 1);
      const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
      out += end == i + 1 ? std::string_view("'") : pattern.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    std::size_t repeat = 1;
    while (i + repeat < pattern.size() && pattern[i + repeat] == c) ++repeat;
    if (!AppendToken(out, c, repeat, parts, locale)) out.append(repeat, c);
    i += repeat;
  }
  return out;
}

}  // namespace kelvo
