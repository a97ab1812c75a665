#include "component/list_utils.h"

#include <gtest/gtest.h>

#include "kelvo/error.h"

namespace kelvo::detail {
namespace {

TEST(IndexInList, MatchesWholeUntrimmedItemsIgnoringCase) {
  EXPECT_EQ(IndexInList("Name, Price", "price"), 0);  // the item is " Price"
  EXPECT_EQ(IndexInList("Name,Price", "PRICE"), 2);
  EXPECT_EQ(IndexInList("Name,,Price", ""), 0);
  EXPECT_EQ(IndexInList("  ", "x"), 0);
  EXPECT_EQ(IndexInList("a,b,a", "A"), 1);
  EXPECT_EQ(IndexInList("\xC3\xA6rfugl,x", "\xC3\x86RFUGL"), 1);  // Latin-1 letters fold too
}

TEST(IndexInList, PositionBeyondSixteenBitsIsAnOverflow) {
  std::string list;
  for (int i = 0; i < 32767; ++i) list += "x,";
  list += "target";
  EXPECT_THROW(IndexInList(list, "target"), Error);
  EXPECT_EQ(IndexInList(list, "x"), 1);
}

TEST(GetListItem, ReturnsItemsAndFallsBackForMissingOnes) {
  EXPECT_EQ(GetListItem("100,,50%", 1, "d"), "100");
  EXPECT_EQ(GetListItem("100,,50%", 2, "d"), "d");
  EXPECT_EQ(GetListItem("100,,50%", 3, "d"), "50%");
  EXPECT_EQ(GetListItem("100,,50%", 4, "d"), "d");
  EXPECT_EQ(GetListItem("5,7", 1, ""), "5");  // one-character items are items
  EXPECT_EQ(GetListItem(" ", 1, "d"), "d");
  EXPECT_EQ(GetListItem("a, b", 2, ""), " b");
  EXPECT_EQ(GetListItem("a", 0, "d"), "d");
}

TEST(CountOccurrences, CountsOverlappingMatches) {
  EXPECT_EQ(CountOccurrences("aaaa", "aa"), 3);
  EXPECT_EQ(CountOccurrences("a,b,c", ","), 2);
  EXPECT_EQ(CountOccurrences("", ","), 0);
  EXPECT_EQ(CountOccurrences("a b", " "), 0);  // a blank pattern counts as not given
}

TEST(ToLongOrZero, NullAndEmptyAreZeroOtherTextMustBeANumber) {
  EXPECT_EQ(ToLongOrZero(Variant::Null()), 0);
  EXPECT_EQ(ToLongOrZero(Variant("")), 0);
  EXPECT_EQ(ToLongOrZero(Variant("42")), 42);
  EXPECT_EQ(ToLongOrZero(Variant(2.5)), 2);  // ties to even
  EXPECT_THROW(ToLongOrZero(Variant("4x")), Error);
}

TEST(IsNumericType, IncludesDatesAndBooleansButNotText) {
  for (long code : {2, 3, 5, 6, 7, 11, 20, 131, 133, 134, 135, 139}) {
    EXPECT_TRUE(IsNumericType(code)) << code;
  }
  for (long code : {0, 8, 72, 128, 129, 200, 201, 202, 203, 205}) {
    EXPECT_FALSE(IsNumericType(code)) << code;
  }
}

TEST(InitCaps, CapitalisesOnlyTextWithoutLowerCaseLetters) {
  EXPECT_EQ(InitCaps("HELLO WORLD", 1), " Hello World");
  EXPECT_EQ(InitCaps("HELLO  WORLD", 1), " Hello  World");  // runs of blanks survive
  EXPECT_EQ(InitCaps("HELLO WORLD", 0), "Hello world");
  EXPECT_EQ(InitCaps("McDONALD", 1), "McDONALD");
  EXPECT_EQ(InitCaps("", 1), "");
  EXPECT_EQ(InitCaps("\xC3\x86RE", 0), "\xC3\x86re");
}

}  // namespace
}  // namespace kelvo::detail
