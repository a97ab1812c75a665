// The editor control of one field in the edit form.
#ifndef KELVO_EDIT_FIELD_EDITOR_H_
#define KELVO_EDIT_FIELD_EDITOR_H_

#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The HTML of the editor of `field` (column `column`, from 1) on its recordset's current
// record, ending with CR LF: a text area, checkbox, date input, lookup list or text input,
// named "Vexmo" + Tag + "_Form_" + field name; a read-only field's control is disabled and
// followed by a hidden input posting its value; a key field the form does not show is only a
// hidden input; a required field ends with RequiredFieldIndicator. After a failed save the
// editors show the posted values. A stored value that a form cannot carry (FormCanCarry) is
// shown read-only with a note. Values are HTML-encoded. Traps its own failures.
std::string GetFormEditField(DbViewState& s, Field& field, int column);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_FIELD_EDITOR_H_
