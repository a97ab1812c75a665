#include "runtime/iso_date.h"

#include <gtest/gtest.h>

#include "kelvo/date.h"

namespace kelvo {
namespace {

TEST(IsoDateTest, ReadsDatesTimesAndBoth) {
  EXPECT_EQ(ParseIsoDate("2024-02-29"), MakeDate({2024, 2, 29, 0, 0, 0}));
  EXPECT_EQ(ParseIsoDate("2024-02-29 13:05"), MakeDate({2024, 2, 29, 13, 5, 0}));
  EXPECT_EQ(ParseIsoDate("2024-02-29T13:05:09"), MakeDate({2024, 2, 29, 13, 5, 9}));
  EXPECT_EQ(ParseIsoDate("07:30:00"), MakeDate({1899, 12, 30, 7, 30, 0}));
  const Date with_fraction = *ParseIsoDate("2000-01-01 00:00:00.5");
  EXPECT_NEAR(with_fraction.serial - MakeDate({2000, 1, 1, 0, 0, 0}).serial, 0.5 / 86400, 1e-9);
  // Before the zero day the time counts away from it, as the Date type keeps it.
  const Date early = *ParseIsoDate("1800-01-01 12:00:00.5");
  EXPECT_LT(early.serial, MakeDate({1800, 1, 1, 12, 0, 0}).serial);
}

TEST(IsoDateTest, RefusesTextThatNamesNoRealDate) {
  for (const char* bad :
       {"", "2023-02-29", "2024-13-01", "2024-1-01", "0099-01-01", "2024-01-01 24:00",
        "2024-01-01 10:60", "2024-01-01Z", "12/31/2024", "2024-01-01 10:00:00.", "10:00:61", "soon",
        "2O24-01-01", "2024-01-3x", "2024/01/01"}) {
    EXPECT_FALSE(ParseIsoDate(bad).has_value()) << bad;
  }
}

TEST(IsoDateTest, WritesTheColumnsFormWithoutDroppingAnything) {
  const Date day = MakeDate({2024, 3, 1, 0, 0, 0});
  const Date stamp = MakeDate({2024, 3, 1, 8, 9, 10});
  const Date time = MakeDate({1899, 12, 30, 8, 9, 10});
  EXPECT_EQ(IsoDateText(day, IsoDateColumn::kDate), "2024-03-01");
  EXPECT_EQ(IsoDateText(stamp, IsoDateColumn::kDate), "2024-03-01 08:09:10");
  EXPECT_EQ(IsoDateText(time, IsoDateColumn::kTime), "08:09:10");
  EXPECT_EQ(IsoDateText(stamp, IsoDateColumn::kTime), "2024-03-01 08:09:10");
  EXPECT_EQ(IsoDateText(day, IsoDateColumn::kDateTime), "2024-03-01 00:00:00");
}

}  // namespace
}  // namespace kelvo
