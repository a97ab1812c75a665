#include "site/served_defaults.h"

#include <cstdint>
#include <limits>

#include "kelvo/db_view.h"

namespace kelvo::site {

void ApplyServedDefaults(DbView& grid, std::string_view title) {
  // Stored values may come from anyone who can edit a table; they show as text.
  grid.SetHtmlEncodeValues(true);
  // A list row stays a line or a few: long text shows its start there, and whole in the record.
  grid.SetMemoFieldLimit(100);
  // A blob shows that something is stored, unlike NULL.
  grid.SetShowBinarySize(true);
  // Spreadsheet programs read an undeclared download in a legacy code page.
  grid.SetExcelDeclareUtf8(true);
  // Enter in an edit form saves, leaving it with changes unsaved asks first, and a delete
  // needs a posted confirmation, also without script.
  grid.SetEditEnterSaves(true);
  grid.SetEditConfirmLeave(true);
  grid.SetEditConfirmDelete(true);
  // A page of a large table should not wait for an exact count, nor count again on every click.
  grid.SetCountTimeoutMs(250);
  grid.SetCountCacheSeconds(30);
  // A deep page costs what the first costs where the grid knows the key.
  grid.SetSeekPaging(true);
  // Screen readers, keyboards and validators read the page as everyone else does.
  grid.SetAccessibleMarkup(true);
  grid.SetGridLabel(title);
  // Deep pages are sought, not skipped to, and the count has its budget: the records of a large
  // table stay reachable rather than ending at the millionth.
  grid.SetRecordsMaxLimit(std::numeric_limits<std::int32_t>::max());
}

}  // namespace kelvo::site
