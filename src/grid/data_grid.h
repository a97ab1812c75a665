// The multi-row grid table: header row with sort links, then one row per record of the page.
#ifndef KELVO_GRID_DATA_GRID_H_
#define KELVO_GRID_DATA_GRID_H_

#include <cstdint>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Writes the header and data rows starting at the recordset's current record; `rows_shown`
// receives the number of data rows written. Traps its own failures.
void MakeDataGrid(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_DATA_GRID_H_
