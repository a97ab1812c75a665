#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kelvo/convert.h"
#include "kelvo/error.h"

namespace kelvo {
namespace {

const Locale& kUs = Locale::Find("en-US");
const Locale& kDe = Locale::Find("de-DE");

template <class F>
long ErrorOf(F f) {
  try {
    f();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(CLngTest, RoundsTiesToEven) {
  EXPECT_EQ(CInt(0.5, kUs), 0);
  EXPECT_EQ(CInt(1.5, kUs), 2);
  EXPECT_EQ(CInt(2.5, kUs), 2);
  EXPECT_EQ(CInt(-36.5, kUs), -36);
  EXPECT_EQ(CInt(-37.5, kUs), -38);
  EXPECT_EQ(CInt(-0.5, kUs), 0);
  EXPECT_EQ(CLng(25427.55, kUs), 25428);
  EXPECT_EQ(CLng(-2.51, kUs), -3);
  EXPECT_EQ(CInt(-32768.5, kUs), -32768);
  EXPECT_EQ(CLng(Currency{25000}, kUs), 2);
  EXPECT_EQ(CLng(Currency{35000}, kUs), 4);
  EXPECT_EQ(CLng(Currency{-25001}, kUs), -3);
  EXPECT_EQ(CLng(Decimal{"2.5"}, kUs), 2);
  EXPECT_EQ(CLng(Decimal{"-3.5"}, kUs), -4);
  EXPECT_EQ(CLng(Decimal{"2.500000000000000000001"}, kUs), 3);
  EXPECT_EQ(CLng(Date{43616.57299768519}, kUs), 43617);
}

TEST(CLngTest, OtherKinds) {
  EXPECT_EQ(CLng(Variant(), kUs), 0);
  EXPECT_EQ(CLng(true, kUs), -1);
  EXPECT_EQ(CInt(false, kUs), 0);
  EXPECT_EQ(CLng("-1", kUs), -1);
  EXPECT_EQ(CLng(" 2.5 ", kUs), 2);
  EXPECT_EQ(CLng("3.5", kUs), 4);
  EXPECT_EQ(CLng("1.234,5", kDe), 1234);
  EXPECT_EQ(CLng("&HFFFF", kUs), -1);
  EXPECT_EQ(CLng(std::int64_t{-2147483648LL}, kUs), -2147483647 - 1);
}

TEST(CLngTest, ChecksTheRangeAfterRounding) {
  EXPECT_EQ(ErrorOf([] { CInt(32767.5, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(-32768.51, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(std::int32_t{40000}, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(2147483647.5, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(std::int64_t{2147483648LL}, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(1e300, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(std::nan(""), kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(Decimal{"99999999999999999999999"}, kUs); }), errc::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng("1e30", kUs); }), errc::kOverflow);
  EXPECT_EQ(CLng(2147483647.4, kUs), 2147483647);
}

TEST(CLngTest, RefusesWhatIsNoNumber) {
  for (const char* text : {"", "TRUE", "abc", "1,2.3.4", "#TRUE#"}) {
    EXPECT_EQ(ErrorOf([text] { CLng(text, kUs); }), errc::kTypeMismatch) << text;
    EXPECT_EQ(ErrorOf([text] { CDbl(text, kUs); }), errc::kTypeMismatch) << text;
  }
  EXPECT_EQ(ErrorOf([] { CLng(Variant::Null(), kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant::Null(), kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { CDbl(Bytes{}, kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Decimal{"1e5"}, kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl("1e400", kUs); }), errc::kOverflow);
}

TEST(CDblTest, ReadsTextInTheLocale) {
  EXPECT_DOUBLE_EQ(CDbl("-0.5", kUs), -0.5);
  EXPECT_DOUBLE_EQ(CDbl("-0,5", kDe), -0.5);
  // In de-DE the point groups digits.
  EXPECT_DOUBLE_EQ(CDbl("1.5", kDe), 15);
  EXPECT_DOUBLE_EQ(CDbl(Variant(), kUs), 0);
  EXPECT_DOUBLE_EQ(CDbl(Currency{-12345}, kUs), -1.2345);
  EXPECT_DOUBLE_EQ(CDbl(Decimal{"0.125"}, kUs), 0.125);
  EXPECT_DOUBLE_EQ(CDbl(Date{1.5}, kUs), 1.5);
  EXPECT_DOUBLE_EQ(CDbl(true, kUs), -1);
}

TEST(CBoolTest, NumbersAndWords) {
  EXPECT_FALSE(CBool("0", kUs));
  EXPECT_TRUE(CBool("0.1", kUs));
  EXPECT_TRUE(CBool(-0.56, kUs));
  EXPECT_FALSE(CBool(Variant(), kUs));
  EXPECT_TRUE(CBool("tRuE", kUs));
  EXPECT_FALSE(CBool("FALSE", kUs));
  EXPECT_TRUE(CBool("#TRUE#", kUs));
  EXPECT_FALSE(CBool("#false#", kUs));
  EXPECT_FALSE(CBool(Decimal{"0.000"}, kUs));
  EXPECT_TRUE(CBool(Decimal{"0.001"}, kUs));
  EXPECT_TRUE(CBool(Currency{1}, kUs));
  // Tiny but not zero: the digits decide, not a rounded double.
  EXPECT_TRUE(CBool("1e-400", kUs));
  EXPECT_TRUE(CBool("0,1", kDe));
  EXPECT_EQ(ErrorOf([] { CBool("", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CBool("yes", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CBool(" true", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CBool(Variant::Null(), kUs); }), errc::kInvalidUseOfNull);
}

TEST(IsNumericTest, ByKind) {
  EXPECT_TRUE(IsNumeric(Variant(), kUs));
  EXPECT_TRUE(IsNumeric(true, kUs));
  EXPECT_TRUE(IsNumeric(Currency{1}, kUs));
  EXPECT_TRUE(IsNumeric(Decimal{"1"}, kUs));
  EXPECT_TRUE(IsNumeric("44", kUs));
  EXPECT_FALSE(IsNumeric("45 Help", kUs));
  EXPECT_FALSE(IsNumeric("", kUs));
  EXPECT_FALSE(IsNumeric(Variant::Null(), kUs));
  EXPECT_FALSE(IsNumeric(Date{1}, kUs));
  EXPECT_FALSE(IsNumeric(Bytes{1}, kUs));
}

}  // namespace
}  // namespace kelvo
