#include "grid/excel_export.h"

namespace kelvo::detail {

// TODO(#8): the spreadsheet export.
void WriteExcelTable(DbViewState&) {}

}  // namespace kelvo::detail
