#include "data/procedure_call.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

class CallReader {
 public:
  explicit CallReader(std::string_view text) : text_(text) {}

  ProcedureCall Read() {
    ProcedureCall call;
    SkipBlanks();
    call.name = ReadName();
    SkipBlanks();
    const bool parenthesised = Peek() == '(';
    if (parenthesised) {
      ++pos_;
      SkipBlanks();
    }
    const char end = parenthesised ? ')' : '\0';
    if (Peek() != end) {
      while (true) {
        call.arguments.push_back(ReadLiteral(static_cast<int>(call.arguments.size()) + 1));
        SkipBlanks();
        if (Peek() != ',') break;
        ++pos_;
        SkipBlanks();
      }
    }
    if (parenthesised) {
      if (Peek() != ')') Fail("a ')' is missing");
      ++pos_;
      SkipBlanks();
    }
    if (pos_ < text_.size()) Fail("unexpected text after the arguments");
    return call;
  }

 private:
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

  void SkipBlanks() {
    while (pos_ < text_.size() &&
           (IsBlank(text_[pos_]) || text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }

  [[noreturn]] void Fail(const std::string& why) const {
    throw Error(errc::kInvalidCall,
                "Cannot read the procedure call '" + std::string(text_) + "': " + why);
  }

  std::string ReadName() {
    const char open = Peek();
    if (open == '"' || open == '[') {
      const char close = open == '[' ? ']' : '"';
      const size_t end = text_.find(close, pos_ + 1);
      if (end == std::string_view::npos) Fail("the procedure name has no closing quote");
      std::string name(text_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end + 1;
      if (name.empty()) Fail("it names no procedure");
      return name;
    }
    const size_t start = pos_;
    while (pos_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[pos_]);
      const bool name_char = c >= 0x80 || c == '_' || c == '$' || c == '.' ||
                             IsAsciiDigit(static_cast<char>(c)) || (c >= 'a' && c <= 'z') ||
                             (c >= 'A' && c <= 'Z');
      if (!name_char) break;
      ++pos_;
    }
    if (pos_ == start) Fail("it names no procedure");
    return std::string(text_.substr(start, pos_ - start));
  }

  Variant ReadLiteral(int number) {
    const char c = Peek();
    if (c == '\'') return ReadText(number);
    if (c == '+' || c == '-' || c == '.' || IsAsciiDigit(c)) return ReadNumber(number);
    if (text_.size() - pos_ >= 4 && EqualsIgnoreCase(text_.substr(pos_, 4), "NULL")) {
      const size_t after = pos_ + 4;
      if (after == text_.size() || !IsWordChar(text_[after])) {
        pos_ = after;
        return Variant::Null();
      }
    }
    Fail("argument " + std::to_string(number) + " is not a number, a quoted text or NULL");
  }

  static bool IsWordChar(char c) {
    return IsAsciiDigit(c) || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  }

  Variant ReadText(int number) {
    std::string value;
    ++pos_;
    while (true) {
      if (pos_ >= text_.size())
        Fail("argument " + std::to_string(number) + " has no closing quote");
      const char c = text_[pos_++];
      if (c != '\'') {
        value += c;
      } else if (Peek() == '\'') {
        value += '\'';
        ++pos_;
      } else {
        return Variant(std::move(value));
      }
    }
  }

  Variant ReadNumber(int number) {
    const size_t start = pos_;
    if (Peek() == '+' || Peek() == '-') ++pos_;
    const size_t digits_start = pos_;
    bool fractional = false;
    while (IsAsciiDigit(Peek())) ++pos_;
    if (Peek() == '.') {
      fractional = true;
      ++pos_;
      while (IsAsciiDigit(Peek())) ++pos_;
    }
    const bool has_digits = pos_ > digits_start + (fractional ? 1 : 0);
    if (has_digits && (Peek() == 'e' || Peek() == 'E')) {
      fractional = true;
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      const size_t exponent_start = pos_;
      while (IsAsciiDigit(Peek())) ++pos_;
      if (pos_ == exponent_start) FailNumber(number);
    }
    if (!has_digits || IsWordChar(Peek())) FailNumber(number);
    std::string_view literal = text_.substr(start, pos_ - start);
    if (literal.front() == '+') literal.remove_prefix(1);
    const char* first = literal.data();
    const char* last = first + literal.size();
    if (fractional) {
      double value = 0;
      const auto result = std::from_chars(first, last, value);
      if (result.ec != std::errc() || result.ptr != last) FailNumber(number);
      return Variant(value);
    }
    std::int64_t value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
      Fail("argument " + std::to_string(number) + " is too large");
    }
    if (result.ec != std::errc() || result.ptr != last) FailNumber(number);
    if (value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max()) {
      return Variant(static_cast<std::int32_t>(value));
    }
    return Variant(value);
  }

  [[noreturn]] void FailNumber(int number) const {
    Fail("argument " + std::to_string(number) + " is not a valid number");
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

ProcedureCall ParseProcedureCall(std::string_view text) { return CallReader(text).Read(); }

}  // namespace kelvo::data
