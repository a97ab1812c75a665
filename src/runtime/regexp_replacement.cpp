#include "runtime/regexp_replacement.h"

#include "runtime/text.h"

namespace kelvo {

ReplacementTemplate::ReplacementTemplate(std::string_view replacement, std::size_t groups) {
  std::size_t literal_start = 0;
  std::size_t i = 0;
  const auto reference = [&](Kind kind, std::size_t group, std::size_t length) {
    AddText(replacement.substr(literal_start, i - literal_start));
    parts_.push_back({kind, {}, group});
    i += length;
    literal_start = i;
  };
  while (i < replacement.size()) {
    if (replacement[i] != '$' || i + 1 >= replacement.size()) {
      ++i;
      continue;
    }
    const char next = replacement[i + 1];
    if (next == '$') {
      // Keep the first "$" as text and drop the second.
      AddText(replacement.substr(literal_start, i + 1 - literal_start));
      i += 2;
      literal_start = i;
    } else if (next == '&') {
      reference(Kind::kGroup, 0, 2);
    } else if (next == '`') {
      reference(Kind::kBefore, 0, 2);
    } else if (next == '\'') {
      reference(Kind::kAfter, 0, 2);
    } else if (IsAsciiDigit(next)) {
      const auto one = static_cast<std::size_t>(next - '0');
      const bool second = i + 2 < replacement.size() && IsAsciiDigit(replacement[i + 2]);
      const std::size_t two =
          second ? one * 10 + static_cast<std::size_t>(replacement[i + 2] - '0') : 0;
      if (second && two >= 1 && two <= groups) {
        reference(Kind::kGroup, two, 3);
      } else if (one >= 1 && one <= groups) {
        reference(Kind::kGroup, one, 2);
      } else {
        ++i;
      }
    } else {
      ++i;
    }
  }
  AddText(replacement.substr(literal_start));
}

void ReplacementTemplate::AddText(std::string_view text) {
  if (!text.empty()) parts_.push_back({Kind::kText, text, 0});
}

void ReplacementTemplate::Append(std::string& out, std::string_view text,
                                 const std::size_t* offsets) const {
  for (const Part& part : parts_) {
    switch (part.kind) {
      case Kind::kText:
        out += part.text;
        break;
      case Kind::kGroup: {
        const std::size_t start = offsets[2 * part.group];
        const std::size_t end = offsets[2 * part.group + 1];
        if (start != kUnsetOffset) out.append(text, start, end - start);
        break;
      }
      case Kind::kBefore:
        out.append(text, 0, offsets[0]);
        break;
      case Kind::kAfter:
        out.append(text, offsets[1]);
        break;
    }
  }
}

}  // namespace kelvo
