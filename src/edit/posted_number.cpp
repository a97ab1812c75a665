#include "edit/posted_number.h"

#include <string>
#include <vector>

#include "kelvo/convert.h"
#include "runtime/string_ops.h"
#include "runtime/text.h"

namespace kelvo::detail {
namespace {

class PostedNumberReader {
 public:
  PostedNumberReader(std::string_view text, const Locale& locale)
      : text_(Trim(text)), locale_(locale) {}

  // The number as plain text ("-1500.25e3"), which the default locale reads unambiguously.
  std::optional<std::string> Run() {
    if (Peek() == '+' || Peek() == '-') {
      if (Peek() == '-') plain_ += '-';
      ++pos_;
    }
    if (!ReadWholePart()) return std::nullopt;
    bool any_digit = !groups_.front().empty();
    if (Accept(locale_.decimal_separator)) {
      plain_ += '.';
      for (; IsAsciiDigit(Peek()); ++pos_) {
        plain_ += Peek();
        any_digit = true;
      }
    }
    if (!any_digit) return std::nullopt;
    if (Peek() == 'e' || Peek() == 'E') {
      plain_ += 'e';
      ++pos_;
      if (Peek() == '+' || Peek() == '-') plain_ += text_[pos_++];
      if (!IsAsciiDigit(Peek())) return std::nullopt;
      for (; IsAsciiDigit(Peek()); ++pos_) plain_ += Peek();
    }
    if (pos_ != text_.size()) return std::nullopt;
    return plain_;
  }

 private:
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool Accept(std::string_view s) {
    if (s.empty() || !text_.substr(pos_).starts_with(s)) return false;
    pos_ += s.size();
    return true;
  }
  // Where the locale groups with a no-break space, people type a blank, and newer platforms
  // write a narrow no-break space.
  bool AcceptGroupSeparator() {
    if (Accept(locale_.group_separator)) return true;
    if (locale_.group_separator != "\u00A0") return false;
    return Accept(" ") || Accept("\u202F");
  }

  // The digits left of the decimal separator, in groups split at group separators: the first
  // group holds 1 to group_size digits and every later one exactly group_size.
  bool ReadWholePart() {
    groups_.emplace_back();
    for (;;) {
      if (IsAsciiDigit(Peek())) {
        groups_.back() += Peek();
        ++pos_;
      } else if (!groups_.back().empty() && AcceptGroupSeparator()) {
        groups_.emplace_back();
      } else {
        break;
      }
    }
    if (groups_.size() > 1) {
      const auto size = static_cast<std::size_t>(locale_.group_size);
      if (locale_.group_size <= 0 || groups_.front().size() > size) return false;
      for (std::size_t i = 1; i < groups_.size(); ++i) {
        if (groups_[i].size() != size) return false;
      }
    }
    for (const std::string& group : groups_) plain_ += group;
    return true;
  }

  std::string_view text_;
  const Locale& locale_;
  std::size_t pos_ = 0;
  std::vector<std::string> groups_;
  std::string plain_;
};

}  // namespace

std::optional<Decimal> ReadPostedNumber(std::string_view text, const Locale& locale) {
  const std::optional<std::string> plain = PostedNumberReader(text, locale).Run();
  if (!plain) return std::nullopt;
  return ParseDecimal(*plain, Locale::Default());
}

}  // namespace kelvo::detail
