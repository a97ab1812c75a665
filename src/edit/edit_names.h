// The names of the edit form's inputs and the posted values the update engine reads under
// them. Every name contains "_Form_", so the state protocol never carries it into other
// grids' links.
#ifndef KELVO_EDIT_EDIT_NAMES_H_
#define KELVO_EDIT_EDIT_NAMES_H_

#include <optional>
#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// The editor of a field: "Vexmo" + Tag + "_Form_" + field name.
std::string EditorName(const DbViewState& s, std::string_view field_name);
// The editor's element id with AccessibleMarkup: "klv" + Tag + "editor_" + the field's
// position. A field name may hold what no id can (a blank), and two names may differ only in
// case; the position never clashes, and no posted name starts with "klv".
std::string EditorId(const DbViewState& s, int column);
// The id that a label or a link names the editor of field `field_name` at `column` by: the
// position's id with AccessibleMarkup, else the editor's name.
std::string EditorTarget(const DbViewState& s, std::string_view field_name, int column);
// The hidden input holding a key field's value as the form showed it, so that a changed key
// still finds its record: "Vexmo" + Tag + "Key_Form_" + key name.
std::string OriginalKeyName(const DbViewState& s, std::string_view key_name);
// The hidden inputs of the record check: the keyed hash, and the version the form showed.
std::string RecordHashName(const DbViewState& s);
std::string RecordVersionName(const DbViewState& s);
// The choice, after another user's change, between the user's value of a field and the stored
// one: "Vexmo" + Tag + "Choice_Form_" + field name.
std::string ChoiceName(const DbViewState& s, std::string_view field_name);
// The field that a confirmed delete posts.
std::string DeleteConfirmName(const DbViewState& s);

// The first value posted under `name` in the form collection (names without regard to case);
// nothing when the form did not post it. Throws Error(errc::kNoPageContext) without a page.
std::optional<std::string> PostedValue(const DbViewState& s, std::string_view name);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_NAMES_H_
