// The standard display of a field of the current record: the text of a cell without a template
// or a format function.
#ifndef KELVO_FORMAT_STD_FIELD_DISPLAY_H_
#define KELVO_FORMAT_STD_FIELD_DISPLAY_H_

#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The cell text, never empty ("&nbsp;" stands for no text). Long text is cut to
// MemoFieldLimit in the grid; dates use the general date form. A failure is reported in
// ErrorMessage and the next step goes on.
std::string GetStdDbFieldString(DbViewState& s, const Field& field);
// What a writer of many rows keeps between them, so that reading a value and making its text
// reuse storage.
struct FieldReadBuffer {
  Variant value;
  std::string text;
};
// GetStdDbFieldString, appended to `out`.
void AppendStdDbFieldString(DbViewState& s, const Field& field, FieldReadBuffer& buffer,
                            std::string& out);
// The same text without fillers and without cutting, for format function arguments.
std::string GetStdDbFieldStringRaw(DbViewState& s, const Field& field);
// A binary value as "(blob, " + its size in bytes + ")": it cannot be shown, and its size tells
// it apart from no value.
std::string BinarySizeText(const DbViewState& s, const Variant& value);
// The text of a long-text field: the value as text, else trimmed, else empty (a Null value is
// returned as Null). Never reports.
Variant GetMemoText(const DbViewState& s, const Field& field);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_STD_FIELD_DISPLAY_H_
