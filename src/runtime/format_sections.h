// Reading user format patterns: literal text, sections and the kind of value a pattern formats.
#ifndef KELVO_RUNTIME_FORMAT_SECTIONS_H_
#define KELVO_RUNTIME_FORMAT_SECTIONS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kelvo {

// When pattern[i] starts literal text, "..." or a backslash and one character, returns that text
// and moves i past it. An unclosed quote runs to the end.
std::optional<std::string_view> ReadQuoted(std::string_view pattern, std::size_t& i);

// The sections between the semicolons that are not literal text.
std::vector<std::string_view> SplitSections(std::string_view pattern);

enum class PatternKind : std::uint8_t {
  kNumeric,  // holds 0, # or %
  kString,   // holds @ or & and no numeric token
  kDate,     // holds a date or time token and neither of the above
  kLiteral,  // only literal text: formatted as a number without digits
};

PatternKind ClassifyPattern(std::string_view pattern);

// The length of the AM/PM token ("AM/PM", "A/P", "AMPM", any case) at pattern[i], or 0.
std::size_t AmPmTokenLength(std::string_view pattern, std::size_t i);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_FORMAT_SECTIONS_H_
