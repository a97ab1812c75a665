#include "kelvo/regexp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "kelvo/error.h"

namespace kelvo {
namespace {

struct Flags {
  bool ignore_case = false;
  bool global = false;
  bool multiline = false;
};

std::string Replace(std::string_view pattern, std::string_view text, std::string_view replacement,
                    Flags flags = {}) {
  RegExp re;
  re.set_ignore_case(flags.ignore_case);
  re.set_global(flags.global);
  re.set_multiline(flags.multiline);
  re.set_pattern(pattern);
  return re.Replace(text, replacement);
}

bool Matches(std::string_view pattern, std::string_view text, Flags flags = {}) {
  RegExp re;
  re.set_ignore_case(flags.ignore_case);
  re.set_multiline(flags.multiline);
  re.set_pattern(pattern);
  return re.Test(text);
}

// The failure of compiling `pattern`: its number and description.
Error CompileError(std::string_view pattern) {
  try {
    CompiledRegExp::Compile(pattern, {});
  } catch (const Error& e) {
    return e;
  }
  return Error(0, "compiled");
}

TEST(RegExpReplaceTest, ReplacementTokens) {
  EXPECT_EQ(Replace("(\\$(\\d))", "$1,$2", "$$1-$1$2", {.global = true}), "$1-$11,$1-$22");
  EXPECT_EQ(Replace("b", "abc", "[$&]"), "a[b]c");
  EXPECT_EQ(Replace("b", "abc", "[$`]"), "a[a]c");
  EXPECT_EQ(Replace("b", "abc", "[$']"), "a[c]c");
  EXPECT_EQ(Replace("b", "abc", "$$"), "a$c");
  // Two digits only when that group exists.
  EXPECT_EQ(Replace("(a)(b)", "ab", "$11"), "a1");
  EXPECT_EQ(Replace("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "abcdefghijk", "$11$10"), "kj");
  EXPECT_EQ(Replace("(a)", "a", "$01"), "a");
  // Missing groups, $0 and a lone $ stay literal.
  EXPECT_EQ(Replace("(a)(b)", "ab", "$3"), "$3");
  EXPECT_EQ(Replace("(a)", "a", "$0"), "$0");
  EXPECT_EQ(Replace("a", "a", "$"), "$");
  EXPECT_EQ(Replace("a", "a", "$x$"), "$x$");
  EXPECT_EQ(Replace("a", "a", "$1"), "$1");
  // A group that took no part gives "".
  EXPECT_EQ(Replace("(x)?b", "b", "[$1]"), "[]");
  EXPECT_EQ(Replace("(\\d+)", "a1b22", "[$1]", {.global = true}), "a[1]b[22]");
  EXPECT_EQ(Replace("(\\d+)", "a1b22", "[$1]"), "a[1]b22");
  EXPECT_EQ(Replace("^(\\d{3})(\\d+)$", "5551234", "$1-$2"), "555-1234");
}

TEST(RegExpReplaceTest, EmptyMatchesStepOneCharacter) {
  EXPECT_EQ(Replace("", "xxx", "y"), "yxxx");
  EXPECT_EQ(Replace("", "xxx", "y", {.global = true}), "yxyxyxy");
  EXPECT_EQ(Replace("a*", "baaa", "x", {.global = true}), "xbxx");
  EXPECT_EQ(Replace("x*", "", "y", {.global = true}), "y");
  // One step is one character, not one byte.
  EXPECT_EQ(Replace("", "äö", "|", {.global = true}), "|ä|ö|");
  EXPECT_EQ(Replace("\\b", "ab cd", "|", {.global = true}), "|ab| |cd|");
}

TEST(RegExpTest, ExecuteReportsUtf16PositionsAndSubmatches) {
  const auto re = CompiledRegExp::Compile("(\\w)(x)?", {});
  const std::vector<RegExpMatch> matches = re->Execute("é😀ab", true);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0], (RegExpMatch{"a", 3, 1, {"a", std::nullopt}}));
  EXPECT_EQ(matches[1], (RegExpMatch{"b", 4, 1, {"b", std::nullopt}}));
  EXPECT_EQ(re->Execute("ax", false), (std::vector<RegExpMatch>{{"ax", 0, 2, {"a", "x"}}}));
  EXPECT_EQ(CompiledRegExp::Compile("", {})->Execute("test", true).size(), 5u);
  EXPECT_TRUE(re->Execute("!!", true).empty());
}

TEST(RegExpTest, MultiLineAndAnchors) {
  EXPECT_FALSE(Matches("^b", "a\nb"));
  EXPECT_TRUE(Matches("^b", "a\nb", {.multiline = true}));
  EXPECT_TRUE(Matches("^b", "a\rb", {.multiline = true}));
  EXPECT_TRUE(Matches("a$", "a\r\nb", {.multiline = true}));
  // Between "\r" and "\n" is a line start too.
  EXPECT_EQ(Replace("^", "a\r\nb", "|", {.global = true, .multiline = true}), "|a\r|\n|b");
  // $ does not match before a final "\n" unless MultiLine.
  EXPECT_FALSE(Matches("a$", "a\n"));
  EXPECT_TRUE(Matches("a$", "a\n", {.multiline = true}));
  EXPECT_EQ(Replace("$", "ab", "!", {.global = true}), "ab!");
  EXPECT_EQ(Replace("^\\w", "ab\ncd", "X", {.global = true, .multiline = true}), "Xb\nXd");
  // "." stops at "\n" only.
  EXPECT_TRUE(Matches("a.b", "a\rb"));
  EXPECT_FALSE(Matches("a.b", "a\nb"));
}

TEST(RegExpTest, IgnoreCase) {
  EXPECT_FALSE(Matches("abc", "xABCx"));
  EXPECT_TRUE(Matches("abc", "xABCx", {.ignore_case = true}));
  EXPECT_TRUE(Matches("[a-c]+$", "CAB", {.ignore_case = true}));
  EXPECT_TRUE(Matches("é", "É", {.ignore_case = true}));
  EXPECT_TRUE(Matches("(a)\\1", "aA", {.ignore_case = true}));
  EXPECT_EQ(Replace("straße", "STRASSE Straße", "x", {.ignore_case = true, .global = true}),
            "STRASSE x");
}

TEST(RegExpTest, GrammarOfTheRuntime) {
  // Escapes: \v is the vertical tab, \u and \x code points, octal, control letters.
  EXPECT_TRUE(Matches("^\\v$", "\v"));
  EXPECT_FALSE(Matches("^\\v$", "\n"));
  EXPECT_TRUE(Matches("^\\u00e9\\x41$", "éA"));
  EXPECT_TRUE(Matches("^\\ud83d\\ude00$", "😀"));
  EXPECT_TRUE(Matches("^\\101\\0$", std::string("A\0", 2)));
  EXPECT_TRUE(Matches("^\\cJ$", "\n"));
  EXPECT_TRUE(Matches("^\\xZ$", "xZ"));
  EXPECT_TRUE(Matches("^[\\b]$", "\b"));
  // Back-references, and octal where the group does not exist.
  EXPECT_TRUE(Matches("^(a)\\1$", "aa"));
  EXPECT_TRUE(Matches("^(a)\\12$", "a\n"));
  EXPECT_TRUE(Matches("^\\8$", "8"));
  // A reference to a group that took no part matches "".
  EXPECT_TRUE(Matches("^(?:(a)|b)\\1$", "b"));
  EXPECT_TRUE(Matches("^\\1(a)$", "a"));
  // [] matches nothing, [^] anything; "]" right after "[" closes it.
  EXPECT_FALSE(Matches("a[]", "a]"));
  EXPECT_TRUE(Matches("^a[^]b$", "a\nb"));
  EXPECT_EQ(Replace("[^]*", "x\ny", "-"), "-");
  // Literal braces where no quantifier is, and ASCII-only classes.
  EXPECT_TRUE(Matches("^a{$", "a{"));
  EXPECT_TRUE(Matches("^a{,2}$", "a{,2}"));
  EXPECT_TRUE(Matches("^a{2,3}$", "aaa"));
  EXPECT_FALSE(Matches("\\w", "é"));
  EXPECT_FALSE(Matches("\\d", "٣"));
  EXPECT_TRUE(Matches("^[\\d-z]+$", "1-z"));
  // No POSIX classes: "[[:alpha:]" is a class of six characters, then "]+".
  EXPECT_TRUE(Matches("^[[:alpha:]]+$", "p]]"));
  EXPECT_FALSE(Matches("^[[:alpha:]]+$", "b"));
  EXPECT_TRUE(Matches("^(?=a)a(?!b)", "ac"));
  EXPECT_TRUE(Matches("a+?b*?c??d{1,2}?", "aad"));
  EXPECT_TRUE(Matches("\\$\\.\\*\\/", "$.*/"));
}

TEST(RegExpTest, InvalidUtf8TextIsKept) {
  const std::string text =
      "a\xFF"
      "b";
  EXPECT_EQ(Replace("b", text, "c", {.global = true}),
            "a\xFF"
            "c");
  EXPECT_EQ(Replace("", text, "|", {.global = true}), "|a|\xFF|b|");
  EXPECT_EQ(CompiledRegExp::Compile("b", {})->Execute(text, false)[0].first_index, 2u);
}

TEST(RegExpTest, InvalidPatternsFailWithTheRuntimesNumbers) {
  struct Case {
    const char* pattern;
    long number;
    const char* says;
  };
  const Case cases[] = {
      {"(?<=a)b", errc::kRegExpSyntax, "lookbehind"},
      {"(?<!a)b", errc::kRegExpSyntax, "lookbehind"},
      {"(?<name>a)", errc::kRegExpSyntax, "named groups"},
      {"(?P<name>a)", errc::kRegExpSyntax, "named groups"},
      {"(?i)a", errc::kRegExpSyntax, "inline modifiers"},
      {"(?>a)", errc::kRegExpSyntax, "atomic"},
      {"(?#x)", errc::kRegExpSyntax, "comments"},
      {"(?(1)a)", errc::kRegExpSyntax, "conditional"},
      {"(?R)", errc::kRegExpSyntax, "recursion"},
      {"\\Aa", errc::kRegExpSyntax, "unknown escape \\A"},
      {"\\p{L}", errc::kRegExpSyntax, "unknown escape \\p"},
      {"a\\", errc::kRegExpSyntax, "backslash"},
      {"a)", errc::kRegExpSyntax, "')'"},
      {"a{3,2}", errc::kRegExpSyntax, "out of order"},
      {"a{70000}", errc::kRegExpSyntax, "repeat count"},
      {"\\ud800", errc::kRegExpSyntax, "surrogate"},
      {"a\xFF", errc::kRegExpSyntax, "UTF-8"},
      {"*a", errc::kRegExpUnexpectedQuantifier, "nothing to repeat"},
      {"a**", errc::kRegExpUnexpectedQuantifier, "nothing to repeat"},
      {"a++", errc::kRegExpUnexpectedQuantifier, "nothing to repeat"},
      {"a|?", errc::kRegExpUnexpectedQuantifier, "nothing to repeat"},
      {"^*", errc::kRegExpUnexpectedQuantifier, "nothing to repeat"},
      {"(*)", errc::kRegExpUnexpectedQuantifier, "nothing to repeat"},
      {"[abc", errc::kRegExpExpectedBracket, "Expected ']'"},
      {"[a\\]", errc::kRegExpExpectedBracket, "Expected ']'"},
      {"(a", errc::kRegExpExpectedParen, "Expected ')'"},
      {"((a)", errc::kRegExpExpectedParen, "Expected ')'"},
      {"[z-a]", errc::kRegExpInvalidRange, "Invalid range"},
  };
  for (const Case& c : cases) {
    const Error e = CompileError(c.pattern);
    EXPECT_EQ(e.number(), c.number) << c.pattern << ": " << e.what();
    EXPECT_NE(e.description().find(c.says), std::string::npos) << c.pattern << ": " << e.what();
  }
  EXPECT_EQ(CompileError("(?<=a)b").description(),
            "Syntax error in regular expression: lookbehind (?<= ) and (?<! ) is not supported "
            "at position 1 of the pattern");
}

TEST(RegExpTest, InvalidPatternFailsTheMethodThatUsesIt) {
  RegExp re;
  re.set_pattern("(a");  // setting the pattern does not fail
  try {
    re.Replace("a", "b");
    ADD_FAILURE() << "replaced with an invalid pattern";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kRegExpExpectedParen);
  }
  re.set_pattern("(a)");
  EXPECT_EQ(re.Replace("a", "[$1]"), "[a]");
}

TEST(RegExpTest, ChangingAFlagOrThePatternTakesEffectOnTheNextCall) {
  RegExpCache cache;
  RegExp re(cache);
  re.set_pattern("^b");
  EXPECT_FALSE(re.Test("a\nB"));
  re.set_multiline(true);
  EXPECT_FALSE(re.Test("a\nB"));
  re.set_ignore_case(true);
  EXPECT_TRUE(re.Test("a\nB"));
  EXPECT_EQ(re.Replace("b b", "x"), "x b");
  re.set_global(true);
  EXPECT_EQ(re.Replace("b\nb", "x"), "x\nx");
  re.set_pattern("a");
  EXPECT_EQ(re.Replace("bAb", "x"), "bxb");
  EXPECT_EQ(re.pattern(), "a");
  EXPECT_TRUE(re.ignore_case() && re.global() && re.multiline());
  // The defaults of a new object.
  const RegExp fresh;
  EXPECT_EQ(fresh.pattern(), "");
  EXPECT_FALSE(fresh.ignore_case() || fresh.global() || fresh.multiline());
}

TEST(RegExpTest, CatastrophicBacktrackingStopsQuickly) {
  const auto re = CompiledRegExp::Compile("(a+)+$", {});
  const std::string text = std::string(40, 'a') + "b";
  const auto start = std::chrono::steady_clock::now();
  try {
    re->Test(text);
    ADD_FAILURE() << "the search ended without hitting the limit";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kOutOfStackSpace);
    EXPECT_NE(e.description().find("backtracking"), std::string::npos) << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  // The same pattern on a text it matches, and a long but easy text, stay fine.
  EXPECT_TRUE(re->Test(std::string(40, 'a')));
  const std::string long_text(200000, 'x');
  EXPECT_EQ(CompiledRegExp::Compile("(x)+$", {})->Replace(long_text, "$1", false), "x");
}

TEST(RegExpCacheTest, CompilesEachPatternAndOptionsOnce) {
  RegExpCache cache(2);
  const auto first = cache.Get("a+", {});
  EXPECT_EQ(cache.Get("a+", {}), first);
  EXPECT_NE(cache.Get("a+", {.ignore_case = true}), first);
  EXPECT_EQ(cache.size(), 2u);
  // A third pattern drops the least recently used, "a+" without options.
  cache.Get("a+", {.ignore_case = true});
  cache.Get("b", {});
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_NE(cache.Get("a+", {}), first);
  // Failures are not kept.
  EXPECT_THROW(cache.Get("(", {}), Error);
  EXPECT_EQ(cache.size(), 2u);
}

TEST(RegExpCacheTest, ObjectsShareOneCompiledPattern) {
  RegExpCache cache;
  std::string out;
  for (int row = 0; row < 100; ++row) {
    RegExp re(cache);
    re.set_global(true);
    re.set_pattern("\\d");
    out += re.Replace(std::to_string(row), "#");
  }
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(out, std::string(10 + 90 * 2, '#'));
}

TEST(RegExpCacheTest, UsableFromManyThreads) {
  RegExpCache cache;
  std::vector<std::thread> threads;
  std::vector<std::string> results(8);
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&cache, &results, t] {
      for (int i = 0; i < 200; ++i) {
        const auto re = cache.Get("(\\w+)@(\\w+)", {});
        results[t] = re->Replace("me@host you@there", "$2:$1", true);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& result : results) EXPECT_EQ(result, "host:me there:you");
  EXPECT_EQ(cache.size(), 1u);
}

}  // namespace
}  // namespace kelvo
