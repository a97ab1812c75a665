#include "runtime/format_numeric.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/decimal_digits.h"
#include "runtime/format_sections.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

enum class PieceKind : std::uint8_t {
  kLiteral,
  kIntegerDigit,  // 0 or # left of the decimal point
  kComma,         // resolved to grouping, scaling or a literal once the section is read
  kDecimalPoint,
  kFractionDigit,
  kExponent,  // E+ E- e+ e- with the digit placeholders after it
};

struct Piece {
  PieceKind kind;
  std::string_view text;  // a literal's text; the placeholder character of a digit
};

struct Layout {
  std::vector<Piece> pieces;
  int integer_places = 0;
  int forced_integer_places = 0;  // from the leftmost 0 placeholder to the decimal point
  int fraction_places = 0;
  bool grouping = false;
  int thousands = 0;  // commas that divide by 1000
  int percents = 0;
  bool scientific = false;
  bool exponent_sign_always = false;
  int exponent_digits = 0;  // at least this many exponent digits
};

enum class Region : std::uint8_t { kInteger, kFraction, kExponent, kTail };

void ResolveCommas(Layout& layout) {
  int digits_seen = 0;
  for (Piece& piece : layout.pieces) {
    if (piece.kind == PieceKind::kIntegerDigit) ++digits_seen;
    if (piece.kind != PieceKind::kComma) continue;
    if (digits_seen == 0) {
      piece = {PieceKind::kLiteral, ","};
    } else if (digits_seen < layout.integer_places) {
      layout.grouping = true;
    } else {
      ++layout.thousands;
    }
  }
  std::erase_if(layout.pieces, [](const Piece& p) { return p.kind == PieceKind::kComma; });
}

Layout ReadLayout(std::string_view section) {
  Layout layout;
  Region region = Region::kInteger;
  std::size_t i = 0;
  while (i < section.size()) {
    if (std::optional<std::string_view> quoted = ReadQuoted(section, i)) {
      layout.pieces.push_back({PieceKind::kLiteral, *quoted});
      if (region == Region::kExponent) region = Region::kTail;
      continue;
    }
    const char c = section[i];
    const std::string_view one = section.substr(i, Utf8CharAt(section, i).bytes);
    i += one.size();
    if ((c == '0' || c == '#') && region != Region::kTail) {
      if (region == Region::kInteger) {
        ++layout.integer_places;
        layout.pieces.push_back({PieceKind::kIntegerDigit, one});
      } else if (region == Region::kFraction) {
        ++layout.fraction_places;
        layout.pieces.push_back({PieceKind::kFractionDigit, one});
      } else if (c == '0') {
        ++layout.exponent_digits;
      }
      continue;
    }
    if (region == Region::kExponent) region = Region::kTail;
    if (c == '.' && region == Region::kInteger) {
      layout.pieces.push_back({PieceKind::kDecimalPoint, one});
      region = Region::kFraction;
    } else if (c == ',' && region == Region::kInteger) {
      layout.pieces.push_back({PieceKind::kComma, one});
    } else if ((c == 'E' || c == 'e') && !layout.scientific && i < section.size() &&
               (section[i] == '+' || section[i] == '-')) {
      layout.scientific = true;
      layout.exponent_sign_always = section[i] == '+';
      layout.pieces.push_back({PieceKind::kExponent, one});
      ++i;
      region = Region::kExponent;
    } else {
      if (c == '%') ++layout.percents;
      layout.pieces.push_back({PieceKind::kLiteral, one});
    }
  }
  ResolveCommas(layout);
  // Integer places from the leftmost "0" on always show a digit.
  int place = 0;
  for (const Piece& piece : layout.pieces) {
    if (piece.kind != PieceKind::kIntegerDigit) continue;
    if (piece.text == "0") {
      layout.forced_integer_places = layout.integer_places - place;
      break;
    }
    ++place;
  }
  return layout;
}

// The digits a section shows for one number.
struct Digits {
  std::string integer;   // padded with the forced zeros
  std::string fraction;  // one digit per fraction place
  std::int64_t exponent = 0;
  bool zero = true;  // every shown digit is zero
};

Digits LayDigits(const Layout& layout, ScannedNumber number) {
  if (!number.digits.empty()) number.exponent += 2 * layout.percents - 3 * layout.thousands;
  Digits digits;
  if (layout.scientific && !number.digits.empty()) {
    const int places = std::max(1, layout.integer_places + layout.fraction_places);
    RoundToSignificant(number, places);
    digits.exponent = IntegerDigitCount(number) - layout.integer_places;
    number.exponent -= digits.exponent;
  } else {
    RoundToDecimals(number, layout.fraction_places, Tie::kAwayFromZero);
  }
  digits.zero = number.digits.empty();
  digits.integer = IntegerDigits(number);
  const auto forced = static_cast<std::size_t>(layout.forced_integer_places);
  if (digits.integer.size() < forced) digits.integer.insert(0, forced - digits.integer.size(), '0');
  digits.fraction = FractionDigits(number, static_cast<std::size_t>(layout.fraction_places));
  return digits;
}

