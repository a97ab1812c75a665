// Cell format functions: a column's function text ("FORMATCURRENCY,2") applied to a field.
#ifndef KELVO_FORMAT_FORMAT_FUNCTION_H_
#define KELVO_FORMAT_FORMAT_FUNCTION_H_

#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The text of `field` (of the current record) formatted by the function of column `column`
// (from 1): "&nbsp;" for a Null or blank value and for an empty result. A failure of the
// function itself (a value that does not convert, a pattern the engine refuses) becomes the
// cell's text. A failure while reading the value or the function text, or in UCASE, LCASE,
// INITCAPS, INITCAPSALL or the unknown-function text, is reported in ErrorMessage with
// " Invalid Formatting arguments<br>" and gives "".
std::string GetFormatCellString(DbViewState& s, const Field& field, int column);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_FORMAT_FUNCTION_H_
