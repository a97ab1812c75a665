#include <gtest/gtest.h>

#include <string>

#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "kelvo/error.h"
#include "kelvo/functions.h"

namespace kelvo {
namespace {

const Locale& kUs = Locale::Find("en-US");
const Locale& kDe = Locale::Find("de-DE");

Date At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return MakeDate({year, month, day, hour, minute, second});
}

// The parts of DateAdd's result, which must be a date.
DateTimeParts Add(const char* interval, const Variant& number, Date date) {
  const Variant result = DateAdd(interval, number, date, kUs);
  return SplitDate(result.AsDate());
}

long ErrorOf(const auto& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(DateAddTest, MonthsClampTheDayToTheMonthsLength) {
  EXPECT_EQ(Add("m", 1, At(1995, 1, 31)), (DateTimeParts{1995, 2, 28, 0, 0, 0}));
  EXPECT_EQ(Add("m", 1, At(1996, 1, 31)), (DateTimeParts{1996, 2, 29, 0, 0, 0}));
  EXPECT_EQ(Add("m", -1, At(2010, 1, 31)), (DateTimeParts{2009, 12, 31, 0, 0, 0}));
  EXPECT_EQ(Add("q", 1, At(2010, 1, 31)), (DateTimeParts{2010, 4, 30, 0, 0, 0}));
  EXPECT_EQ(Add("yyyy", 1, At(2000, 2, 29)), (DateTimeParts{2001, 2, 28, 0, 0, 0}));
  EXPECT_EQ(Add("yyyy", 4, At(2000, 2, 29)), (DateTimeParts{2004, 2, 29, 0, 0, 0}));
  EXPECT_EQ(Add("m", -13, At(2000, 3, 31)), (DateTimeParts{1999, 2, 28, 0, 0, 0}));
  EXPECT_EQ(Add("M", 24, At(1900, 2, 28)), (DateTimeParts{1902, 2, 28, 0, 0, 0}));
}

TEST(DateAddTest, DaysWeeksAndTimeKeepTheRestOfTheDate) {
  EXPECT_EQ(Add("d", 1, At(2010, 1, 31)), (DateTimeParts{2010, 2, 1, 0, 0, 0}));
  EXPECT_EQ(Add("y", 1, At(2010, 1, 31)), (DateTimeParts{2010, 2, 1, 0, 0, 0}));
  // "w" adds days, not working days.
  EXPECT_EQ(Add("w", 1, At(2019, 5, 31)), (DateTimeParts{2019, 6, 1, 0, 0, 0}));
  EXPECT_EQ(Add("ww", 1, At(2000, 1, 1)), (DateTimeParts{2000, 1, 8, 0, 0, 0}));
  EXPECT_EQ(Add("WW", -1, At(2000, 1, 1)), (DateTimeParts{1999, 12, 25, 0, 0, 0}));
  EXPECT_EQ(Add("h", 1, At(2010, 1, 31, 8, 50)), (DateTimeParts{2010, 1, 31, 9, 50, 0}));
  EXPECT_EQ(Add("n", 75, At(2010, 1, 31, 23, 50)), (DateTimeParts{2010, 2, 1, 1, 5, 0}));
  EXPECT_EQ(Add("s", -1, At(2000, 1, 1)), (DateTimeParts{1999, 12, 31, 23, 59, 59}));
  EXPECT_EQ(Add("m", 1, At(2019, 1, 31, 13, 45, 7)), (DateTimeParts{2019, 2, 28, 13, 45, 7}));
}

TEST(DateAddTest, CountsAcrossTheEpochWhereTheTimeIsStoredBackwards) {
  // -1.25 is 29 Dec 1899 06:00; the time of day must stay 06:00 across the epoch.
  EXPECT_EQ(Add("d", 3, Date{-1.25}), (DateTimeParts{1900, 1, 1, 6, 0, 0}));
  EXPECT_EQ(Add("d", -3, Date{2.25}), (DateTimeParts{1899, 12, 29, 6, 0, 0}));
  EXPECT_DOUBLE_EQ(DateAdd("d", -3, Date{2.25}, kUs).AsDate().serial, -1.25);
  EXPECT_EQ(Add("h", 30, Date{-1.25}), (DateTimeParts{1899, 12, 30, 12, 0, 0}));
  EXPECT_EQ(Add("h", -7, Date{0.25}), (DateTimeParts{1899, 12, 29, 23, 0, 0}));
}

TEST(DateAddTest, RoundsTheNumberAndReadsTextInTheLocale) {
  EXPECT_EQ(Add("d", 1.5, At(2000, 1, 1)), (DateTimeParts{2000, 1, 3, 0, 0, 0}));
  EXPECT_EQ(Add("d", 2.5, At(2000, 1, 1)), (DateTimeParts{2000, 1, 3, 0, 0, 0}));
  EXPECT_EQ(Add("d", "1", At(2000, 1, 1)), (DateTimeParts{2000, 1, 2, 0, 0, 0}));
  EXPECT_EQ(SplitDate(DateAdd("d", "1,6", "31.01.2010", kDe).AsDate()),
            (DateTimeParts{2010, 2, 2, 0, 0, 0}));
  EXPECT_EQ(SplitDate(DateAdd("m", 1, 43496, kUs).AsDate()), (DateTimeParts{2019, 2, 28, 0, 0, 0}));
}

TEST(DateAddTest, Failures) {
  EXPECT_TRUE(DateAdd("d", 1, Variant::Null(), kUs).IsNull());
  EXPECT_EQ(ErrorOf([] { DateAdd("x", 1, Date{1}, kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DateAdd("dd", 1, Date{1}, kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DateAdd(Variant::Null(), 1, Date{1}, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { DateAdd("d", Variant::Null(), Date{1}, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { DateAdd("d", "one", Date{1}, kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { DateAdd("d", 1, "no date", kUs); }), errc::kTypeMismatch);
  // Results outside 1 Jan 100 .. 31 Dec 9999.
  EXPECT_EQ(ErrorOf([] { DateAdd("yyyy", 1, At(9999, 6, 1), kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DateAdd("d", -1, At(100, 1, 1), kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DateAdd("s", 1, At(9999, 12, 31, 23, 59, 59), kUs); }),
            errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DateAdd("m", 1e300, At(2000, 1, 1), kUs); }), errc::kInvalidCall);
}

int Part(const char* interval, Date date, const OptionalArg& first_day = {},
         const OptionalArg& first_week = {}) {
  return DatePart(interval, date, kUs, first_day, first_week).AsInt32();
}

TEST(DatePartTest, PartsOfTheReferenceInstant) {
  const Date instant{43616.57299768519};  // Friday 31 May 2019 13:45:07
  EXPECT_EQ(Part("yyyy", instant), 2019);
  EXPECT_EQ(Part("q", instant), 2);
  EXPECT_EQ(Part("m", instant), 5);
  EXPECT_EQ(Part("y", instant), 151);
  EXPECT_EQ(Part("d", instant), 31);
  EXPECT_EQ(Part("w", instant), 6);
  EXPECT_EQ(Part("ww", instant), 22);
  EXPECT_EQ(Part("h", instant), 13);
  EXPECT_EQ(Part("n", instant), 45);
  EXPECT_EQ(Part("S", instant), 7);
  EXPECT_EQ(DatePart("yyyy", "2019-05-31", kUs).AsInt32(), 2019);
  EXPECT_EQ(Part("y", At(2000, 12, 31)), 366);
  EXPECT_EQ(Part("y", At(1900, 12, 31)), 365);
}

TEST(DatePartTest, WeekdaysCountFromTheFirstDayOfTheWeek) {
  const Date saturday = At(2000, 1, 1);
  EXPECT_EQ(Part("w", saturday), 7);
  EXPECT_EQ(Part("w", saturday, 2), 6);                     // Monday first
  EXPECT_EQ(Part("w", saturday, 7), 1);                     // Saturday first
  EXPECT_EQ(Part("w", saturday, 0), 7);                     // the locale's: Sunday in en-US
  EXPECT_EQ(DatePart("w", saturday, kDe, 0).AsInt32(), 6);  // Monday in de-DE
}

TEST(DatePartTest, WeekOfTheYearUnderEachRule) {
  // Week 1 holds 1 January; a leap year ending on a Sunday reaches week 54.
  EXPECT_EQ(Part("ww", At(2000, 12, 31)), 54);
  EXPECT_EQ(Part("ww", At(2021, 1, 3)), 2);
  EXPECT_EQ(Part("ww", At(2021, 1, 2)), 1);
  // First four-day week: 1 Jan 2021 (a Friday) is in the last week of 2020.
  EXPECT_EQ(Part("ww", At(2021, 1, 1), 2, 2), 53);
  EXPECT_EQ(Part("ww", At(2021, 1, 4), 2, 2), 1);
  EXPECT_EQ(Part("ww", At(2020, 1, 1), 2, 2), 1);
  // First full week: 1 Jan 2021 belongs to 2020's week 52.
  EXPECT_EQ(Part("ww", At(2021, 1, 1), 1, 3), 52);
  EXPECT_EQ(Part("ww", At(2021, 1, 3), 1, 3), 1);
  // The locale's rules: Monday and four days in de-DE.
  EXPECT_EQ(DatePart("ww", At(2021, 1, 1), kDe, 0, 0).AsInt32(), 53);
}

TEST(DatePartTest, LastDaysOfDecemberInNextYearsFirstWeekAreWeekOne) {
  // Monday 31 Dec 2018 starts the week that holds 3 Jan 2019: week 1 of 2019, as for every other
  // day of that week (a week 53 here would be a week with one day).
  EXPECT_EQ(Part("ww", At(2018, 12, 31), 2, 2), 1);
  EXPECT_EQ(Part("ww", At(2019, 1, 1), 2, 2), 1);
  EXPECT_EQ(Part("ww", At(2024, 12, 30), 2, 2), 1);
  EXPECT_EQ(Part("ww", At(2024, 12, 29), 2, 2), 52);
  EXPECT_EQ(Part("ww", At(2020, 12, 31), 2, 2), 53);
  // The other rules never move December days into the next year.
  EXPECT_EQ(Part("ww", At(2018, 12, 31), 2, 3), 53);
  EXPECT_EQ(Part("ww", At(2018, 12, 31), 2, 1), 53);
}

TEST(DatePartTest, Failures) {
  EXPECT_TRUE(DatePart("d", Variant::Null(), kUs).IsNull());
  EXPECT_EQ(ErrorOf([] { DatePart("x", Date{1}, kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DatePart(Variant::Null(), Date{1}, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { DatePart("w", Date{1}, kUs, 8); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DatePart("w", Date{1}, kUs, -1); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DatePart("ww", Date{1}, kUs, 1, 4); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { DatePart("w", Date{1}, kUs, Variant::Null()); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { DatePart("d", "31/31/2019", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { DatePart("d", 1e10, kUs); }), errc::kOverflow);
}

}  // namespace
}  // namespace kelvo
