// ASCII letter-case helpers for the names of HTTP requests: parameter names, server variables,
// header names and media types are compared without regard to ASCII case. Other bytes (UTF-8
// included) compare exactly, so the result never depends on the process locale.
#ifndef KELVO_HOST_ASCII_CASE_H_
#define KELVO_HOST_ASCII_CASE_H_

#include <string>
#include <string_view>

namespace kelvo::host {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline std::string AsciiLowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = AsciiLower(c);
  return lowered;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // From the end: the names of one family share their beginning ("Vexmo1...", "HTTP_..."), and
  // bytes that are equal as they stand need no lowering.
  for (std::size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i] && AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace kelvo::host

#endif  // KELVO_HOST_ASCII_CASE_H_
