// Text through the string sections of a user format pattern.
#ifndef KELVO_RUNTIME_FORMAT_STRING_H_
#define KELVO_RUNTIME_FORMAT_STRING_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvo {

// `text` (nothing for Null) through the sections: the first for text, the second (when given)
// for Null and "". @ is a character or a blank, & a character or nothing; placeholders fill from
// the right unless the section has "!", and the last placeholder takes any characters left over.
// < and > change the text to lower or upper case.
std::string FormatStringPattern(std::span<const std::string_view> sections,
                                const std::optional<std::string>& text);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_FORMAT_STRING_H_
