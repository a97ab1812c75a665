#include "runtime/format_string.h"

#include <cstddef>
#include <vector>

#include "runtime/format_sections.h"
#include "runtime/string_ops.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

std::string WriteSection(std::string_view section, std::string_view value) {
  // First pass: the flags and the number of placeholders.
  std::size_t places = 0;
  bool left_to_right = false;
  char change_case = 0;
  for (std::size_t i = 0; i < section.size();) {
    if (ReadQuoted(section, i)) continue;
    const char c = section[i++];
    if (c == '@' || c == '&') ++places;
    if (c == '!') left_to_right = true;
    if (c == '<' || c == '>') change_case = c;
  }
  std::string text = change_case == '<'   ? LCase(value)
                     : change_case == '>' ? UCase(value)
                                          : std::string(value);
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t bytes = Utf8CharAt(text, i).bytes;
    chars.push_back(std::string_view(text).substr(i, bytes));
    i += bytes;
  }

  // Placeholders without a character of their own: at the start, or with "!" at the end.
  const std::size_t empty = places > chars.size() ? places - chars.size() : 0;
  std::string out;
  std::size_t place = 0;
  std::size_t next = 0;  // the next character of the text
  for (std::size_t i = 0; i < section.size();) {
    if (std::optional<std::string_view> quoted = ReadQuoted(section, i)) {
      out += *quoted;
      continue;
    }
    const char c = section[i];
    const std::size_t bytes = Utf8CharAt(section, i).bytes;
    i += bytes;
    if (c == '!' || c == '<' || c == '>') continue;
    if (c != '@' && c != '&') {
      out += section.substr(i - bytes, bytes);
      continue;
    }
    const bool own = left_to_right ? place < places - empty : place >= empty;
    ++place;
    if (!own) {
      if (c == '@') out += ' ';
      continue;
    }
    // The last placeholder takes everything that is left.
    const std::size_t take = place == places ? chars.size() - next : 1;
    for (std::size_t k = 0; k < take; ++k) out += chars[next++];
  }
  for (; next < chars.size(); ++next) out += chars[next];
  return out;
}

}  // namespace

std::string FormatStringPattern(std::span<const std::string_view> sections,
                                const std::optional<std::string>& text) {
  const bool blank = !text || text->empty();
  if (blank && sections.size() >= 2) return WriteSection(sections[1], "");
  if (!text) return {};
  return WriteSection(sections[0], *text);
}

}  // namespace kelvo
