// The edit and add form.
#ifndef KELVO_EDIT_EDIT_FORM_H_
#define KELVO_EDIT_EDIT_FORM_H_

#include <cstdint>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Writes the edit (or add) form for the recordset's current record; `rows_shown` receives the
// number of records written. Traps its own failures.
void RenderEditForm(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_FORM_H_
