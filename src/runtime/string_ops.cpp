#include "runtime/string_ops.h"

#include <cstddef>

namespace kelvo {
namespace {

// UTF-8 Latin-1 letters are "\xC3" followed by 0x80..0x9E (upper) or 0xA0..0xBE (lower);
// 0x97 (×) and 0xB7 (÷) are not letters, and ß/ÿ have no single-byte partner.
std::string ChangeCase(std::string_view text, bool to_upper) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (to_upper && c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 32);
    } else if (!to_upper && c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (to_upper && next >= 0xA0 && next <= 0xBE && next != 0xB7) {
        out[i + 1] = static_cast<char>(next - 0x20);
      } else if (!to_upper && next >= 0x80 && next <= 0x9E && next != 0x97) {
        out[i + 1] = static_cast<char>(next + 0x20);
      }
      ++i;
    }
  }
  return out;
}

}  // namespace

std::string UCase(std::string_view text) { return ChangeCase(text, true); }
std::string LCase(std::string_view text) { return ChangeCase(text, false); }

std::string_view LTrim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view RTrim(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view Trim(std::string_view text) { return RTrim(LTrim(text)); }

}  // namespace kelvo
