// The replacement text of RegExp.Replace, read once and written for every match.
#ifndef KELVO_RUNTIME_REGEXP_REPLACEMENT_H_
#define KELVO_RUNTIME_REGEXP_REPLACEMENT_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The offset of a group that took no part in a match.
inline constexpr std::size_t kUnsetOffset = std::numeric_limits<std::size_t>::max();

class ReplacementTemplate {
 public:
  // Reads $1..$99, $&, $`, $' and $$ in `replacement` for a pattern of `groups` groups; a "$"
  // that starts none of them, or names a group the pattern does not have, is literal. A two-digit
  // reference is read only when that group exists ("$11" is group 1 and "1" with two groups).
  // Borrows `replacement`, which must outlive the template.
  ReplacementTemplate(std::string_view replacement, std::size_t groups);

  // Appends the replacement of one match of `text`. `offsets` holds the start and end of the
  // match and then of each group, kUnsetOffset for a group that took no part (which gives "").
  void Append(std::string& out, std::string_view text, const std::size_t* offsets) const;

 private:
  enum class Kind : std::uint8_t { kText, kGroup, kBefore, kAfter };
  struct Part {
    Kind kind;
    std::string_view text;  // for kText
    std::size_t group = 0;  // for kGroup; 0 is the whole match
  };
  void AddText(std::string_view text);

  std::vector<Part> parts_;
};

}  // namespace kelvo

#endif  // KELVO_RUNTIME_REGEXP_REPLACEMENT_H_
