#include "data/postgres_values.h"

#include <gtest/gtest.h>

#include <limits>

#include "kelvo/data.h"
#include "kelvo/date.h"
#include "kelvo/error.h"

namespace kelvo::data {
namespace {

using namespace ado;

TEST(PostgresValuesTest, MoneyIsReadByItsDigitsInAnyLocale) {
  const auto money = [](std::string_view text, int decimals = 2) {
    return PostgresTyped(text, ValueClass::kCurrency, decimals);
  };
  EXPECT_EQ(money("$1,234.50"), Variant(Currency{12345000}));
  EXPECT_EQ(money("-$0.05"), Variant(Currency{-500}));
  EXPECT_EQ(money("1.234,50 kr"), Variant(Currency{12345000}));
  EXPECT_EQ(money("($7.00)"), Variant(Currency{-70000}));
  EXPECT_EQ(money("￥1,235", 0), Variant(Currency{12350000}));
  // Beyond Currency's range the amount stays exact.
  EXPECT_EQ(money("$92,233,720,368,547,758.07"), Variant(Decimal{"92233720368547758.07"}));
}

TEST(PostgresValuesTest, DatesDropTheZoneOfTheirText) {
  const auto date = [](std::string_view text) {
    return PostgresTyped(text, ValueClass::kDate, 2);
  };
  EXPECT_EQ(date("2024-07-01 10:00:00+02"), Variant(MakeDate({2024, 7, 1, 10, 0, 0})));
  EXPECT_EQ(date("2024-07-01 10:00:00-09:30"), Variant(MakeDate({2024, 7, 1, 10, 0, 0})));
  EXPECT_EQ(date("13:45:00+00"), Variant(MakeDate({1899, 12, 30, 13, 45, 0})));
  EXPECT_EQ(date("2024-07-01"), Variant(MakeDate({2024, 7, 1, 0, 0, 0})));
  EXPECT_EQ(date("0044-03-15 BC"), Variant("0044-03-15 BC"));
}

TEST(PostgresValuesTest, OtherTypesReadAndUnreadableTextStays) {
  EXPECT_EQ(PostgresTyped("\\x00ff", ValueClass::kBinary, 2), Variant(Bytes{0, 255}));
  EXPECT_EQ(PostgresTyped("f", ValueClass::kBoolean, 2), Variant(false));
  EXPECT_EQ(PostgresTyped("-2147483649", ValueClass::kWhole, 2),
            Variant(std::int64_t{-2147483649}));
  EXPECT_EQ(PostgresTyped("-Infinity", ValueClass::kReal, 2),
            Variant(-std::numeric_limits<double>::infinity()));
  EXPECT_EQ(PostgresTyped("NaN", ValueClass::kDecimal, 2), Variant("NaN"));
}

TEST(PostgresValuesTest, StoredTextIsWhatTheServerReads) {
  EXPECT_EQ(PostgresStoredFor(Variant(true), adBoolean), Variant("t"));
  EXPECT_EQ(PostgresStoredFor(Variant(" 42 "), adInteger), Variant("42"));
  EXPECT_EQ(PostgresStoredFor(Variant(Currency{199900}), adCurrency), Variant("19.99"));
  EXPECT_EQ(PostgresStoredFor(Variant(Bytes{1, 171}), adLongVarBinary), Variant("\\x01ab"));
  EXPECT_EQ(PostgresStoredFor(Variant(MakeDate({2024, 3, 1, 18, 30, 5})), adDBDate),
            Variant("2024-03-01"));
  EXPECT_EQ(PostgresStoredFor(Variant("2024-03-01 18:30:05.25"), adDBTimeStamp),
            Variant("2024-03-01 18:30:05.25"));
  EXPECT_EQ(PostgresStoredFor(Variant(MakeDate({1899, 12, 29, 6, 0, 0})), adDBTimeStamp),
            Variant("1899-12-29 06:00:00"));
  EXPECT_TRUE(PostgresStoredFor(Variant(), adInteger).IsNull());
  EXPECT_THROW(PostgresStoredFor(Variant("1.5"), adInteger), Error);
  EXPECT_THROW(PostgresStoredFor(Variant(std::string("a\0b", 3)), adVarWChar), Error);
}

TEST(PostgresValuesTest, ParametersAreTextOrNothing) {
  EXPECT_FALSE(PostgresParameterText(Variant::Null()).has_value());
  EXPECT_EQ(PostgresParameterText(Variant(0.1)), "0.1");
  EXPECT_EQ(PostgresParameterText(Variant(Decimal{"-1.50"})), "-1.50");
  EXPECT_EQ(PostgresParameterText(Variant(false)), "false");
  EXPECT_EQ(PostgresParameterText(Variant(Bytes{})), "\\x");
}

}  // namespace
}  // namespace kelvo::data
