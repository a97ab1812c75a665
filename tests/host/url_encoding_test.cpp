#include <gtest/gtest.h>

#include <string>

#include "kelvo/host.h"

namespace kelvo {
namespace {

RequestCollection Parse(std::string_view text) {
  RequestCollection collection;
  ParseUrlEncoded(text, collection);
  return collection;
}

TEST(ParseUrlEncodedTest, DecodesPlusAndEscapesInKeysAndValues) {
  const RequestCollection c = Parse("a=x+y%21&b%5Fc=%2B&sp+ace=1+%2B+1");
  EXPECT_EQ(c.Get("a"), "x y!");
  EXPECT_EQ(c.Get("b_c"), "+");
  EXPECT_EQ(c.Get("sp ace"), "1 + 1");
}

// Long values are scanned eight bytes at a time: an escape is found wherever it falls.
TEST(ParseUrlEncodedTest, FindsEscapesAtEveryPlaceInLongValues) {
  for (std::size_t at = 0; at < 20; ++at) {
    std::string plus(20, 'a');
    plus[at] = '+';
    std::string spaced(20, 'a');
    spaced[at] = ' ';
    EXPECT_EQ(Parse("k=" + plus).Get("k"), spaced) << at;
    std::string escaped(20, 'a');
    escaped.replace(at, 1, "%21");
    std::string decoded(20, 'a');
    decoded[at] = '!';
    EXPECT_EQ(Parse("k=" + escaped).Get("k"), decoded) << at;
  }
}

TEST(ParseUrlEncodedTest, AcceptsHexDigitsInEitherCase) {
  const RequestCollection c = Parse("k=%c3%a9%C3%A9%3a%3A");
  EXPECT_EQ(c.Get("k"), "\xC3\xA9\xC3\xA9::");
}

TEST(ParseUrlEncodedTest, KeepsMalformedEscapesAsWritten) {
  EXPECT_EQ(Parse("k=%G1").Get("k"), "%G1");
  EXPECT_EQ(Parse("k=%4").Get("k"), "%4");
  EXPECT_EQ(Parse("k=abc%").Get("k"), "abc%");
  EXPECT_EQ(Parse("k=%1G%41").Get("k"), "%1GA");
  EXPECT_EQ(Parse("k=%%41").Get("k"), "%A");
  EXPECT_EQ(Parse("k=%+1").Get("k"), "% 1");
}

TEST(ParseUrlEncodedTest, PieceWithoutEqualsIsKeyWithEmptyValue) {
  const RequestCollection c = Parse("flag&x=1&empty=&eq=a=b");
  ASSERT_NE(c.Find("flag"), nullptr);
  EXPECT_EQ(c.Find("flag")->values, std::vector<std::string>{""});
  EXPECT_EQ(c.Get("empty"), "");
  EXPECT_NE(c.Find("empty"), nullptr);
  EXPECT_EQ(c.Get("eq"), "a=b");
}

TEST(ParseUrlEncodedTest, SkipsEmptyPieces) {
  const RequestCollection c = Parse("&&a=1&&&b=2&");
  ASSERT_EQ(c.entries().size(), 2u);
  EXPECT_EQ(c.entries()[0].key, "a");
  EXPECT_EQ(c.entries()[1].key, "b");
  EXPECT_TRUE(Parse("").entries().empty());
  EXPECT_TRUE(Parse("&").entries().empty());
}

TEST(ParseUrlEncodedTest, RepeatedKeysKeepArrivalOrder) {
  const RequestCollection c = Parse("id=7&sort=a&ID=8&id=9&sort=b");
  ASSERT_EQ(c.entries().size(), 2u);
  EXPECT_EQ(c.entries()[0].key, "id");
  EXPECT_EQ(c.entries()[0].values, (std::vector<std::string>{"7", "8", "9"}));
  EXPECT_EQ(c.entries()[1].values, (std::vector<std::string>{"a", "b"}));
}

TEST(ParseUrlEncodedTest, KeepsNulAndInvalidUtf8Bytes) {
  constexpr char kRaw[] = "k\0y=a\0b%00%FF\xFE";
  const std::string raw(kRaw, sizeof kRaw - 1);
  const RequestCollection c = Parse(raw);
  ASSERT_EQ(c.entries().size(), 1u);
  EXPECT_EQ(c.entries()[0].key, std::string("k\0y", 3));
  EXPECT_EQ(c.entries()[0].values[0], std::string("a\0b\0\xFF\xFE", 6));
}

TEST(UrlEncodeTest, KeepsAsciiLettersAndDigitsOnly) {
  EXPECT_EQ(UrlEncode("AZaz09"), "AZaz09");
  EXPECT_EQ(UrlEncode("*-._~"), "%2A%2D%2E%5F%7E");
  EXPECT_EQ(UrlEncode("a b&c=d+e%"), "a+b%26c%3Dd%2Be%25");
  EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlEncodeTest, EncodesUtf8AndControlBytesWithUpperCaseHex) {
  EXPECT_EQ(UrlEncode("\xC3\xA9"), "%C3%A9");
  EXPECT_EQ(UrlEncode(std::string("\0\n\xFF", 3)), "%00%0A%FF");
}

TEST(UrlEncodeTest, RoundTripsThroughParse) {
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes.push_back(static_cast<char>(b));
  const RequestCollection c = Parse("k=" + UrlEncode(all_bytes) + "&" + UrlEncode("a&b=c") + "=v");
  EXPECT_EQ(c.Get("k"), all_bytes);
  EXPECT_EQ(c.Get("a&b=c"), "v");
}

}  // namespace
}  // namespace kelvo
