#include "runtime/format_sections.h"

#include "runtime/text.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

bool IsDateLetter(char c) {
  switch (c | 0x20) {
    case 'c':
    case 'd':
    case 'h':
    case 'm':
    case 'n':
    case 'q':
    case 's':
    case 'w':
    case 'y':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<std::string_view> ReadQuoted(std::string_view pattern, std::size_t& i) {
  if (pattern[i] == '"') {
    const std::size_t close = pattern.find('"', i + 1);
    const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
    const std::string_view text = pattern.substr(i + 1, end - i - 1);
    i = close == std::string_view::npos ? end : end + 1;
    return text;
  }
  if (pattern[i] == '\\') {
    const std::size_t length = i + 1 < pattern.size() ? Utf8CharAt(pattern, i + 1).bytes : 0;
    const std::string_view text = pattern.substr(i + 1, length);
    i += 1 + length;
    return text;
  }
  return std::nullopt;
}

std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (ReadQuoted(pattern, i)) continue;
    if (pattern[i] == ';') {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  sections.push_back(pattern.substr(start));
  return sections;
}

std::size_t AmPmTokenLength(std::string_view pattern, std::size_t i) {
  const std::string_view rest = pattern.substr(i);
  for (std::string_view token : {"am/pm", "ampm", "a/p"}) {
    if (StartsWithIgnoreCase(rest, token)) return token.size();
  }
  return 0;
}

PatternKind ClassifyPattern(std::string_view pattern) {
  bool string_token = false;
  bool date_token = false;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (ReadQuoted(pattern, i)) continue;
    const char c = pattern[i];
    if (c == '0' || c == '#' || c == '%') return PatternKind::kNumeric;
    if (c == '@' || c == '&') string_token = true;
    if (IsDateLetter(c) || AmPmTokenLength(pattern, i) > 0 ||
        StartsWithIgnoreCase(pattern.substr(i), "ttttt")) {
      date_token = true;
    }
    ++i;
  }
  if (string_token) return PatternKind::kString;
  return date_token ? PatternKind::kDate : PatternKind::kLiteral;
}

}  // namespace kelvo
