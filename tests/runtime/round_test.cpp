#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kelvo/error.h"
#include "kelvo/functions.h"

namespace kelvo {
namespace {

const Locale& kUs = Locale::Find("en-US");
const Locale& kDe = Locale::Find("de-DE");

long ErrorOf(const auto& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

double RoundedDouble(const Variant& value, const OptionalArg& digits = {}) {
  return Round(value, kUs, digits).AsDouble();
}

TEST(RoundTest, TiesGoToEven) {
  EXPECT_EQ(RoundedDouble(2.5), 2);
  EXPECT_EQ(RoundedDouble(3.5), 4);
  EXPECT_EQ(RoundedDouble(-3.5), -4);
  EXPECT_EQ(RoundedDouble(-2.5), -2);
  EXPECT_EQ(RoundedDouble(0.5), 0);
  EXPECT_EQ(RoundedDouble(2.5000001), 3);
  EXPECT_DOUBLE_EQ(RoundedDouble(24.13278, 2), 24.13);
  // Ties written in decimal count as ties once scaled in double arithmetic.
  EXPECT_DOUBLE_EQ(RoundedDouble(0.12345, 4), 0.1234);
  EXPECT_DOUBLE_EQ(RoundedDouble(0.12355, 4), 0.1236);
  EXPECT_DOUBLE_EQ(RoundedDouble(1.25, 1), 1.2);
  EXPECT_DOUBLE_EQ(RoundedDouble(1.35, 1), 1.4);
}

TEST(RoundTest, LargeNumbersAndManyDigitsComeBackUnchanged) {
  EXPECT_EQ(RoundedDouble(1e300, 5), 1e300);
  EXPECT_EQ(RoundedDouble(0.1, 400), 0.1);
  EXPECT_EQ(RoundedDouble(4503599627370497.0), 4503599627370497.0);
  EXPECT_EQ(RoundedDouble(std::numeric_limits<double>::infinity()),
            std::numeric_limits<double>::infinity());
}

TEST(RoundTest, KeepsTheKindOfTheValue) {
  EXPECT_EQ(Round(std::int32_t{7}, kUs, 2), Variant(std::int32_t{7}));
  EXPECT_EQ(Round(std::int64_t{1} << 60, kUs), Variant(std::int64_t{1} << 60));
  EXPECT_EQ(Round(true, kUs), Variant(std::int32_t{-1}));
  EXPECT_EQ(Round(Variant(), kUs), Variant(std::int32_t{0}));
  EXPECT_TRUE(Round(Variant::Null(), kUs).IsNull());
  // Currency and decimals round exactly, ties to even.
  EXPECT_EQ(Round(Currency{25000}, kUs), Variant(Currency{20000}));
  EXPECT_EQ(Round(Currency{-35000}, kUs), Variant(Currency{-40000}));
  EXPECT_EQ(Round(Currency{12355}, kUs, 3), Variant(Currency{12360}));
  EXPECT_EQ(Round(Currency{12345}, kUs, 3), Variant(Currency{12340}));
  EXPECT_EQ(Round(Currency{12345}, kUs, 4), Variant(Currency{12345}));
  EXPECT_EQ(Round(Decimal{"0.125"}, kUs, 2), Variant(Decimal{"0.12"}));
  EXPECT_EQ(Round(Decimal{"-12345678901234567890.5"}, kUs),
            Variant(Decimal{"-12345678901234567890"}));
  EXPECT_EQ(Round(Date{1.6}, kUs), Variant(Date{2}));
  // Text is read in the locale and gives a Double.
  EXPECT_EQ(Round("2,5", kDe), Variant(2.0));
  EXPECT_EQ(Round("1.005", kUs, "2"), Variant(1.0));
}

TEST(RoundTest, Failures) {
  EXPECT_EQ(ErrorOf([] { Round(1.5, kUs, -1); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Round(1.5, kUs, Variant::Null()); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Round("abc", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Round(Currency{std::numeric_limits<std::int64_t>::max()}, kUs); }),
            errc::kOverflow);
}

TEST(AbsTest, KeepsOrWidensTheKind) {
  EXPECT_EQ(Abs(std::int32_t{-5}, kUs), Variant(std::int32_t{5}));
  EXPECT_EQ(Abs(std::numeric_limits<std::int32_t>::min(), kUs), Variant(std::int64_t{2147483648}));
  EXPECT_EQ(Abs(std::numeric_limits<std::int64_t>::min(), kUs),
            Variant(Decimal{"9223372036854775808"}));
  EXPECT_EQ(Abs(-1.5, kUs), Variant(1.5));
  EXPECT_EQ(Abs(Currency{-15000}, kUs), Variant(Currency{15000}));
  EXPECT_EQ(Abs(Decimal{"-0.25"}, kUs), Variant(Decimal{"0.25"}));
  EXPECT_EQ(Abs(true, kUs), Variant(std::int32_t{1}));
  EXPECT_EQ(Abs(Variant(), kUs), Variant(std::int32_t{0}));
  EXPECT_EQ(Abs("-1", kUs), Variant(1.0));
  EXPECT_EQ(Abs("-1,5", kDe), Variant(1.5));
  EXPECT_EQ(Abs(Date{-2.5}, kUs), Variant(2.5));
  EXPECT_TRUE(Abs(Variant::Null(), kUs).IsNull());
  EXPECT_EQ(ErrorOf([] { Abs("strings", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Abs(Currency{std::numeric_limits<std::int64_t>::min()}, kUs); }),
            errc::kOverflow);
}

}  // namespace
}  // namespace kelvo
