// REGEXPREPLACE: a cell value run through the runtime's RegExp object with the pattern, flags
// and replacement of the column's function text.
#ifndef KELVO_FORMAT_REGEXP_REPLACE_CELL_H_
#define KELVO_FORMAT_REGEXP_REPLACE_CELL_H_

#include <string>
#include <string_view>

#include "kelvo/regexp.h"

namespace kelvo::detail {

// `value` with the matches of the pattern of `function_text` (the column's whole stored text,
// see ParseRegExpReplace) replaced; "Invalid RegExp" when the text does not read. Patterns are
// compiled through `cache` (borrowed), so a page of rows compiles each pattern once. Throws
// Error with the engine's description for a pattern it refuses and for a match that hits the
// backtracking limits.
std::string RegExpReplaceCell(RegExpCache& cache, std::string_view function_text,
                              std::string_view value);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_REGEXP_REPLACE_CELL_H_
