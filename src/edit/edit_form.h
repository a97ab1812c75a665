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
// a changed key still saves its own record, and the signed version of the shown values that
// lets the save refuse a forged post and detect a change made by another user meanwhile (the
// add form: the signature of the grid's add form). After such a change each field that differs
// shows the user's value, the stored one and the one the form started from. `rows_shown` is
// set to 1; nothing is written at the end of the recordset. Traps its own failures.
// With AccessibleMarkup the form leaves out its button bar: the driver writes it first with
// RenderEditButtonBar, as a row of the frame ahead of the navigation bar, so that Save is the
// form's default button and comes before the navigation bar in the tab order.
void RenderEditForm(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown);
void RenderEditButtonBar(DbViewState& s, Recordset& recordset);

// A submit control that does what Enter in an editor should: save (or, while a delete waits
// for its confirmation, go back). Written first in the page's form, ahead of the navigation
// bar's buttons, it is the form's default button; it is kept out of sight and out of the tab
// order.
std::string EditFormDefaultButton(const DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_FORM_H_
