#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "kelvo/object.h"

namespace kelvo {
namespace {

const Locale& kUs = Locale::Find("en-US");
const Locale& kDe = Locale::Find("de-DE");
const Locale& kNb = Locale::Find("nb-NO");

class Thing final : public Object {
 public:
  std::string_view ClassName() const override { return "Thing"; }
};

struct DoubleCase {
  double value;
  const char* text;
};

TEST(CStrTest, DoublesShowFifteenSignificantDigits) {
  const DoubleCase cases[] = {
      {123456789012345, "123456789012345"},
      {1234567890123456, "1.23456789012346E+15"},
      {1E15, "1E+15"},
      {1E100, "1E+100"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {0.000012345, "1.2345E-05"},
      {1.0 / 3, "0.333333333333333"},
      {0.1 + 0.2, "0.3"},
      {-1.5, "-1.5"},
      {-0.0, "0"},
      {1E-300, "1E-300"},
      {-2.5E-7, "-2.5E-07"},
      {100, "100"},
      {std::numeric_limits<double>::infinity(), "Infinity"},
  };
  for (const DoubleCase& c : cases) EXPECT_EQ(CStr(c.value, kUs), c.text) << c.text;
}

TEST(CStrTest, UsesTheLocaleDecimalSeparator) {
  EXPECT_EQ(CStr(3.5, kDe), "3,5");
  EXPECT_EQ(CStr(3.5, kNb), "3,5");
  EXPECT_EQ(CStr(1234567890123456.0, kDe), "1,23456789012346E+15");
  // No grouping in the plain form.
  EXPECT_EQ(CStr(1234567.25, kDe), "1234567,25");
  EXPECT_EQ(CStr(Currency{12345}, kDe), "1,2345");
  EXPECT_EQ(CStr(Decimal{"-12.50"}, kNb), "-12,50");
}

TEST(CStrTest, ExactTypesKeepTheirDigits) {
  EXPECT_EQ(CStr(Currency{15000}, kUs), "1.5");
  EXPECT_EQ(CStr(Currency{-1}, kUs), "-0.0001");
  EXPECT_EQ(CStr(Currency{20000}, kUs), "2");
  EXPECT_EQ(CStr(Currency{std::numeric_limits<std::int64_t>::min()}, kUs), "-922337203685477.5808");
  EXPECT_EQ(CStr(Decimal{"12345678901234567890.123456789"}, kUs), "12345678901234567890.123456789");
  EXPECT_EQ(CStr(std::int64_t{-9007199254740993}, kUs), "-9007199254740993");
  EXPECT_EQ(CStr(std::int32_t{-42}, kUs), "-42");
}

TEST(CStrTest, OtherKinds) {
  EXPECT_EQ(CStr(Variant(), kUs), "");
  EXPECT_EQ(CStr(true, kDe), "True");
  EXPECT_EQ(CStr(false, kDe), "False");
  EXPECT_EQ(CStr("text", kUs), "text");
  EXPECT_EQ(CStr(Date{43616.57299768519}, kUs), "5/31/2019 1:45:07 PM");
}

TEST(CStrTest, RefusesNullBinaryAndObjects) {
  const auto number_of = [](const Variant& v) {
    try {
      CStr(v, kUs);
    } catch (const Error& e) {
      return e.number();
    }
    return 0L;
  };
  EXPECT_EQ(number_of(Variant::Null()), errc::kInvalidUseOfNull);
  EXPECT_EQ(number_of(Bytes{1, 2}), errc::kTypeMismatch);
  EXPECT_EQ(number_of(std::make_shared<Thing>()), errc::kTypeMismatch);
}

}  // namespace
}  // namespace kelvo
