#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvo/host.h"

namespace kelvo {
namespace {

TEST(RequestCollectionTest, KeysMatchWithoutRegardToAsciiCase) {
  RequestCollection c;
  c.Add("BookMark", "5");
  c.Add("bookmark", "6");
  ASSERT_EQ(c.entries().size(), 1u);
  EXPECT_EQ(c.entries()[0].key, "BookMark");
  EXPECT_EQ(c.Find("BOOKMARK"), &c.entries()[0]);
  EXPECT_EQ(c.Find("Bookmarks"), nullptr);
  // Past a few keys the collection is searched through its index: a key that arrived before
  // still matches in any case.
  for (int i = 0; i < 40; ++i) c.Add("Key" + std::to_string(i), "v");
  c.Add("BOOKMARK", "7");
  ASSERT_EQ(c.entries().size(), 41u);
  EXPECT_EQ(c.Get("bookMARK"), "5, 6, 7");
  EXPECT_EQ(c.Find("KEY39"), &c.entries()[40]);
  // Absent keys are mostly told by their length alone; lengths 64 apart share that test.
  RequestCollection lengths;
  lengths.Add("k", "short");
  lengths.Add(std::string(64, 'x') + "k", "long");
  EXPECT_EQ(lengths.Get(std::string(64, 'X') + "K"), "long");
  EXPECT_EQ(lengths.Get("K"), "short");
  EXPECT_EQ(lengths.Find("j"), nullptr);
  EXPECT_EQ(lengths.Find("kk"), nullptr);
}

TEST(RequestCollectionTest, NonAsciiBytesMustMatchExactly) {
  RequestCollection c;
  c.Add("\xC3\xA9t\xC3\xA9", "summer");
  EXPECT_EQ(c.Get("\xC3\xA9T\xC3\xA9"), "summer");
  EXPECT_EQ(c.Get("\xC3\x89T\xC3\x89"), "");
}

TEST(RequestCollectionTest, GetJoinsSeveralValuesAndIsEmptyWhenAbsent) {
  RequestCollection c;
  c.Add("k", "a");
  c.Add("k", "");
  c.Add("k", "c");
  EXPECT_EQ(c.Get("k"), "a, , c");
  EXPECT_EQ(c.Get("missing"), "");
}

TEST(RequestCollectionTest, StaysConsistentWhenCopiedAndGrown) {
  RequestCollection c;
  for (int i = 0; i < 1000; ++i) c.Add("key" + std::to_string(i % 100), std::to_string(i));
  RequestCollection copy = c;
  copy.Add("KEY5", "extra");
  ASSERT_EQ(copy.entries().size(), 100u);
  EXPECT_EQ(copy.Find("key5")->values.size(), 11u);
  EXPECT_EQ(c.Find("key5")->values.size(), 10u);
  EXPECT_EQ(copy.Find("Key99")->values.back(), "999");
}

}  // namespace
}  // namespace kelvo
