#include "component/web_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo::detail {
namespace {

// Values are scanned eight bytes at a time: each character to encode is found wherever it falls
// in a word, and its neighbours in the byte table (%, ', (, ;, =, ?) and bytes of UTF-8 text
// beside it are kept.
TEST(HtmlAttributeEncode, EncodesEachSpecialCharacterAtEveryPlace) {
  const std::string entities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&#39;"};
  const std::string specials = "&<>\"'";
  for (std::size_t which = 0; which < specials.size(); ++which) {
    for (std::size_t at = 0; at < 19; ++at) {
      std::string text = "%(;=?\xC3\xA9%(;=?\xC3\xA9%(;=?";
      text[at] = specials[which];
      std::string expected = text;
      expected.replace(at, 1, entities[which]);
      ASSERT_EQ(HtmlAttributeEncode(text), expected) << "at " << at;
    }
  }
  EXPECT_EQ(HtmlAttributeEncode("a&&b<'>\"\"c"), "a&amp;&amp;b&lt;&#39;&gt;&quot;&quot;c");
  EXPECT_EQ(HtmlAttributeEncode(""), "");
}

}  // namespace
}  // namespace kelvo::detail
