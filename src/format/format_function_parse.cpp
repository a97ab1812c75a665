#include "format/format_function_parse.h"

#include <utility>

#include "host/ascii_case.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::pair<std::string_view, FormatFunctionKind> kFunctionNames[] = {
    {"FORMATCURRENCY", FormatFunctionKind::kFormatCurrency},
    {"FORMATNUMBER", FormatFunctionKind::kFormatNumber},
    {"FORMATPERCENT", FormatFunctionKind::kFormatPercent},
    {"FORMATDATETIME", FormatFunctionKind::kFormatDateTime},
    {"FORMAT", FormatFunctionKind::kFormat},
    {"DATEADD", FormatFunctionKind::kDateAdd},
    {"DATEPART", FormatFunctionKind::kDatePart},
    {"REPLACE", FormatFunctionKind::kReplace},
    {"LEFT", FormatFunctionKind::kLeft},
    {"RIGHT", FormatFunctionKind::kRight},
    {"MID", FormatFunctionKind::kMid},
    {"UCASE", FormatFunctionKind::kUCase},
    {"LCASE", FormatFunctionKind::kLCase},
    {"INITCAPS", FormatFunctionKind::kInitCaps},
    {"INITCAPSALL", FormatFunctionKind::kInitCapsAll},
    {"LEN", FormatFunctionKind::kLen},
    {"ROUND", FormatFunctionKind::kRound},
    {"ABS", FormatFunctionKind::kAbs},
    {"REGEXPREPLACE", FormatFunctionKind::kRegExpReplace},
};

// Whether the slash at `at` is escaped: an odd run of backslashes stands before it.
bool IsEscaped(std::string_view text, std::size_t at) {
  std::size_t backslashes = 0;
  while (at > backslashes && text[at - backslashes - 1] == '\\') ++backslashes;
  return backslashes % 2 == 1;
}

}  // namespace

FormatFunctionText SplitFormatFunction(std::string_view text, std::string_view delimiter) {
  FormatFunctionText call;
  std::size_t start = 0;
  for (std::size_t piece = 0;; ++piece) {
    const std::size_t at = delimiter.empty() ? std::string_view::npos : text.find(delimiter, start);
    const std::string_view found = text.substr(start, at - start);
    if (piece == 0) {
      call.name = found;
    } else {
      if (piece <= kMaxFormatArguments) call.arguments[piece - 1] = found;
      call.argument_count = piece;
    }
    if (at == std::string_view::npos) return call;
    start = at + delimiter.size();
  }
}

FormatFunctionText TrimmedPieces(const FormatFunctionText& call) {
  FormatFunctionText trimmed = call;
  trimmed.name = Trim(call.name);
  for (std::string_view& argument : trimmed.arguments) argument = Trim(argument);
  return trimmed;
}

FormatFunctionKind FormatFunctionNamed(std::string_view name) {
  for (const auto& [known, kind] : kFunctionNames) {
    if (host::EqualsIgnoringAsciiCase(name, known)) return kind;
  }
  return FormatFunctionKind::kUnknown;
}

std::optional<RegExpReplaceText> ParseRegExpReplace(std::string_view text) {
  const std::size_t open = text.find('/');
  if (open == std::string_view::npos) return std::nullopt;
  std::size_t close = open;
  do {
    close = text.find('/', close + 1);
    if (close == std::string_view::npos) return std::nullopt;
  } while (IsEscaped(text, close));
  const std::size_t comma = text.find(',', close + 1);
  if (comma == std::string_view::npos) return std::nullopt;
  const std::string_view flags = text.substr(close + 1, comma - close - 1);
  RegExpReplaceText parsed;
  parsed.pattern = Trim(text.substr(open + 1, close - open - 1));
  parsed.replacement = text.substr(comma + 1);
  parsed.ignore_case = flags.find('i') != std::string_view::npos;
  parsed.global = flags.find('g') != std::string_view::npos;
  parsed.multiline = flags.find('m') != std::string_view::npos;
  return parsed;
}

}  // namespace kelvo::detail
