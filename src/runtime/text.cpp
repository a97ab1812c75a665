#include "runtime/text.h"

#include <cstddef>

namespace kelvo {
namespace {

// The folded form of the character at text[i] and its length in bytes.
struct Folded {
  unsigned code;
  std::size_t length;
};

Folded FoldAt(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c >= 'A' && c <= 'Z') return {static_cast<unsigned>(c + 32), 1};
  // UTF-8 "\xC3\x80".."\xC3\x9E" are À..Þ; their lower-case letters are 0x20 higher. 0x97 is ×.
  if (c == 0xC3 && i + 1 < text.size()) {
    auto next = static_cast<unsigned char>(text[i + 1]);
    if (next >= 0x80 && next <= 0x9E && next != 0x97)
      next = static_cast<unsigned char>(next + 0x20);
    return {0xC300u | next, 2};
  }
  return {c, 1};
}

// Compares the folded characters of `a` with those at the start of `b`; returns the number of
// bytes of `b` matched, or npos when they differ or `b` is too short.
std::size_t MatchFolded(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size()) {
    if (j >= b.size()) return std::string_view::npos;
    const Folded x = FoldAt(a, i);
    const Folded y = FoldAt(b, j);
    if (x.code != y.code) return std::string_view::npos;
    i += x.length;
    j += y.length;
  }
  return j;
}

}  // namespace

// Texts equal as they stand need no folding; names are mostly written the way they are asked for.
bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a == b || MatchFolded(a, b) == b.size();
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.starts_with(prefix) || MatchFolded(prefix, text) != std::string_view::npos;
}

std::string ReplaceDecimalPoint(std::string text, std::string_view separator) {
  const std::size_t dot = text.find('.');
  if (dot != std::string::npos && separator != ".") text.replace(dot, 1, separator);
  return text;
}

}  // namespace kelvo
