#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

Utf8Char Utf8CharAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const Utf8Char invalid{1, 1, lead, false};
  if (lead < 0x80) return {1, 1, lead, true};
  std::size_t length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return invalid;
  }
  if (i + length > text.size()) return invalid;
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(c)) return invalid;
    code = (code << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values beyond U+10FFFF are not valid UTF-8.
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return invalid;
  return {length, length == 4 ? std::size_t{2} : std::size_t{1}, code, true};
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = Utf8CharAt(text, i);
    units += c.units;
    i += c.bytes;
  }
  return units;
}

std::size_t ByteOffsetOfUnits(std::string_view text, std::size_t units) {
  std::size_t i = 0;
  std::size_t counted = 0;
  while (i < text.size() && counted < units) {
    const Utf8Char c = Utf8CharAt(text, i);
    counted += c.units;
    i += c.bytes;
  }
  return i;
}

}  // namespace kelvo
