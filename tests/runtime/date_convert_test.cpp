#include <gtest/gtest.h>

#include <string>

#include "kelvo/convert.h"
#include "kelvo/error.h"

namespace kelvo {
namespace {

const Locale& kUs = Locale::Find("en-US");
const Locale& kGb = Locale::Find("en-GB");
const Locale& kDe = Locale::Find("de-DE");
const Locale& kNb = Locale::Find("nb-NO");

template <class F>
long ErrorOf(F f) {
  try {
    f();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(FormatGeneralDateTest, EnUsSamples) {
  const struct {
    double serial;
    const char* text;
  } cases[] = {
      {0, "12:00:00 AM"},
      {3.34, "1/2/1900 8:09:36 AM"},
      {365, "12/30/1900"},
      {-49192.24, "4/24/1765 5:45:36 AM"},
      {-657434, "1/1/100"},
      {2958465, "12/31/9999"},
      {43616.57299768519, "5/31/2019 1:45:07 PM"},
      {0.5, "12:00:00 PM"},
      {-0.75, "6:00:00 PM"},
      {1, "12/31/1899"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGeneralDate(Date{c.serial}, kUs), c.text);
}

TEST(FormatGeneralDateTest, OtherLocales) {
  const Date instant{43616.57299768519};
  EXPECT_EQ(FormatGeneralDate(instant, kDe), "31.05.2019 13:45:07");
  EXPECT_EQ(FormatGeneralDate(instant, kNb), "31.05.2019 13:45:07");
  EXPECT_EQ(FormatGeneralDate(instant, kGb), "31/05/2019 13:45:07");
  EXPECT_EQ(FormatGeneralDate(Date{0.25}, kDe), "06:00:00");
  EXPECT_EQ(FormatGeneralDate(Date{-657434}, kDe), "01.01.100");
}

TEST(FormatGeneralDateTest, ReadsBackWhatItWrites) {
  for (const Locale* locale : {&kUs, &kGb, &kDe, &kNb}) {
    for (double serial : {43616.57299768519, 3.34, -49192.24, 36526.0, 0.75}) {
      const std::string text = FormatGeneralDate(Date{serial}, *locale);
      const std::optional<Date> back = ParseDate(text, *locale);
      ASSERT_TRUE(back.has_value()) << locale->name << " " << text;
      EXPECT_NEAR(back->serial, serial, 1.0 / 86400) << locale->name << " " << text;
    }
  }
}

TEST(CDateTest, NumbersAreSerials) {
  EXPECT_EQ(CStr(CDate(1, kUs), kUs), "12/31/1899");
  EXPECT_EQ(CStr(CDate(-1, kUs), kUs), "12/29/1899");
  EXPECT_EQ(CStr(CDate(100000, kUs), kUs), "10/14/2173");
  EXPECT_EQ(CStr(CDate("1", kUs), kUs), "12/31/1899");
  EXPECT_EQ(CDate(Variant(), kUs).serial, 0);
  EXPECT_EQ(CDate(Currency{15000}, kUs).serial, 1.5);
  EXPECT_EQ(CDate(true, kUs).serial, -1);
}

TEST(CDateTest, TextIsReadAsADateFirst) {
  EXPECT_EQ(CStr(CDate("2.5", kUs), kUs), "2:05:00 AM");
  EXPECT_EQ(CStr(CDate("April 28, 2014", kUs), kUs), "4/28/2014");
  EXPECT_EQ(CStr(CDate("02.13.1970", kDe), kDe), "13.02.1970");
  EXPECT_EQ(CStr(CDate("2,5", kDe), kDe).substr(0, 6), "02.05.");
}

TEST(CDateTest, Failures) {
  EXPECT_EQ(ErrorOf([] { CDate("", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDate("13/32/2014", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDate(Variant::Null(), kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { CDate(2958466.0, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CDate(-657435.0, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CDate("1e7", kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CStr(Date{1e7}, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CDate(Bytes{1}, kUs); }), errc::kTypeMismatch);
}

}  // namespace
}  // namespace kelvo
