// The loop condition the grid and the record view share: whether the page shows another
// record.
#ifndef KELVO_GRID_PAGE_ROWS_H_
#define KELVO_GRID_PAGE_ROWS_H_

#include <cstdint>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// True while the recordset has a record, the page holds fewer than RecordsPerPage and the
// next record lies within RecordsMaxLimit. A condition that cannot be evaluated is recorded
// with `failure_text` and ends the page, rather than looping on a broken recordset.
bool HasAnotherPageRecord(DbViewState& s, Recordset& recordset, std::int32_t rows_shown,
                          std::string_view failure_text);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_PAGE_ROWS_H_
