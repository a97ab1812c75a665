#include "runtime/calendar.h"

namespace kelvo {
namespace {

// Day numbers count from 1 Mar 0000 internally, so that the leap day ends each 400-year era.
constexpr std::int64_t DaysFromEraStart(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe);
}

constexpr std::int64_t kEpoch = DaysFromEraStart(1899, 12, 30);

}  // namespace

std::int64_t DayNumber(int year, int month, int day) {
  return DaysFromEraStart(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
}

CivilDate CivilFromDayNumber(std::int64_t days) {
  const std::int64_t z = days + kEpoch;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

}  // namespace kelvo