class SectionWriter {
 public:
  SectionWriter(const Layout& layout, const Digits& digits, const Locale& locale)
      : layout_(layout), digits_(digits), locale_(locale) {
    // Trailing fraction places show a digit up to the last non-zero digit or the last "0".
    const std::size_t nonzero = digits.fraction.find_last_not_of('0');
    last_fraction_ = nonzero == std::string::npos ? -1 : static_cast<int>(nonzero);
    int index = 0;
    for (const Piece& piece : layout.pieces) {
      if (piece.kind != PieceKind::kFractionDigit) continue;
      if (piece.text == "0") last_fraction_ = std::max(last_fraction_, index);
      ++index;
    }
  }

  std::string Write() {
    for (const Piece& piece : layout_.pieces) {
      switch (piece.kind) {
        case PieceKind::kLiteral:
          out_ += piece.text;
          break;
        case PieceKind::kIntegerDigit:
          WriteIntegerPlace();
          break;
        case PieceKind::kDecimalPoint:
          // Without integer places the integer digits still show, before the point.
          if (layout_.integer_places == 0) WriteIntegerDigits(0, digits_.integer.size());
          out_ += locale_.decimal_separator;
          break;
        case PieceKind::kFractionDigit:
          if (fraction_index_ <= last_fraction_) {
            out_ += digits_.fraction[static_cast<std::size_t>(fraction_index_)];
          }
          ++fraction_index_;
          break;
        case PieceKind::kExponent:
          WriteExponent(piece.text);
          break;
        case PieceKind::kComma:
          break;
      }
    }
    return std::move(out_);
  }

 private:
  // The leftmost place takes every digit beyond the places; the others one each from the right.
  void WriteIntegerPlace() {
    const auto width = digits_.integer.size();
    const auto places = static_cast<std::size_t>(layout_.integer_places);
    const std::size_t from_right = places - 1 - integer_index_;  // places right of this one
    if (integer_index_ == 0) {
      if (width > from_right) WriteIntegerDigits(0, width - from_right);
    } else if (width > from_right) {
      const std::size_t at = width - 1 - from_right;
      WriteIntegerDigits(at, at + 1);
    }
    ++integer_index_;
  }

  void WriteIntegerDigits(std::size_t begin, std::size_t end) {
    const std::size_t width = digits_.integer.size();
    const auto group = static_cast<std::size_t>(std::max(locale_.group_size, 0));
    for (std::size_t at = begin; at < end; ++at) {
      out_ += digits_.integer[at];
      const std::size_t left = width - 1 - at;  // digits after this one
      if (layout_.grouping && group > 0 && left > 0 && left % group == 0) {
        out_ += locale_.group_separator;
      }
    }
  }

  void WriteExponent(std::string_view letter) {
    out_ += letter;
    if (digits_.exponent < 0) {
      out_ += '-';
    } else if (layout_.exponent_sign_always) {
      out_ += '+';
    }
    std::string value = std::to_string(std::llabs(digits_.exponent));
    const auto width = static_cast<std::size_t>(layout_.exponent_digits);
    if (value.size() < width) value.insert(0, width - value.size(), '0');
    if (digits_.exponent == 0 && width == 0) value.clear();
    out_ += value;
  }

  const Layout& layout_;
  const Digits& digits_;
  const Locale& locale_;
  std::string out_;
  std::size_t integer_index_ = 0;
  int fraction_index_ = 0;
  int last_fraction_ = -1;
};

std::string WriteSection(std::string_view section, const ScannedNumber& magnitude, bool minus,
                         const Locale& locale) {
  const Layout layout = ReadLayout(section);
  const Digits digits = LayDigits(layout, magnitude);
  std::string text = SectionWriter(layout, digits, locale).Write();
  if (!minus || digits.zero) return text;
  // Built afresh rather than inserted at the front: GCC 12 at -O2 reports a false overlap
  // (-Wrestrict) in std::string::insert at position 0.
  std::string signed_text;
  signed_text.reserve(text.size() + 1);
  signed_text += '-';
  signed_text += text;
  return signed_text;
}

}  // namespace

std::string FormatNumericPattern(std::span<const std::string_view> sections,
                                 const std::optional<ScannedNumber>& number, const Locale& locale) {
  if (!number) return sections.size() >= 4 ? WriteSection(sections[3], {}, false, locale) : "";
  ScannedNumber magnitude = *number;
  magnitude.negative = false;
  if (number->digits.empty() && sections.size() >= 3 && !sections[2].empty()) {
    return WriteSection(sections[2], magnitude, false, locale);
  }
  if (number->negative && sections.size() >= 2 && !sections[1].empty()) {
    return WriteSection(sections[1], magnitude, false, locale);
  }
  return WriteSection(sections[0], magnitude, number->negative, locale);
}

}  // namespace kelvo
