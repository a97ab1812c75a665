#include "data/iso_date.h"

#include <cstdio>

#include "kelvo/date.h"
#include "runtime/calendar.h"

namespace kelvo::data {
namespace {

constexpr double kSecondsPerDay = 86400;

class DateScanner {
 public:
  explicit DateScanner(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  // Exactly `count` digits.
  bool Digits(int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i, ++pos_) {
      if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return false;
      value = value * 10 + (text_[pos_] - '0');
    }
    return true;
  }
  // The digits after a decimal point, as a fraction of one; at least one digit.
  bool Fraction(double& value) {
    value = 0;
    double scale = 0.1;
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      value += (text_[pos_++] - '0') * scale;
      scale /= 10;
    }
    return pos_ > start;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// HH:MM[:SS[.fff]] into the parts; the fraction of a second goes to `fraction`.
bool ScanTime(DateScanner& in, DateTimeParts& parts, double& fraction) {
  if (!in.Digits(2, parts.hour) || !in.Take(':') || !in.Digits(2, parts.minute)) return false;
  if (in.Take(':')) {
    if (!in.Digits(2, parts.second)) return false;
    if (in.Take('.') && !in.Fraction(fraction)) return false;
  }
  return parts.hour < 24 && parts.minute < 60 && parts.second < 60;
}

}  // namespace

std::optional<Date> ParseIsoDate(std::string_view text) {
  DateTimeParts parts;
  double fraction = 0;
  DateScanner in(text);
  if (text.size() > 2 && text[2] == ':') {
    if (!ScanTime(in, parts, fraction)) return std::nullopt;
  } else {
    if (!in.Digits(4, parts.year) || !in.Take('-') || !in.Digits(2, parts.month) || !in.Take('-') ||
        !in.Digits(2, parts.day)) {
      return std::nullopt;
    }
    if (parts.year < kMinYear || parts.month < 1 || parts.month > 12 || parts.day < 1 ||
        parts.day > DaysInMonth(parts.year, parts.month)) {
      return std::nullopt;
    }
    if ((in.Take(' ') || in.Take('T')) && !ScanTime(in, parts, fraction)) return std::nullopt;
  }
  if (!in.AtEnd()) return std::nullopt;
  Date date = MakeDate(parts);
  // Before the zero day the time of day counts away from it.
  date.serial += (date.serial < 0 ? -fraction : fraction) / kSecondsPerDay;
  return date;
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

}  // namespace kelvo::data
