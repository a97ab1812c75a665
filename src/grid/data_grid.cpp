#include "grid/data_grid.h"

namespace kelvo::detail {

// TODO(#4): write the header row and the data rows.
void MakeDataGrid(DbViewState&, Recordset&, std::int32_t& rows_shown) { rows_shown = 0; }

}  // namespace kelvo::detail
