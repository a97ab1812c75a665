#include "runtime/regexp_translate.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "kelvo/error.h"
#include "kelvo/regexp.h"
#include "runtime/text.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

// The engine's largest repeat count.
constexpr std::uint32_t kMaxRepeat = 65535;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// Capturing groups: "(" not followed by "?", outside classes and escapes. A "]" right after "["
// or "[^" closes the class, as it does in the runtime's grammar.
std::size_t CountGroups(std::string_view pattern) {
  std::size_t groups = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\') {
      ++i;
    } else if (c == '[') {
      ++i;
      if (i < pattern.size() && pattern[i] == '^') ++i;
      for (; i < pattern.size() && pattern[i] != ']'; ++i) {
        if (pattern[i] == '\\') ++i;
      }
    } else if (c == '(' && (i + 1 >= pattern.size() || pattern[i + 1] != '?')) {
      ++groups;
    }
  }
  return groups;
}

// One character of a class, or a class escape such as \d.
struct ClassAtom {
  std::optional<char32_t> code;  // nothing for a class escape
  std::string text;              // what the engine reads
};

class Translator {
 public:
  Translator(std::string_view pattern, bool multiline)
      : pattern_(pattern), multiline_(multiline), groups_(CountGroups(pattern)) {}

  TranslatedPattern Run() {
    out_.reserve(pattern_.size() * 2);
    while (pos_ < pattern_.size()) Step();
    if (depth_ > 0) {
      Fail(errc::kRegExpExpectedParen, "Expected ')' in regular expression", "unclosed group");
    }
    return {std::move(out_), groups_};
  }

