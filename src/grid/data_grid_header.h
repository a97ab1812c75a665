// The header row of the data grid: captions, with sort links on sortable columns.
#ifndef KELVO_GRID_DATA_GRID_HEADER_H_
#define KELVO_GRID_DATA_GRID_HEADER_H_

#include <cstdint>
#include <optional>
#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The page's path and its state query, which the sort links and the record links of one grid
// page both start with: made once for the page. The query is kept for one first record.
class GridLinkStart {
 public:
  const std::string& Path(const DbViewState& s);
  const std::string& StateQuery(const DbViewState& s, std::int64_t record);

 private:
  std::optional<std::string> path_;
  std::optional<std::string> query_;
  std::int64_t query_record_ = 0;
};

// Writes the header row; `rows_shown` (the driver's entry value) places the sort links'
// bookmark. Traps its own failures as MakeDataGrid's.
void WriteDataGridHeader(DbViewState& s, Recordset& recordset, std::int32_t rows_shown,
                         GridLinkStart& link_start);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_DATA_GRID_HEADER_H_
