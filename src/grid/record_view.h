// The single-record view form.
#ifndef KELVO_GRID_RECORD_VIEW_H_
#define KELVO_GRID_RECORD_VIEW_H_

#include <cstdint>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Writes the record view rows for the recordset's current record; `rows_shown` receives the
// number of records written. Traps its own failures.
void MakeFormGrid(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_RECORD_VIEW_H_
