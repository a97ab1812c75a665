// The scripting runtime's string functions that every subsystem needs: UCase, LCase and the
// blank trimming of Trim, LTrim and RTrim.
#ifndef KELVO_RUNTIME_STRING_OPS_H_
#define KELVO_RUNTIME_STRING_OPS_H_

#include <string>
#include <string_view>

namespace kelvo {

// Upper and lower case of ASCII letters and of the Latin-1 letters of UTF-8 text (ä ↔ Ä,
// ø ↔ Ø, ...); every other byte is kept.
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);

// The text without leading and/or trailing blanks (U+0020 only, as the runtime trims).
std::string_view Trim(std::string_view text);
std::string_view LTrim(std::string_view text);
std::string_view RTrim(std::string_view text);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_STRING_OPS_H_
