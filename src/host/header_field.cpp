#include "host/header_field.h"

#include <string_view>

namespace kelvo::host {

bool IsHeaderName(std::string_view name) {
  constexpr std::string_view kTokenSymbols = "!#$%&'*+-.^_`|~";
  if (name.empty()) return false;
  for (const char c : name) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alnum && kTokenSymbols.find(c) == std::string_view::npos) return false;
  }
  return true;
}

bool IsHeaderValue(std::string_view value) {
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) return false;
  }
  return true;
}

}  // namespace kelvo::host
