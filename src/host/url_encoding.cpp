#include <cstdint>
#include <string>
#include <string_view>

#include "host/byte_scan.h"
#include "kelvo/host.h"

namespace kelvo {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes one key or value; an escape without two hex digits after it stays as written.
std::string Decode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  // The text between escapes is copied a run at a time: most of it has none.
  const auto may_hold = [](std::uint64_t word) {
    return host::SomeByteIs(word, '+') || host::SomeByteIs(word, '%');
  };
  const auto special_byte = [](char c) { return c == '+' || c == '%'; };
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t special = host::FindSpecial(text, i, may_hold, special_byte);
    decoded.append(text, i, special - i);
    if (special == text.size()) break;
    i = special;
    if (text[i] == '+') {
      decoded += ' ';
      ++i;
    } else if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 3;
    } else {
      decoded += '%';
      ++i;
    }
  }
  return decoded;
}

bool IsUnreserved(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

void ParseUrlEncoded(std::string_view text, RequestCollection& into) {
  while (!text.empty()) {
    const std::size_t amp = text.find('&');
    const std::string_view piece = text.substr(0, amp);
    text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
    if (piece.empty()) continue;
    const std::size_t eq = piece.find('=');
    if (eq == std::string_view::npos) {
      into.Add(Decode(piece), std::string());
    } else {
      into.Add(Decode(piece.substr(0, eq)), Decode(piece.substr(eq + 1)));
    }
  }
}

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (const char c : text) {
    if (IsUnreserved(c)) {
      encoded.push_back(c);
    } else if (c == ' ') {
      encoded.push_back('+');
    } else {
      const auto byte = static_cast<unsigned char>(c);
      encoded.push_back('%');
      encoded.push_back(kHex[byte >> 4]);
      encoded.push_back(kHex[byte & 0x0F]);
    }
  }
  return encoded;
}

}  // namespace kelvo
