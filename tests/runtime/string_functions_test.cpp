#include <gtest/gtest.h>

#include <string>

#include "kelvo/error.h"
#include "kelvo/functions.h"

namespace kelvo {
namespace {

const Locale& kUs = Locale::Find("en-US");
const Locale& kDe = Locale::Find("de-DE");
const Variant kNull = Variant::Null();

long ErrorOf(const auto& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

std::string Text(const Variant& value) { return value.AsString(); }

struct ReplaceCase {
  const char* expression;
  const char* find;
  const char* with;
  OptionalArg start;
  OptionalArg count;
  OptionalArg compare;
  const char* expected;
};

TEST(ReplaceTest, StartCountAndCompare) {
  const ReplaceCase cases[] = {
      {"xx testxx(xx)", "xx", "!", {}, {}, {}, "! test!(!)"},
      // The result starts at `start`: what is before it is dropped.
      {"xx testxx(xx)", "xx", "!", 2, {}, {}, "x test!(!)"},
      {"xx testxx(xx)", "xx", "!", 1, 1, {}, "! testxx(xx)"},
      {"xx testxx(xx)", "xx", "!", 2, 1, {}, "x test!(xx)"},
      {"This is a beautiful day!", "i", "##", 15, {}, {}, "t##ful day!"},
      {"xx testxx(xx)", "xx", "!", 2000, {}, {}, ""},
      {"xxx", "", "y", 2, {}, {}, "xx"},
      {"yxxy", "x", "", {}, {}, {}, "yy"},
      {"xxx", "x", "y", 1, 0, {}, "xxx"},
      {"aa testAA(aA)", "Aa", "!", 1, -1, 1, "! test!(!)"},
      {"aa testAA(aA)", "Aa", "!", 1, -1, 0, "aa testAA(aA)"},
      {"xxxxx", "xx", "y", {}, {}, {}, "yyx"},
      {"banana", "a", "b", 3, {}, {}, "nbnb"},
      {"ÄÖÜ äöü", "äö", "-", 1, -1, 1, "-Ü -ü"},
      // Positions count characters, not bytes.
      {"äbäb", "b", "c", 3, {}, {}, "äc"},
      {"x", "x", "yy", "1", "1", "0", "yy"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(Replace(c.expression, c.find, c.with, kUs, c.start, c.count, c.compare), c.expected)
        << c.expression << " / " << c.find;
  }
  EXPECT_EQ(Replace(1234.5, ",", ";", kDe), "1234;5");
}

TEST(ReplaceTest, ArgumentErrors) {
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, 0); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, 1, -2); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, 1, -1, 2); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Replace(kNull, "b", "x", kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Replace("abc", kNull, "x", kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", kNull, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, kNull); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, 1, kNull); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, 1, 1, kNull); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Replace("abc", "b", "x", kUs, "first"); }), errc::kTypeMismatch);
}

TEST(SubstringTest, LeftRightAndMid) {
  EXPECT_EQ(Text(Left("123456", 2.5, kUs)), "12");  // 2.5 rounds to even
  EXPECT_EQ(Text(Left("123456", 3.5, kUs)), "1234");
  EXPECT_EQ(Text(Left("test", 0, kUs)), "");
  EXPECT_EQ(Text(Left("test", 10, kUs)), "test");
  EXPECT_EQ(Text(Left(true, 2, kUs)), "Tr");
  EXPECT_EQ(Text(Left(1.5, 2, kDe)), "1,");
  EXPECT_EQ(Text(Right("test", 2, kUs)), "st");
  EXPECT_EQ(Text(Right("test", 9, kUs)), "test");
  EXPECT_EQ(Text(Right("test", "1", kUs)), "t");
  EXPECT_EQ(Text(Mid("VBScript is fun!", 3, kUs, 6)), "Script");
  EXPECT_EQ(Text(Mid("test", 1, kUs, 0)), "");
  EXPECT_EQ(Text(Mid("abcdef", 2, kUs)), "bcdef");
  EXPECT_EQ(Text(Mid("abcdef", "2", kUs, "3")), "bcd");
  EXPECT_EQ(Text(Mid("abc", 4, kUs)), "");
  EXPECT_EQ(Text(Mid("abc", 2, kUs, 100)), "bc");
  EXPECT_EQ(Text(Mid("abc", 2147483647, kUs, 2147483647)), "");
  EXPECT_TRUE(Left(kNull, 1, kUs).IsNull());
  EXPECT_TRUE(Right(kNull, 1, kUs).IsNull());
  EXPECT_TRUE(Mid(kNull, 1, kUs).IsNull());
}

TEST(SubstringTest, ArgumentErrors) {
  EXPECT_EQ(ErrorOf([] { Left("test", -1, kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Right("test", -1, kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Left("test", kNull, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Right("test", kNull, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Left("test", "x", kUs); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Mid("test", 0, kUs, 1); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Mid("test", 1, kUs, -1); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Mid("test", kNull, kUs); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Mid("test", 1, kUs, kNull); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Mid("test", 3000000000.0, kUs); }), errc::kOverflow);
  // A Null text does not excuse a bad length.
  EXPECT_EQ(ErrorOf([] { Left(kNull, -1, kUs); }), errc::kInvalidCall);
  EXPECT_EQ(ErrorOf([] { Left(Bytes{1}, 1, kUs); }), errc::kTypeMismatch);
}

TEST(SubstringTest, CountsUtf16UnitsAndKeepsBrokenBytes) {
  // "é" is one unit, "😀" (U+1F600) two.
  EXPECT_EQ(Len("héllo", kUs).AsInt32(), 5);
  EXPECT_EQ(Len("a😀b", kUs).AsInt32(), 4);
  EXPECT_EQ(Text(Mid("a😀b", 4, kUs)), "b");
  EXPECT_EQ(Text(Left("a😀b", 3, kUs)), "a😀");
  // A cut between the two units of one character moves past that character.
  EXPECT_EQ(Text(Left("a😀b", 2, kUs)), "a😀");
  EXPECT_EQ(Text(Right("a😀b", 2, kUs)), "b");
  EXPECT_EQ(Text(Left("ñandú", 2, kUs)), "ña");
  EXPECT_EQ(Text(Right("ñandú", 2, kUs)), "dú");
  // Bytes that are not UTF-8 count one each and come back unchanged.
  const std::string broken = "a\xFF\xC3z";
  EXPECT_EQ(Len(broken, kUs).AsInt32(), 4);
  EXPECT_EQ(Text(Mid(broken, 2, kUs, 2)), "\xFF\xC3");
}

TEST(CaseAndLengthTest, NullEmptyAndNumbers) {
  EXPECT_EQ(Text(UCase("123aBC?", kUs)), "123ABC?");
  EXPECT_EQ(Text(LCase("ÄÖÜ Straße", kUs)), "äöü straße");
  EXPECT_EQ(Text(UCase(Variant(), kUs)), "");
  EXPECT_EQ(Text(UCase(1.5, kDe)), "1,5");
  EXPECT_EQ(Text(LCase(true, kUs)), "true");
  EXPECT_TRUE(UCase(kNull, kUs).IsNull());
  EXPECT_TRUE(LCase(kNull, kUs).IsNull());
  EXPECT_EQ(Len(123, kUs).AsInt32(), 3);
  EXPECT_EQ(Len(-1.25, kDe).AsInt32(), 5);
  EXPECT_EQ(Len(Variant(), kUs).AsInt32(), 0);
  EXPECT_TRUE(Len(kNull, kUs).IsNull());
  EXPECT_EQ(Len(Date{43616.5}, kUs).AsInt32(), 21);  // "5/31/2019 12:00:00 PM"
}

}  // namespace
}  // namespace kelvo
