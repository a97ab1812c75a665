#include "grid/record_view.h"

namespace kelvo::detail {

// TODO(#7): the record view form.
void MakeFormGrid(DbViewState&, Recordset&, std::int32_t& rows_shown) { rows_shown = 0; }

}  // namespace kelvo::detail
