#include "component/web_encoding.h"

#include <cstdint>

#include "host/byte_scan.h"

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

void AppendHtmlAttributeEncoded(std::string& out, std::string_view text) {
  const auto may_hold = [](std::uint64_t word) {
    return host::SomeByteIs(word, '&') || host::SomeByteIs(word, '<') ||
           host::SomeByteIs(word, '>') || host::SomeByteIs(word, '"') ||
           host::SomeByteIs(word, '\'');
  };
  const auto special = [](char c) {
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'';
  };
  // Runs of plain characters are copied whole: most values hold nothing to encode.
  std::size_t plain = 0;
  for (std::size_t i = host::FindSpecial(text, 0, may_hold, special); i < text.size();
       i = host::FindSpecial(text, i + 1, may_hold, special)) {
    std::string_view entity;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = "&quot;";
        break;
      default:
        entity = "&#39;";
        break;
    }
    out.append(text.substr(plain, i - plain));
    out.append(entity);
    plain = i + 1;
  }
  out.append(text.substr(plain));
}

std::string HtmlAttributeEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlAttributeEncoded(out, text);
  return out;
}

std::string ShownValue(bool encode, std::string text) {
  if (!encode || text.find_first_of("&<>\"'") == std::string::npos) return text;
  return HtmlAttributeEncode(text);
}

std::string JsStringAttributeEncode(std::string_view text) {
  static constexpr std::string_view kEscaped = "'\"\\&<>`";
  static constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
  static constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::string_view rest = text.substr(i);
    // Both separators end a line inside a script string.
    if (rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator)) {
      out += rest.starts_with(kLineSeparator) ? "\\u2028" : "\\u2029";
      i += kLineSeparator.size() - 1;
    } else if (c < 0x20 || c == 0x7F || kEscaped.find(text[i]) != std::string_view::npos) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += text[i];
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
    return IsAlphaNumeric(c) ||
           kPathPunctuation.find(static_cast<char>(c)) != std::string_view::npos;
  });
}

}  // namespace kelvo::detail