 private:
  [[noreturn]] void Fail(long number, std::string_view message, std::string_view detail) const {
    const std::size_t position = Utf16Length(pattern_.substr(0, pos_)) + 1;
    throw Error(number, std::string(message) + ": " + std::string(detail) + " at position " +
                            std::to_string(position) + " of the pattern");
  }
  [[noreturn]] void SyntaxError(std::string_view detail) const {
    Fail(errc::kRegExpSyntax, "Syntax error in regular expression", detail);
  }

  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < pattern_.size() ? pattern_[pos_ + ahead] : '\0';
  }

  void Step() {
    const char c = Peek();
    switch (c) {
      case '\\':
        Escape();
        return;
      case '(':
        OpenGroup();
        return;
      case ')':
        if (depth_ == 0) SyntaxError("')' without a matching '('");
        --depth_;
        out_ += ')';
        ++pos_;
        quantifiable_ = true;
        return;
      case '|':
        out_ += '|';
        ++pos_;
        quantifiable_ = false;
        return;
      case '^':
        out_ += multiline_ ? "(?<![^\\n\\r])" : "^";
        ++pos_;
        quantifiable_ = false;
        return;
      case '$':
        out_ += multiline_ ? "(?![^\\n\\r])" : "\\z";
        ++pos_;
        quantifiable_ = false;
        return;
      case '.':
        out_ += '.';
        ++pos_;
        quantifiable_ = true;
        return;
      case '[':
        CharacterClass();
        return;
      case '*':
      case '+':
      case '?':
        Quantifier(1);
        return;
      case '{':
        if (const std::size_t length = BraceQuantifierLength()) {
          Quantifier(length);
          return;
        }
        break;
      default:
        break;
    }
    // Anything else, "{" that starts no quantifier and a lone "]" or "}" included, is literal.
    const Utf8Char ch = Utf8CharAt(pattern_, pos_);
    if (!ch.valid) SyntaxError("the pattern is not valid UTF-8");
    pos_ += ch.bytes;
    Literal(ch.code);
    quantifiable_ = true;
  }

  // The length of "{n}", "{n,}" or "{n,m}" at pos_, or 0.
  std::size_t BraceQuantifierLength() const {
    std::size_t i = pos_ + 1;
    const std::size_t digits = i;
    while (i < pattern_.size() && IsAsciiDigit(pattern_[i])) ++i;
    if (i == digits) return 0;
    if (i < pattern_.size() && pattern_[i] == ',') {
      ++i;
      while (i < pattern_.size() && IsAsciiDigit(pattern_[i])) ++i;
    }
    if (i >= pattern_.size() || pattern_[i] != '}') return 0;
    return i + 1 - pos_;
  }

  void Quantifier(std::size_t length) {
    if (!quantifiable_) {
      Fail(errc::kRegExpUnexpectedQuantifier, "Unexpected quantifier", "nothing to repeat");
    }
    const std::string_view text = pattern_.substr(pos_, length);
    if (text[0] == '{') CheckBounds(text);
    out_ += text;
    pos_ += length;
    if (Peek() == '?') {
      out_ += '?';
      ++pos_;
    }
    quantifiable_ = false;
  }

  void CheckBounds(std::string_view text) const {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool comma = false;
    bool high_given = false;
    for (char c : text.substr(1, text.size() - 2)) {
      if (c == ',') {
        comma = true;
        continue;
      }
      std::uint64_t& bound = comma ? high : low;
      if (comma) high_given = true;
      bound =
          std::min<std::uint64_t>(bound * 10 + static_cast<std::uint64_t>(c - '0'), kMaxRepeat + 1);
    }
    if (low > kMaxRepeat || high > kMaxRepeat) {
      SyntaxError("a repeat count above " + std::to_string(kMaxRepeat));
    }
    if (high_given && high < low) SyntaxError("the numbers of a {n,m} quantifier are out of order");
  }

  void OpenGroup() {
    quantifiable_ = false;
    ++depth_;
    if (Peek(1) != '?') {
      out_ += '(';
      ++pos_;
      return;
    }
    const char kind = Peek(2);
    if (kind == ':' || kind == '=' || kind == '!') {
      out_ += pattern_.substr(pos_, 3);
      pos_ += 3;
      return;
    }
    SyntaxError(UnsupportedGroup(kind));
  }

  std::string_view UnsupportedGroup(char kind) const {
    switch (kind) {
      case '<':
        if (Peek(3) == '=' || Peek(3) == '!')
          return "lookbehind (?<= ) and (?<! ) is not supported";
        return "named groups are not supported";
      case 'P':
      case '\'':
        return Peek(3) == '>' ? "recursion is not supported" : "named groups are not supported";
      case '>':
        return "atomic groups (?> ) are not supported";
      case '#':
        return "comments (?# ) are not supported";
      case '(':
        return "conditional groups are not supported";
      case '|':
        return "branch reset groups (?| ) are not supported";
      case 'R':
      case '&':
      case '+':
        return "recursion is not supported";
      default:
        if (IsAsciiDigit(kind)) return "recursion is not supported";
        if (IsAsciiLetter(kind) || kind == '-' || kind == '^') {
          return "inline modifiers such as (?i) are not supported; use the object's flags";
        }
        return "'(?' starts no group of the grammar";
    }
  }

  void Escape() {
    const char c = Peek(1);
    if (pos_ + 1 >= pattern_.size()) SyntaxError("the pattern ends with a backslash");
    switch (c) {
      case 'b':
      case 'B':
        out_ += pattern_.substr(pos_, 2);
        pos_ += 2;
        quantifiable_ = false;
        return;
      case 'd':
      case 'D':
      case 'w':
      case 'W':
      case 's':
      case 'S':
        out_ += pattern_.substr(pos_, 2);
        pos_ += 2;
        quantifiable_ = true;
        return;
      default:
        break;
    }
    quantifiable_ = true;
    if (c >= '1' && c <= '9') {
      std::size_t i = pos_ + 1;
      std::uint64_t number = 0;
      while (i < pattern_.size() && IsAsciiDigit(pattern_[i]) && number <= groups_) {
        number = number * 10 + static_cast<std::uint64_t>(pattern_[i] - '0');
        ++i;
      }
      if (number <= groups_) {
        out_ += "\\g{" + std::to_string(number) + "}";
        pos_ = i;
        return;
      }
    }
    Literal(CharacterEscape());
  }

  // The character of the escape at pos_ (outside a class or in one), moving past it.
  char32_t CharacterEscape() {
    const char c = Peek(1);
    pos_ += 2;
    switch (c) {
      case 'f':
        return 0x0C;
      case 'n':
        return 0x0A;
      case 'r':
        return 0x0D;
      case 't':
        return 0x09;
      case 'v':
        return 0x0B;
      case 'c':
        if (IsAsciiLetter(Peek())) return static_cast<char32_t>(pattern_[pos_++] % 32);
        // "\c" without a letter is a backslash; the "c" is read again on its own.
        --pos_;
        return '\\';
      case 'x':
        return HexEscape(2, 'x');
      case 'u':
        return UnicodeEscape();
      default:
        break;
    }
    if (IsOctal(c)) return OctalEscape(c);
    if (c == '8' || c == '9') return static_cast<char32_t>(c);
    if (IsAsciiLetter(c)) {
      pos_ -= 2;
      SyntaxError(std::string("unknown escape \\") + c);
    }
    pos_ -= 1;
    const Utf8Char ch = Utf8CharAt(pattern_, pos_);
    if (!ch.valid) SyntaxError("the pattern is not valid UTF-8");
    pos_ += ch.bytes;
    return ch.code;
  }

  // `digits` hex digits after \x or \u; without them the letter stands for itself.
  char32_t HexEscape(std::size_t digits, char letter) {
    char32_t value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
      const int digit = HexValue(Peek(k));
      if (digit < 0) return static_cast<char32_t>(letter);
      value = value * 16 + static_cast<char32_t>(digit);
    }
    pos_ += digits;
    return value;
  }

  // \uhhhh, joining a surrogate pair written as two escapes into one character.
  char32_t UnicodeEscape() {
    const std::size_t start = pos_ - 2;
    const char32_t high = HexEscape(4, 'u');
    if (high < 0xD800 || high > 0xDFFF) return high;
    if (high <= 0xDBFF && Peek() == '\\' && Peek(1) == 'u') {
      const std::size_t before = pos_;
      pos_ += 2;
      const char32_t low = HexEscape(4, 'u');
      if (low >= 0xDC00 && low <= 0xDFFF) return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
      pos_ = before;
    }
    pos_ = start;
    SyntaxError("a lone surrogate \\u escape can match no UTF-8 text");
  }

  // Up to three octal digits (the first already read), at most \377.
  char32_t OctalEscape(char first) {
    char32_t value = static_cast<char32_t>(first - '0');
    const std::size_t most = first <= '3' ? 2 : 1;
    for (std::size_t k = 0; k < most && IsOctal(Peek()); ++k) {
      value = value * 8 + static_cast<char32_t>(pattern_[pos_++] - '0');
    }
    return value;
  }

  void Literal(char32_t code) { AppendCode(out_, code); }

  static void AppendCode(std::string& out, char32_t code) {
    const bool alnum = (code >= '0' && code <= '9') || (code >= 'a' && code <= 'z') ||
                       (code >= 'A' && code <= 'Z');
    if (alnum) {
      out += static_cast<char>(code);
    } else if (code > 0x20 && code < 0x7F) {
      out += '\\';
      out += static_cast<char>(code);
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\x{%X}", static_cast<unsigned>(code));
      out += buffer;
    }
  }

  void CharacterClass() {
    quantifiable_ = true;
    ++pos_;
    const bool negated = Peek() == '^';
    if (negated) ++pos_;
    if (Peek() == ']') {
      // [] matches nothing and [^] any character.
      out_ += negated ? "[\\s\\S]" : "(?:(?!))";
      ++pos_;
      return;
    }
    std::string items;
    while (true) {
      if (pos_ >= pattern_.size()) {
        Fail(errc::kRegExpExpectedBracket, "Expected ']' in regular expression",
             "unclosed character class");
      }
      if (Peek() == ']') break;
      const std::size_t atom_start = pos_;
      ClassAtom low = ReadClassAtom();
      if (Peek() == '-' && Peek(1) != ']' && pos_ + 1 < pattern_.size()) {
        ++pos_;
        ClassAtom high = ReadClassAtom();
        if (low.code && high.code) {
          if (*low.code > *high.code) {
            pos_ = atom_start;
            Fail(errc::kRegExpInvalidRange, "Invalid range in character set",
                 "the range's first character comes after its last");
          }
          items += low.text + "-" + high.text;
        } else {
          // A class escape cannot end a range; the "-" is then a character of its own.
          items += low.text + "\\-" + high.text;
        }
        continue;
      }
      items += low.text;
    }
    ++pos_;
    out_ += negated ? "[^" : "[";
    out_ += items;
    out_ += ']';
  }

  ClassAtom ReadClassAtom() {
    ClassAtom atom;
    if (Peek() == '\\') {
      if (pos_ + 1 >= pattern_.size()) SyntaxError("the pattern ends with a backslash");
      const char c = Peek(1);
      if (c == 'd' || c == 'D' || c == 'w' || c == 'W' || c == 's' || c == 'S') {
        atom.text = pattern_.substr(pos_, 2);
        pos_ += 2;
        return atom;
      }
      if (c == 'b') {
        // In a class \b is the backspace character.
        pos_ += 2;
        atom.code = 0x08;
      } else if (IsAsciiDigit(c) && c != '8' && c != '9') {
        pos_ += 2;
        atom.code = OctalEscape(c);
      } else {
        atom.code = CharacterEscape();
      }
    } else {
      const Utf8Char ch = Utf8CharAt(pattern_, pos_);
      if (!ch.valid) SyntaxError("the pattern is not valid UTF-8");
      pos_ += ch.bytes;
      atom.code = ch.code;
    }
    AppendCode(atom.text, *atom.code);
    return atom;
  }

  std::string_view pattern_;
  bool multiline_;
  std::size_t groups_;
  std::size_t pos_ = 0;
  std::size_t depth_ = 0;
  bool quantifiable_ = false;  // whether a quantifier may follow what was read last
  std::string out_;
};

}  // namespace

TranslatedPattern TranslatePattern(std::string_view pattern, bool multiline) {
  return Translator(pattern, multiline).Run();
}

}  // namespace kelvo
