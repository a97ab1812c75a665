#include "kelvo/date.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kelvo/error.h"

namespace kelvo {
namespace {

struct Anchor {
  double serial;
  DateTimeParts parts;
};

// Serial numbers whose calendar dates are known, across the epoch and both range ends.
const Anchor kAnchors[] = {
    {0, {1899, 12, 30, 0, 0, 0}},
    {1, {1899, 12, 31, 0, 0, 0}},
    {2, {1900, 1, 1, 0, 0, 0}},
    {60, {1900, 2, 28, 0, 0, 0}},
    {61, {1900, 3, 1, 0, 0, 0}},
    {365, {1900, 12, 30, 0, 0, 0}},
    {25570, {1970, 1, 2, 0, 0, 0}},
    {36526, {2000, 1, 1, 0, 0, 0}},
    {43616, {2019, 5, 31, 0, 0, 0}},
    {100000, {2173, 10, 14, 0, 0, 0}},
    {2958465, {9999, 12, 31, 0, 0, 0}},
    {-1, {1899, 12, 29, 0, 0, 0}},
    {-657434, {100, 1, 1, 0, 0, 0}},
    {0.25, {1899, 12, 30, 6, 0, 0}},
    {-1.25, {1899, 12, 29, 6, 0, 0}},
    {-2.5, {1899, 12, 28, 12, 0, 0}},
    {3.34, {1900, 1, 2, 8, 9, 36}},
    {-49192.24, {1765, 4, 24, 5, 45, 36}},
    {43616.57299768519, {2019, 5, 31, 13, 45, 7}},
};

TEST(DateTest, SplitsAnchors) {
  for (const Anchor& a : kAnchors) EXPECT_EQ(SplitDate(Date{a.serial}), a.parts) << a.serial;
}

TEST(DateTest, MakesAnchors) {
  for (const Anchor& a : kAnchors) {
    EXPECT_NEAR(MakeDate(a.parts).serial, a.serial, 1e-6) << a.serial;
  }
}

TEST(DateTest, NegativeSerialsKeepTheTimeOfDayPositive) {
  // -0.5 and 0.5 are both noon on the epoch day.
  EXPECT_EQ(SplitDate(Date{-0.5}), (DateTimeParts{1899, 12, 30, 12, 0, 0}));
  EXPECT_EQ(SplitDate(Date{0.5}), (DateTimeParts{1899, 12, 30, 12, 0, 0}));
  EXPECT_DOUBLE_EQ(MakeDate({1899, 12, 29, 18, 0, 0}).serial, -1.75);
}

TEST(DateTest, RoundsToTheNearestSecondAcrossMidnight) {
  const double half_second = 0.5 / 86400;
  EXPECT_EQ(SplitDate(Date{1 - half_second / 2}), (DateTimeParts{1899, 12, 31, 0, 0, 0}));
  // -1.99999... is 29 Dec 1899 a moment before midnight.
  EXPECT_EQ(SplitDate(Date{-2 + half_second / 2}), (DateTimeParts{1899, 12, 30, 0, 0, 0}));
  EXPECT_EQ(SplitDate(Date{2958466 - half_second / 2}), (DateTimeParts{9999, 12, 31, 23, 59, 59}));
}

TEST(DateTest, RejectsImpossibleParts) {
  const DateTimeParts bad[] = {
      {2019, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2019, 13, 1, 0, 0, 0},
      {2019, 0, 1, 0, 0, 0},  {2019, 4, 31, 0, 0, 0}, {2019, 1, 0, 0, 0, 0},
      {2019, 1, 1, 24, 0, 0}, {2019, 1, 1, 0, 60, 0}, {2019, 1, 1, 0, 0, -1},
  };
  for (const DateTimeParts& p : bad) {
    try {
      MakeDate(p);
      ADD_FAILURE() << p.year << "-" << p.month << "-" << p.day;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kInvalidCall);
    }
  }
  EXPECT_NO_THROW(MakeDate({2000, 2, 29, 23, 59, 59}));
}

TEST(DateTest, YearsOutsideTheRangeOverflow) {
  for (int year : {99, 10000, -5}) {
    try {
      MakeDate({year, 1, 1, 0, 0, 0});
      ADD_FAILURE() << year;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kOverflow);
    }
  }
  for (double serial : {-657435.0, 2958466.0, 1e300, -1e300, std::nan("")}) {
    try {
      SplitDate(Date{serial});
      ADD_FAILURE() << serial;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kOverflow);
    }
  }
}

}  // namespace
}  // namespace kelvo
