// Cell format functions: a column's function text ("FORMATCURRENCY,2") applied to a field.
#ifndef KELVO_FORMAT_FORMAT_FUNCTION_H_
#define KELVO_FORMAT_FORMAT_FUNCTION_H_

#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The text of `field` formatted by column `column`'s function.
std::string GetFormatCellString(DbViewState& s, const Field& field, int column);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_FORMAT_FUNCTION_H_
