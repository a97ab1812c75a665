#include "data/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelvo::data {
namespace {

TEST(NumberTextTest, WholeNumbers) {
  EXPECT_EQ(ParseWholeNumber(" +42 "), 42);
  EXPECT_EQ(ParseWholeNumber("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  for (const char* bad : {"", "+", "+-1", "1.0", "12a", "9223372036854775808", "1 2"}) {
    EXPECT_FALSE(ParseWholeNumber(bad).has_value()) << bad;
  }
}

TEST(NumberTextTest, DecimalTextIsCanonical) {
  const std::pair<const char*, const char*> cases[] = {
      {"12.50", "12.50"}, {"+007", "7"},          {".5", "0.5"},    {"5.", "5"},  {"-0.00", "0.00"},
      {"1.5e2", "150"},   {"1.25E-3", "0.00125"}, {"-12e0", "-12"}, {" 3 ", "3"},
  };
  for (const auto& [text, canonical] : cases) EXPECT_EQ(ParseDecimalText(text), canonical) << text;
  for (const char* bad : {"", ".", "-", "1e", "1e5000", "1.2.3", "3,5", "inf", "nan", "0x10"}) {
    EXPECT_FALSE(ParseDecimalText(bad).has_value()) << bad;
  }
  EXPECT_EQ(ParseReal("2.5e-1"), 0.25);
  EXPECT_FALSE(ParseReal("inf").has_value());
  EXPECT_EQ(DecimalTextOf(0.1), "0.1");
  EXPECT_EQ(DecimalTextOf(-1e20), "-100000000000000000000");
  EXPECT_EQ(DecimalTextOf(-0.0), "0");
}

TEST(NumberTextTest, CurrencyRoundsHalfToEvenAtTheFourthDecimal) {
  EXPECT_EQ(ParseCurrency("19.99"), Currency{199900});
  EXPECT_EQ(ParseCurrency("0.00005"), Currency{0});
  EXPECT_EQ(ParseCurrency("0.00015"), Currency{2});
  EXPECT_EQ(ParseCurrency("0.000151"), Currency{2});
  EXPECT_EQ(ParseCurrency("-1.00005001"), Currency{-10001});
  EXPECT_EQ(ParseCurrency("922337203685477.5807"),
            Currency{std::numeric_limits<std::int64_t>::max()});
  EXPECT_FALSE(ParseCurrency("922337203685477.5808").has_value());
  EXPECT_EQ(CurrencyText(Currency{199900}), "19.99");
  EXPECT_EQ(CurrencyText(Currency{-1}), "-0.0001");
  EXPECT_EQ(CurrencyText(Currency{std::numeric_limits<std::int64_t>::min()}),
            "-922337203685477.5808");
}

}  // namespace
}  // namespace kelvo::data
