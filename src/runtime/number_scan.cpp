#include "runtime/number_scan.h"

#include <cstddef>
#include <cstdint>

#include "runtime/text.h"

namespace kelvo {
namespace {

constexpr std::int64_t kExponentLimit = 1'000'000'000;

// Removes leading zeros and moves trailing zeros into the exponent.
void Normalize(ScannedNumber& number) {
  const std::size_t first = number.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    number.digits.clear();
    number.exponent = 0;
    return;
  }
  const std::size_t last = number.digits.find_last_not_of('0');
  number.exponent += static_cast<std::int64_t>(number.digits.size() - 1 - last);
  number.digits = number.digits.substr(first, last - first + 1);
}

class Scanner {
 public:
  Scanner(std::string_view text, const Locale& locale) : text_(text), locale_(locale) {}

  std::optional<ScannedNumber> Run() {
    ScanLeading();
    ScannedNumber number;
    const bool body = Peek() == '&' ? ScanHexOrOctal(number) : ScanDecimal(number);
    if (!body) return std::nullopt;
    if (!ScanTrailing()) return std::nullopt;
    number.negative = number.negative != negative_;
    Normalize(number);
    if (number.digits.empty()) number.negative = false;
    return number;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  bool Accept(std::string_view s) {
    if (s.empty() || !text_.substr(pos_).starts_with(s)) return false;
    pos_ += s.size();
    return true;
  }
  bool AcceptCurrency() {
    const std::string& symbol = locale_.currency_symbol;
    if (currency_ || symbol.empty() || !StartsWithIgnoreCase(text_.substr(pos_), symbol)) {
      return false;
    }
    pos_ += symbol.size();
    currency_ = true;
    return true;
  }
  bool AcceptSign() {
    if (sign_ || parens_ || (Peek() != '+' && Peek() != '-')) return false;
    negative_ = Peek() == '-';
    sign_ = true;
    ++pos_;
    return true;
  }
  // A group separator between integer digits. Where the locale groups with a no-break space,
  // a plain space counts too, since that is what people type.
  bool AcceptGroupSeparator() {
    if (Accept(locale_.group_separator)) return true;
    if (locale_.group_separator == "\u00A0" && Peek() == ' ' && IsAsciiDigit(Peek(1))) {
      ++pos_;
      return true;
    }
    return false;
  }

  void ScanLeading() {
    while (!AtEnd()) {
      if (IsBlank(Peek())) {
        ++pos_;
      } else if (AcceptSign() || AcceptCurrency()) {
      } else if (Peek() == '(' && !sign_ && !parens_) {
        parens_ = true;
        negative_ = true;
        ++pos_;
      } else {
        return;
      }
    }
  }

  bool ScanTrailing() {
    while (!AtEnd()) {
      if (IsBlank(Peek())) {
        ++pos_;
      } else if (AcceptSign() || AcceptCurrency()) {
      } else if (Peek() == ')' && parens_ && !closed_) {
        closed_ = true;
        ++pos_;
      } else {
        return false;
      }
    }
    return parens_ == closed_;
  }

  bool ScanHexOrOctal(ScannedNumber& number) {
    const char kind = static_cast<char>(Peek(1) | 0x20);
    const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
    if (base == 0) return false;
    pos_ += 2;
    std::uint64_t value = 0;
    const std::size_t start = pos_;
    for (; !AtEnd(); ++pos_) {
      const char c = Peek();
      const char lower = static_cast<char>(c | 0x20);
      int digit = -1;
      if (IsAsciiDigit(c)) digit = c - '0';
      if (base == 16 && lower >= 'a' && lower <= 'f') digit = lower - 'a' + 10;
      if (digit < 0 || digit >= base) break;
      value = value * base + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFF'FFFFu) return false;
    }
    if (pos_ == start) return false;
    // Like the runtime's literals, 16-bit values are Integers and wider ones Longs.
    const std::int64_t signed_value =
        value <= 0xFFFF ? static_cast<std::int16_t>(value)
                        : static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    number.negative = signed_value < 0;
    number.digits = std::to_string(signed_value < 0 ? -signed_value : signed_value);
    return true;
  }

  bool ScanDecimal(ScannedNumber& number) {
    bool any_digit = false;
    while (!AtEnd()) {
      if (IsAsciiDigit(Peek())) {
        number.digits += Peek();
        any_digit = true;
        ++pos_;
      } else if (!any_digit || !AcceptGroupSeparator()) {
        break;
      }
    }
    if (Accept(locale_.decimal_separator)) {
      for (; IsAsciiDigit(Peek()); ++pos_) {
        number.digits += Peek();
        --number.exponent;
        any_digit = true;
      }
    }
    if (!any_digit) return false;
    if (Peek() == 'e' || Peek() == 'E') return ScanExponent(number);
    return true;
  }

  bool ScanExponent(ScannedNumber& number) {
    ++pos_;
    bool negative = false;
    if (Peek() == '+' || Peek() == '-') {
      negative = Peek() == '-';
      ++pos_;
    }
    if (!IsAsciiDigit(Peek())) return false;
    std::int64_t exponent = 0;
    for (; IsAsciiDigit(Peek()); ++pos_) {
      // Beyond any double or Decimal either way; saturating keeps the arithmetic defined.
      if (exponent < kExponentLimit) exponent = exponent * 10 + (Peek() - '0');
    }
    number.exponent += negative ? -exponent : exponent;
    return true;
  }

  std::string_view text_;
  const Locale& locale_;
  std::size_t pos_ = 0;
  bool sign_ = false;
  bool parens_ = false;
  bool closed_ = false;
  bool currency_ = false;
  bool negative_ = false;
};

}  // namespace

std::optional<ScannedNumber> ScanNumber(std::string_view text, const Locale& locale) {
  return Scanner(text, locale).Run();
}

std::optional<ScannedNumber> ScanDecimalText(std::string_view text) {
  ScannedNumber number;
  std::size_t pos = 0;
  if (pos < text.size() && text[pos] == '-') {
    number.negative = true;
    ++pos;
  }
  const std::size_t int_start = pos;
  for (; pos < text.size() && IsAsciiDigit(text[pos]); ++pos) number.digits += text[pos];
  if (pos == int_start) return std::nullopt;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t frac_start = ++pos;
    for (; pos < text.size() && IsAsciiDigit(text[pos]); ++pos) {
      number.digits += text[pos];
      --number.exponent;
    }
    if (pos == frac_start) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  Normalize(number);
  if (number.digits.empty()) number.negative = false;
  return number;
}

}  // namespace kelvo
