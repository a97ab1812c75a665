#include "runtime/date_tokens.h"

#include <cstddef>
#include <string>

#include "runtime/text.h"

namespace kelvo {
namespace {

constexpr std::int64_t kValueLimit = 1'000'000'000;

bool IsLetter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;
}

class DateTokenizer {
 public:
  DateTokenizer(std::string_view text, const Locale& locale) : text_(text), locale_(locale) {}

  std::optional<std::vector<DateToken>> Run() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      bool ok = false;
      if (IsAsciiDigit(c)) {
        ok = ReadNumber();
      } else if (IsLetter(c)) {
        ok = ReadDesignator() || ReadWord();
      } else {
        ok = ReadSeparators();
      }
      if (!ok) return std::nullopt;
    }
    return std::move(tokens_);
  }

 private:
  bool AtSeparator(std::string_view separator) const {
    return !separator.empty() && text_.substr(pos_).starts_with(separator);
  }

  bool ReadNumber() {
    const std::size_t start = pos_;
    std::int64_t value = 0;
    for (; pos_ < text_.size() && IsAsciiDigit(text_[pos_]); ++pos_) {
      if (value < kValueLimit) value = value * 10 + (text_[pos_] - '0');
    }
    tokens_.push_back({DateTokenKind::kNumber, text_.substr(start, pos_ - start), value});
    return true;
  }

  bool ReadDesignator() {
    for (const bool pm : {false, true}) {
      const std::string& designator = pm ? locale_.pm_designator : locale_.am_designator;
      if (designator.empty() || !StartsWithIgnoreCase(text_.substr(pos_), designator)) continue;
      const std::size_t end = pos_ + designator.size();
      if (end < text_.size() && IsLetter(text_[end])) continue;
      tokens_.push_back({DateTokenKind::kDesignator, text_.substr(pos_, designator.size()), 0, pm});
      pos_ = end;
      return true;
    }
    return false;
  }

  bool ReadWord() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsLetter(text_[pos_])) ++pos_;
    const std::string_view word = text_.substr(start, pos_ - start);
    const bool am = EqualsIgnoreCase(word, "am") || EqualsIgnoreCase(word, "a");
    const bool pm = EqualsIgnoreCase(word, "pm") || EqualsIgnoreCase(word, "p");
    tokens_.push_back({am || pm ? DateTokenKind::kDesignator : DateTokenKind::kWord, word, 0, pm});
    // The dot of an abbreviation belongs to its word.
    if (pos_ < text_.size() && text_[pos_] == '.') ++pos_;
    return true;
  }

  // One separator token: blanks around at most one separator character.
  bool ReadSeparators() {
    const std::size_t start = pos_;
    std::optional<DateTokenKind> mark;
    while (pos_ < text_.size()) {
      if (IsBlank(text_[pos_])) {
        ++pos_;
        continue;
      }
      std::size_t length = 1;
      DateTokenKind kind = DateTokenKind::kDateSep;
      if (AtSeparator(locale_.date_separator)) {
        length = locale_.date_separator.size();
      } else if (AtSeparator(locale_.time_separator)) {
        length = locale_.time_separator.size();
        kind = DateTokenKind::kTimeSep;
      } else if (text_[pos_] == ':' || text_[pos_] == '.') {
        kind = DateTokenKind::kTimeSep;
      } else if (text_[pos_] != '-' && text_[pos_] != '/' && text_[pos_] != ',') {
        break;
      }
      if (mark) return false;
      mark = kind;
      pos_ += length;
    }
    if (pos_ == start) return false;  // a character of no token
    // Blanks around the text are fine, separators are not.
    if (tokens_.empty() || pos_ == text_.size()) return !mark;
    tokens_.push_back({mark.value_or(DateTokenKind::kDateSep), {}});
    return true;
  }

  std::string_view text_;
  const Locale& locale_;
  std::size_t pos_ = 0;
  std::vector<DateToken> tokens_;
};

}  // namespace

std::optional<std::vector<DateToken>> TokenizeDate(std::string_view text, const Locale& locale) {
  return DateTokenizer(text, locale).Run();
}

}  // namespace kelvo
