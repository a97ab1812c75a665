#include "format/regexp_replace_cell.h"

#include <optional>

#include "format/format_function_parse.h"

namespace kelvo::detail {

std::string RegExpReplaceCell(RegExpCache& cache, std::string_view function_text,
                              std::string_view value) {
  const std::optional<RegExpReplaceText> parsed = ParseRegExpReplace(function_text);
  if (!parsed) return "Invalid RegExp";
  RegExp regexp(cache);
  regexp.set_ignore_case(parsed->ignore_case);
  regexp.set_global(parsed->global);
  regexp.set_multiline(parsed->multiline);
  regexp.set_pattern(parsed->pattern);
  return regexp.Replace(value, parsed->replacement);
}

}  // namespace kelvo::detail
