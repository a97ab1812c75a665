// The header row of the data grid: captions, with sort links on sortable columns.
#ifndef KELVO_GRID_DATA_GRID_HEADER_H_
#define KELVO_GRID_DATA_GRID_HEADER_H_

#include <cstdint>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Writes the header row; `rows_shown` (the driver's entry value) places the sort links'
// bookmark. Traps its own failures as MakeDataGrid's.
void WriteDataGridHeader(DbViewState& s, Recordset& recordset, std::int32_t rows_shown);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_DATA_GRID_HEADER_H_
