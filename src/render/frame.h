// The pieces of the outer frame the render driver writes around one renderer: the head with
// the form that posts back to the page, the selector and add-button rows, the cell that holds
// the grid or the form, and the closing rows.
#ifndef KELVO_RENDER_FRAME_H_
#define KELVO_RENDER_FRAME_H_

#include <cstdint>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

inline constexpr std::string_view kCrLf = "\r\n";

// The credit comment, the outer table (with Width outside form mode), the debug row showing
// `statement` when DisplayDebug is set, and the form start tag followed by `form_start_text`;
// with AccessibleMarkup the form comes first and holds the table. An edit form with
// AccessibleMarkup is not checked by the browser: its required editors say so to assistive
// technology, while the save names every field at fault, in the page's language, and no
// other button is held back by an empty field.
void WriteFrameHead(DbViewState& s, bool form_mode, std::string_view statement, bool editing,
                    std::string_view form_start_text);
// A row holding the records-per-page selector above the body.
void WriteTopSelectorRow(DbViewState& s);
// The row with the button that opens the add form.
void WriteAddButtonRow(DbViewState& s);
// The start of the cell holding a record form, and of the cell holding the grid table of
// `column_count` columns.
void WriteFormCellStart(DbViewState& s);
void WriteGridCellStart(DbViewState& s, std::int16_t column_count);
// A row holding only `status`, where a form has no record to show.
void WriteStatusRow(DbViewState& s, std::string_view status);
// The status row of a record form left without a record (after the delete of the last one),
// with the Add button when records may be added.
void WriteNoRecordRow(DbViewState& s);
// Closes the cell opened by either of the above.
void WriteBodyCellEnd(DbViewState& s);
// The selector row below the body, the footer row, and the end of form and table.
void WriteBottomSelectorRow(DbViewState& s);
void WriteFrameEnd(DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_RENDER_FRAME_H_
