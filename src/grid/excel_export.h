// The spreadsheet download: the grid's whole result as an HTML table that spreadsheet programs
// open, sent as an attachment.
#ifndef KELVO_GRID_EXCEL_EXPORT_H_
#define KELVO_GRID_EXCEL_EXPORT_H_

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Writes the export into the (cleared) response, streaming rows as they are read. A failure is
// reported in ErrorMessage: before anything was sent the download becomes a short error page;
// after, the table ends with a row saying the export is incomplete.
void WriteExcelTable(DbViewState& s);
// The header row and the data rows of the export, from the recordset's current record.
void WriteExcelRows(DbViewState& s, Recordset& recordset);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_EXCEL_EXPORT_H_
