#include "kelvo/locale.h"

#include <gtest/gtest.h>

#include "kelvo/error.h"

namespace kelvo {
namespace {

TEST(LocaleTest, FindIgnoresCase) {
  EXPECT_EQ(&Locale::Find("en-US"), &Locale::Default());
  EXPECT_EQ(Locale::Find("DE-de").name, "de-DE");
  EXPECT_EQ(Locale::Find("nb-no").name, "nb-NO");
  EXPECT_EQ(Locale::Find("En-Gb").name, "en-GB");
}

TEST(LocaleTest, UnknownNameIsAnInvalidCall) {
  for (const char* name : {"xx", "", "en", "en-US ", "de_DE"}) {
    try {
      Locale::Find(name);
      ADD_FAILURE() << name;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kInvalidCall);
      EXPECT_EQ(e.description(), "Unknown locale '" + std::string(name) + "'");
    }
  }
}

// The profiles' distinguishing settings, which the formatters and parsers depend on.
TEST(LocaleTest, ProfilesDifferWhereTheRegionsDo) {
  const Locale& us = Locale::Find("en-US");
  const Locale& gb = Locale::Find("en-GB");
  const Locale& de = Locale::Find("de-DE");
  const Locale& nb = Locale::Find("nb-NO");

  EXPECT_EQ(us.decimal_separator, ".");
  EXPECT_EQ(de.decimal_separator, ",");
  EXPECT_EQ(de.group_separator, ".");
  EXPECT_EQ(nb.group_separator, "\u00A0");

  EXPECT_EQ(us.negative_currency, (Affixes{"($", ")"}));
  EXPECT_EQ(de.positive_currency, (Affixes{"", " €"}));
  EXPECT_EQ(nb.negative_currency, (Affixes{"kr -", ""}));
  EXPECT_EQ(gb.positive_currency, (Affixes{"£", ""}));

  EXPECT_EQ(us.date_order, DateOrder::kMonthDayYear);
  for (const Locale* l : {&gb, &de, &nb}) {
    EXPECT_EQ(l->date_order, DateOrder::kDayMonthYear) << l->name;
    EXPECT_FALSE(l->clock_12h) << l->name;
    EXPECT_EQ(l->first_day_of_week, Weekday::kMonday) << l->name;
    EXPECT_EQ(l->first_week_of_year, FirstWeek::kFirstFourDays) << l->name;
  }
  EXPECT_TRUE(us.clock_12h);
  EXPECT_EQ(us.first_day_of_week, Weekday::kSunday);
  EXPECT_EQ(de.date_separator, ".");
  EXPECT_EQ(de.month_names[2], "März");
  EXPECT_EQ(nb.day_names[6], "lørdag");
}

}  // namespace
}  // namespace kelvo
