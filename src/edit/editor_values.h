// The values the edit form's editors show, which fields get an editor, and what a browser
// posts back for a shown value. The edit form and the update engine share them, so that a save
// can tell an untouched editor from a changed one and the lost-update hash covers exactly the
// fields a save may change.
#ifndef KELVO_EDIT_EDITOR_VALUES_H_
#define KELVO_EDIT_EDITOR_VALUES_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

enum class EditorKind { kTextArea, kCheckBox, kDateInput, kTextInput, kNone };

// Long text gets a text area, Booleans a checkbox, dates a date input, binary data nothing,
// every other type a text input (or a lookup list).
EditorKind EditorKindOf(int type);

// The text an editor shows for the field's stored value, before HTML encoding: the long text
// (empty when MemoFieldLimit is 0), the general date (a date column's value that is no date as
// its own text, so that it does not look like no value), or the value's text; empty for no
// data and for blank text; empty for checkboxes and binary data. Throws when the value cannot be
// read or converted.
std::string StoredEditorText(const DbViewState& s, const Field& field);
// The stored value is binary data, which SQLite lets any column hold: no editor can show or post
// it, so it is shown read-only by its size and a save leaves it alone.
bool HoldsBinary(const Field& field);
// A text field (not a list) whose stored value holds a line break: it is edited in a text
// area, as a text input would drop its line breaks on the next save.
bool IsMultiLineText(const DbViewState& s, const Field& field);
// A changed value posted from such a text area (its line breaks CR LF) with the line breaks
// the stored text had: LF alone when it held no CR.
std::string WithStoredLineBreaks(std::string_view posted, std::string_view stored);
// A checkbox is ticked for a stored value that is true.
bool IsStoredTrue(const DbViewState& s, const Field& field);

// The form writes an editor for a field it shows and, as a hidden input, for a key field.
bool HasEditor(const DbViewState& s, std::string_view name, int column);
// A save may change the field: it has an editor that is not read-only and not binary, and its
// stored value is one a form can carry.
bool IsSavedField(const DbViewState& s, const Field& field, int column);

// False when a form cannot carry the text unchanged: a NUL, or bytes that are not UTF-8, which
// a browser turns into U+FFFD.
bool FormCanCarry(std::string_view text);

// How a browser posts a control's value.
enum class PostedForm {
  kTextInput,  // line breaks dropped
  kLines,      // text areas, hidden inputs and list options: every line break sent as CR LF
};
PostedForm PostedFormOf(const DbViewState& s, const Field& field, int column);
// What a browser posts for a control of that form showing `shown` (a NUL as U+FFFD).
std::string AsBrowserPosts(PostedForm form, std::string_view shown);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDITOR_VALUES_H_
