// The spreadsheet download of the whole result.
#ifndef KELVO_GRID_EXCEL_EXPORT_H_
#define KELVO_GRID_EXCEL_EXPORT_H_

#include "component/db_view_state.h"

namespace kelvo::detail {

// Writes the export into the (cleared) response.
void WriteExcelTable(DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_EXCEL_EXPORT_H_
