// The screen that resolves another user's change: after a save refused because the record
// changed since the form showed it, each field that the other user changed and the user
// typed otherwise shows, side by side, what the user typed, what is stored now and what the
// form started from, with a choice between the first two.
#ifndef KELVO_EDIT_EDIT_CONFLICT_H_
#define KELVO_EDIT_EDIT_CONFLICT_H_

#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The choice block of `field` (column `column`) on the record as it now stands, or empty when
// the field needs none. The choice is named ChoiceName: "mine" saves the editor's value,
// "stored" keeps the stored one. `first` gives the block the page's focus.
std::string ConflictBlock(const DbViewState& s, Field& field, int column, bool first);
// The script that shows the chosen value in each editor and chooses "mine" when the user
// types; encoded for a script element.
std::string ConflictScript(const DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_CONFLICT_H_
