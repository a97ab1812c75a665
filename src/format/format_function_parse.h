// Reading a column's format-function text: the name and arguments split at the grid's column
// delimiter ("FORMATCURRENCY,2"), and the pattern, flags and replacement of REGEXPREPLACE
// ("REGEXPREPLACE,/(\d+)/g,[$1]"). Pure functions over views of the text; no allocation.
#ifndef KELVO_FORMAT_FORMAT_FUNCTION_PARSE_H_
#define KELVO_FORMAT_FORMAT_FUNCTION_PARSE_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvo::detail {

// No function reads more than four arguments; further ones only count.
inline constexpr std::size_t kMaxFormatArguments = 4;

// A function text split into pieces. The views point into the text that was split.
struct FormatFunctionText {
  std::string_view name;                                        // piece 0
  std::array<std::string_view, kMaxFormatArguments> arguments;  // p1..p4 at [0]..[3]
  std::size_t argument_count = 0;                               // every piece after the name

  std::string_view argument(std::size_t number) const { return arguments[number - 1]; }
};

// Splits `text` at each `delimiter` (an empty delimiter leaves the text whole), as written.
FormatFunctionText SplitFormatFunction(std::string_view text, std::string_view delimiter);
// The same pieces without leading and trailing blanks.
FormatFunctionText TrimmedPieces(const FormatFunctionText& call);

enum class FormatFunctionKind {
  kFormatCurrency,
  kFormatNumber,
  kFormatPercent,
  kFormatDateTime,
  kFormat,
  kDateAdd,
  kDatePart,
  kReplace,
  kLeft,
  kRight,
  kMid,
  kUCase,
  kLCase,
  kInitCaps,
  kInitCapsAll,
  kLen,
  kRound,
  kAbs,
  kRegExpReplace,
  kUnknown,
};

// The function a name stands for, ignoring letter case but nothing else: a blank around the
// name makes it unknown.
FormatFunctionKind FormatFunctionNamed(std::string_view name);

// What REGEXPREPLACE reads from its function text; the views point into that text (an empty
// pattern may be a view of nothing).
struct RegExpReplaceText {
  std::string_view pattern;      // between the slashes, trimmed; escaped slashes kept
  std::string_view replacement;  // everything after the comma, untouched
  bool ignore_case = false;      // flag i
  bool global = false;           // flag g
  bool multiline = false;        // flag m
};

// Reads "name<delimiter>/pattern/flags,replacement". The closing slash is the first one not
// escaped by a backslash (a slash after an escaped backslash, "\\/", does close); the comma is
// the first after it, whatever the column delimiter. Nothing when the text has no opening
// slash, no closing one, or no comma after it.
std::optional<RegExpReplaceText> ParseRegExpReplace(std::string_view text);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_FORMAT_FUNCTION_PARSE_H_
