#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "kelvo/convert.h"
#include "kelvo/date.h"

namespace kelvo {
namespace {

constexpr int kThisYear = 2024;

struct DateCase {
  const char* text;
  DateTimeParts parts;
};

void ExpectDates(const char* locale_name, std::initializer_list<DateCase> cases) {
  const Locale& locale = Locale::Find(locale_name);
  for (const DateCase& c : cases) {
    const std::optional<Date> date = ParseDate(c.text, locale, kThisYear);
    ASSERT_TRUE(date.has_value()) << locale_name << " \"" << c.text << "\"";
    EXPECT_EQ(SplitDate(*date), c.parts) << locale_name << " \"" << c.text << "\"";
  }
}

void ExpectNoDates(const char* locale_name, std::initializer_list<const char*> texts) {
  const Locale& locale = Locale::Find(locale_name);
  for (const char* text : texts) {
    EXPECT_FALSE(ParseDate(text, locale, kThisYear).has_value())
        << locale_name << " \"" << text << "\"";
  }
}

TEST(ParseDateTest, EnUsNumericDates) {
  ExpectDates("en-US", {
                           {"5/31/2019", {2019, 5, 31}},
                           {"05-31-2019", {2019, 5, 31}},
                           {"13-1-1970", {1970, 1, 13}},
                           {"2019-05-31", {2019, 5, 31}},
                           {"1/1/100", {100, 1, 1}},
                           {"12/31/9999", {9999, 12, 31}},
                           {"14 1", {kThisYear, 1, 14}},
                           {"1/14", {kThisYear, 1, 14}},
                           {"5/2019", {2019, 5, 1}},
                           {" 5/31/2019 ", {2019, 5, 31}},
                       });
}

TEST(ParseDateTest, TwoDigitYearsPivotAtThirty) {
  ExpectDates("en-US", {
                           {"1/2/00", {2000, 1, 2}},
                           {"1/2/29", {2029, 1, 2}},
                           {"1/2/30", {1930, 1, 2}},
                           {"1/2/99", {1999, 1, 2}},
                           {"1/2/5", {2005, 1, 2}},
                       });
}

TEST(ParseDateTest, MonthNames) {
  ExpectDates("en-US", {
                           {"2 Jan 1970", {1970, 1, 2}},
                           {"Jan 2", {kThisYear, 1, 2}},
                           {"2 January, 1970", {1970, 1, 2}},
                           {"2-Jan-1970", {1970, 1, 2}},
                           {"Jan 35", {1935, 1, 1}},
                           {"April 28, 2014", {2014, 4, 28}},
                           {"Friday, May 31, 2019", {2019, 5, 31}},
                           {"31-MAY-19", {2019, 5, 31}},
                           {"Jan. 2, 1970", {1970, 1, 2}},
                           {"1970 Jan 2", {1970, 1, 2}},
                       });
  ExpectDates("de-DE", {
                           {"Freitag, 31. Mai 2019", {2019, 5, 31}},
                           {"3. MÄRZ 2020", {2020, 3, 3}},
                           {"3 Mrz 2020", {2020, 3, 3}},
                           {"3 March 2020", {2020, 3, 3}},
                       });
  ExpectDates("nb-NO",
              {{"17. mai 2019", {2019, 5, 17}}, {"lørdag 1. DESEMBER 2001", {2001, 12, 1}}});
}

TEST(ParseDateTest, Times) {
  ExpectDates("en-US", {
                           {"6/30/2011 01:20:34 PM", {2011, 6, 30, 13, 20, 34}},
                           {"2013-05-14 02:04:12", {2013, 5, 14, 2, 4, 12}},
                           {"13:45", {1899, 12, 30, 13, 45, 0}},
                           {"04.28.14", {1899, 12, 30, 4, 28, 14}},
                           {"2.5", {1899, 12, 30, 2, 5, 0}},
                           {"12:00 AM", {1899, 12, 30, 0, 0, 0}},
                           {"12:30 pm", {1899, 12, 30, 12, 30, 0}},
                           {"1:05a", {1899, 12, 30, 1, 5, 0}},
                           {"5 PM", {1899, 12, 30, 17, 0, 0}},
                           {"13:10 PM", {1899, 12, 30, 13, 10, 0}},
                           {"13:10 AM", {1899, 12, 30, 13, 10, 0}},
                           {"10:15 5/31/2019", {2019, 5, 31, 10, 15, 0}},
                           {"5/31/2019 23:59:59", {2019, 5, 31, 23, 59, 59}},
                       });
  ExpectDates("nb-NO", {{"01.02.2003 3:04 p.m.", {2003, 2, 1, 15, 4, 0}}});
}

TEST(ParseDateTest, DayMonthLocales) {
  ExpectDates("de-DE", {
                           {"02.01.1970", {1970, 1, 2}},
                           {"02.13.1970", {1970, 2, 13}},
                           {"31.05.2019 13:45:07", {2019, 5, 31, 13, 45, 7}},
                           {"2.5", {kThisYear, 5, 2}},
                           {"1.2.03", {2003, 2, 1}},
                           {"2019-05-31", {2019, 5, 31}},
                       });
  ExpectDates("en-GB", {
                           {"02/01/1970", {1970, 1, 2}},
                           {"31/5/2019 1:45:07 PM", {2019, 5, 31, 13, 45, 7}},
                           {"04.28", {1899, 12, 30, 4, 28, 0}},
                       });
}

TEST(ParseDateTest, Rejects) {
  ExpectNoDates("en-US", {"",
                          " ",
                          "4",
                          "1",
                          "True",
                          "0.",
                          "-1.1",
                          "24:00",
                          "0:60",
                          "1:2:60",
                          "13/32/2014",
                          "2/30/2019",
                          "02.01.1970",
                          "2013-05-14 02:04:12.017",
                          "1/2/3/4",
                          "1//2",
                          "/1/2",
                          "1/2/",
                          "May",
                          "May June 1",
                          "Jan 2 3 4",
                          "PM",
                          "1:00 PM PM",
                          "1:2 3:4",
                          "1:2:3:4",
                          "5/31/2019T13:45",
                          "5/31/2019 #",
                          "1/1/99999",
                          "1/1/0099",
                          "12/31/10000"});
  ExpectNoDates("de-DE", {"2013-05-14 02:04:12.017", "31.05.2019."});
}

TEST(IsDateTest, ByKind) {
  const Locale& us = Locale::Find("en-US");
  EXPECT_TRUE(IsDate(Date{1}, us));
  EXPECT_TRUE(IsDate("April 28, 2014", us));
  EXPECT_FALSE(IsDate("4", us));
  EXPECT_FALSE(IsDate("13/32/2014", us));
  EXPECT_FALSE(IsDate(4, us));
  EXPECT_FALSE(IsDate(Variant(), us));
  EXPECT_FALSE(IsDate(Variant::Null(), us));
}

}  // namespace
}  // namespace kelvo
