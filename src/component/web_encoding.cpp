#include "component/web_encoding.h"

namespace kelvo::detail {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

bool IsAlphaNumeric(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

template <class KeepPredicate>
std::string PercentEncode(std::string_view text, KeepPredicate keep) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (keep(c)) {
      out += ch;
    } else {
      AppendEscaped(out, c);
    }
  }
  return out;
}

}  // namespace

std::string HtmlAttributeEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UrlEncodeComponent(std::string_view text) {
  return PercentEncode(text, [](unsigned char c) {
    return IsAlphaNumeric(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == ',';
  });
}

std::string UrlSafePath(std::string_view path) {
  static constexpr std::string_view kPathPunctuation = "-._~/!$&()*+,;=:@%";
  return PercentEncode(path, [](unsigned char c) {
    return IsAlphaNumeric(c) || kPathPunctuation.find(static_cast<char>(c)) != std::string_view::npos;
  });
}

}  // namespace kelvo::detail
