// Cell templates: literal text with field values and record-link keywords put in at marked
// places ("<b>#Name#</b>", "<a href=\"#KELVOFORMURL#\">").
#ifndef KELVO_FORMAT_FREE_FORMAT_CELL_H_
#define KELVO_FORMAT_FREE_FORMAT_CELL_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The column's template expanded against the current record of page row `row`, with
// GridFreeFormatCellDataFieldDelimiter as the marker. A failure is reported in ErrorMessage
// and the text built so far is returned.
std::string GetFreeCellString(DbViewState& s, Recordset& recordset, int column, std::int32_t row);
// `text` expanded with the marker "##" (row and cell tags may carry field values).
std::string ReplaceFieldValuesFromTag(DbViewState& s, std::string_view text, Recordset& recordset,
                                      std::int32_t row);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_FREE_FORMAT_CELL_H_
