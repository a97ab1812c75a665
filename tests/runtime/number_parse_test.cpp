#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "kelvo/convert.h"

namespace kelvo {
namespace {

struct Accepted {
  const char* text;
  double value;
};

void ExpectAccepted(const Locale& locale, std::initializer_list<Accepted> cases) {
  for (const Accepted& c : cases) {
    const std::optional<double> value = ParseNumber(c.text, locale);
    ASSERT_TRUE(value.has_value()) << locale.name << " \"" << c.text << "\"";
    EXPECT_DOUBLE_EQ(*value, c.value) << locale.name << " \"" << c.text << "\"";
  }
}

void ExpectRejected(const Locale& locale, std::initializer_list<const char*> texts) {
  for (const char* text : texts) {
    EXPECT_FALSE(ParseNumber(text, locale).has_value()) << locale.name << " \"" << text << "\"";
  }
}

TEST(ParseNumberTest, EnUsAccepts) {
  ExpectAccepted(Locale::Find("en-US"), {
                                            {"44", 44},         {" \t12 ", 12},
                                            {"+5", 5},          {"-0.5", -0.5},
                                            {"5-", -5},         {"5+", 5},
                                            {"(12)", -12},      {"( 12 )", -12},
                                            {"1.", 1},          {".5", 0.5},
                                            {"1,000", 1000},    {"1,2,3", 123},
                                            {"$1,234", 1234},   {"($1,234.50)", -1234.5},
                                            {"-$5", -5},        {"$-5", -5},
                                            {"5$", 5},          {"1.5e20", 1.5e20},
                                            {"1e-1", 0.1},      {"1E+3", 1000},
                                            {"2.5E-3", 0.0025}, {"&HF800", -2048},
                                            {"&hff", 255},      {"&HFFFF", -1},
                                            {"&H10000", 65536}, {"&HFFFFFFFF", -1},
                                            {"&o777", 511},     {"-&H10", -16},
                                            {"0001", 1},        {"1e-400", 0},
                                        });
}

TEST(ParseNumberTest, EnUsRejects) {
  ExpectRejected(Locale::Find("en-US"),
                 {"",    " ",     "0x1F",  "FE",    "+ +0",    "()",   "(12",
                  "12)", "(-12)", "-12-",  "1.1.",  "45 Help", ".",    "e5",
                  "1e",  "1e+",   ",5",    "1 000", "&H",      "&HG",  "&H100000000",
                  "&O8", "1,5 €", "1e400", "- -1",  "$$1",     "TRUE", "1\n"});
}

TEST(ParseNumberTest, DeDeSwapsTheSeparators) {
  ExpectAccepted(Locale::Find("de-DE"), {
                                            {"3,5", 3.5},
                                            {"1.234,5", 1234.5},
                                            {"1.5", 15},
                                            {"1,50 €", 1.5},
                                            {"-1,50 €", -1.5},
                                            {"€1", 1},
                                            {"1,5e2", 150},
                                        });
  ExpectRejected(Locale::Find("de-DE"), {"1,5,0", "$1", ",", "1,2.3"});
}

TEST(ParseNumberTest, NbNoGroupsWithSpaces) {
  ExpectAccepted(Locale::Find("nb-NO"), {
                                            {"1\u00A0234,5", 1234.5},
                                            {"1 234,5", 1234.5},
                                            {"kr 1 234,50", 1234.5},
                                            {"kr -1,50", -1.5},
                                            {"KR 2", 2},
                                            {"12 ", 12},
                                        });
  ExpectRejected(Locale::Find("nb-NO"), {"1 ,5", " 1  2", "\u00A01"});
}

TEST(ParseDecimalTest, KeepsEveryDigit) {
  const Locale& us = Locale::Find("en-US");
  const auto text_of = [&](const char* input) {
    const std::optional<Decimal> d = ParseDecimal(input, us);
    return d ? d->text : std::string("<none>");
  };
  EXPECT_EQ(text_of("12345678901234567890.123456789"), "12345678901234567890.123456789");
  EXPECT_EQ(text_of("0.1"), "0.1");
  EXPECT_EQ(text_of("-000.500"), "-0.5");
  EXPECT_EQ(text_of("-0"), "0");
  EXPECT_EQ(text_of("1.5e3"), "1500");
  EXPECT_EQ(text_of("1.5e-3"), "0.0015");
  EXPECT_EQ(text_of("($1,000.25)"), "-1000.25");
  EXPECT_EQ(text_of("&HFFFF"), "-1");
  EXPECT_EQ(text_of("abc"), "<none>");
  // Digits beyond any plausible column are refused rather than materialised.
  EXPECT_EQ(text_of("1e999999999"), "<none>");
  EXPECT_EQ(ParseDecimal("3,25", Locale::Find("de-DE"))->text, "3.25");
}

}  // namespace
}  // namespace kelvo
