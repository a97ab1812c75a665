// The scripting runtime's regular expressions: the RegExp object, its compiled patterns and a
// cache that compiles each pattern once.
//
// Patterns follow the runtime's (ECMAScript 3) syntax: literals and escapes (\f \n \r \t \v \xhh
// \uhhhh, octal, \cX), . ^ $, the quantifiers * + ? {n} {n,} {n,m} and their lazy forms, groups
// ( ) and (?: ), lookahead (?= ) (?! ), |, classes [...] [^...] with ranges, \d \D \w \W \s \S
// (ASCII), \b \B and back-references \1 .. \99. "." matches anything but "\n". With MultiLine, ^
// and $ also match after and before "\n" and "\r". Constructs of other dialects (lookbehind,
// named groups, inline modifiers, atomic groups, possessive quantifiers, \A \z \p{...} and the
// like) are refused, not read differently.
//
// Texts are UTF-8. Match positions and lengths count UTF-16 code units, as the runtime's strings
// do; a byte that is not valid UTF-8 matches nothing but is kept in the text.
#ifndef KELVO_REGEXP_H_
#define KELVO_REGEXP_H_

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kelvo/export.h"

namespace kelvo {

namespace errc {
// The runtime's regular-expression failures, beside kRegExpSyntax (5017).
inline constexpr long kRegExpUnexpectedQuantifier = 5018;  // "Unexpected quantifier"
inline constexpr long kRegExpExpectedBracket = 5019;       // "Expected ']' in regular expression"
inline constexpr long kRegExpExpectedParen = 5020;         // "Expected ')' in regular expression"
inline constexpr long kRegExpInvalidRange = 5021;          // "Invalid range in character set"
// A match that needs more backtracking than the engine allows: "Out of stack space".
inline constexpr long kOutOfStackSpace = 28;
}  // namespace errc

// What changes how a pattern compiles.
struct RegExpOptions {
  bool ignore_case = false;
  bool multiline = false;
  friend bool operator==(const RegExpOptions&, const RegExpOptions&) = default;
};

// One match, as the runtime's Match object describes it.
struct RegExpMatch {
  std::string value;
  std::size_t first_index = 0;  // UTF-16 units before the match
  std::size_t length = 0;       // UTF-16 units of the match
  // One entry per capturing group; nothing for a group that took no part in the match.
  std::vector<std::optional<std::string>> submatches;
  friend bool operator==(const RegExpMatch&, const RegExpMatch&) = default;
};

// A compiled pattern. Immutable: one instance may be used from many threads at once.
//
// Matching stops with Error(errc::kOutOfStackSpace) when a text needs more backtracking than
// the engine's limits allow (a pattern such as (a+)+$ on a long run of "a" followed by "b"),
// instead of running for minutes.
class KELVO_EXPORT CompiledRegExp final {
 public:
  // Throws Error 5017 (or 5018..5021 for the mistakes those numbers name) whose description
  // starts with the runtime's message and says what is wrong and where.
  static std::shared_ptr<const CompiledRegExp> Compile(std::string_view pattern,
                                                       RegExpOptions options);

  CompiledRegExp(const CompiledRegExp&) = delete;
  CompiledRegExp& operator=(const CompiledRegExp&) = delete;
  ~CompiledRegExp();

  const std::string& pattern() const;
  RegExpOptions options() const;
  std::size_t group_count() const;

  // Whether the pattern matches anywhere in the text.
  bool Test(std::string_view text) const;

  // The matches, left to right: the first only, or with `global` every one. After an empty
  // match the search goes on one character further.
  std::vector<RegExpMatch> Execute(std::string_view text, bool global) const;

  // The text with the first match (with `global`, every match) replaced by `replacement`, in
  // which $1..$99 stand for a group (two digits only when that group exists: with two groups
  // "$11" is group 1 and "1"), $& for the match, $` and $' for the text before and after it and
  // $$ for "$". A group that took no part gives ""; a reference to a group the pattern does not
  // have, and any other "$", stays as written.
  std::string Replace(std::string_view text, std::string_view replacement, bool global) const;

 private:
  struct Impl;
  explicit CompiledRegExp(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Compiled patterns by pattern text and options, so that a caller applying one pattern to many
// texts compiles it once. Keeps at most `capacity` patterns, dropping the least recently used.
// Safe to use from many threads at once.
class KELVO_EXPORT RegExpCache final {
 public:
  explicit RegExpCache(std::size_t capacity = 64);
  RegExpCache(const RegExpCache&) = delete;
  RegExpCache& operator=(const RegExpCache&) = delete;
  ~RegExpCache();

  // The compiled pattern, compiling it on first use. Failures as CompiledRegExp::Compile; a
  // pattern that fails to compile is not kept.
  std::shared_ptr<const CompiledRegExp> Get(std::string_view pattern, RegExpOptions options);

  std::size_t size() const;

 private:
  struct Key {
    std::string pattern;
    RegExpOptions options;
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const noexcept;
  };
  using Entry = std::pair<Key, std::shared_ptr<const CompiledRegExp>>;

  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
};

// The runtime's RegExp object: Pattern (default ""), IgnoreCase, Global and MultiLine (default
// false), and Test, Execute and Replace. The pattern compiles when a method first needs it, so
// an invalid pattern makes that method fail (see CompiledRegExp::Compile). Not safe to use from
// several threads at once; copies are independent.
class KELVO_EXPORT RegExp final {
 public:
  RegExp() = default;
  // Compiles through `cache`, which is borrowed and must outlive this object.
  explicit RegExp(RegExpCache& cache) : cache_(&cache) {}

  const std::string& pattern() const { return pattern_; }
  bool ignore_case() const { return options_.ignore_case; }
  bool global() const { return global_; }
  bool multiline() const { return options_.multiline; }
  void set_pattern(std::string_view pattern);
  void set_ignore_case(bool value);
  void set_global(bool value) { global_ = value; }
  void set_multiline(bool value);

  bool Test(std::string_view text);
  std::vector<RegExpMatch> Execute(std::string_view text);
  std::string Replace(std::string_view text, std::string_view replacement);

 private:
  const CompiledRegExp& Compiled();

  RegExpCache* cache_ = nullptr;  // borrowed; null compiles without a cache
  std::string pattern_;
  RegExpOptions options_;
  bool global_ = false;
  std::shared_ptr<const CompiledRegExp> compiled_;  // null until needed or after a change
};

}  // namespace kelvo

#endif  // KELVO_REGEXP_H_
