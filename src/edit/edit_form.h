// The edit and add form.
#ifndef KELVO_EDIT_EDIT_FORM_H_
#define KELVO_EDIT_EDIT_FORM_H_

#include <cstdint>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Writes the edit form (or, with FormAdd posted, the add form) for the recordset's current
// record as two rows of the driver's form cell: the button bar with the status line, then one
// row per shown field with its caption and editor. Key fields the form does not show are
// posted through hidden inputs; the edit form also carries each key's value as shown, so that
// a changed key still saves its own record, and the keyed hash of the shown values that lets
// the save detect a change made by another user meanwhile. `rows_shown` is set to 1; nothing
// is written at the end of the recordset. Traps its own failures.
void RenderEditForm(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_FORM_H_
