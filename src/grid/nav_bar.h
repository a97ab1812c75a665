// The navigation bar (first, previous, next, last, record texts) and the records-per-page
// selector.
#ifndef KELVO_GRID_NAV_BAR_H_
#define KELVO_GRID_NAV_BAR_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// The bar's HTML for a grid spanning `column_span` columns; `next_record` is the first record
// after the window (0 when none); `placement` is "Top" or empty.
std::string BuildNavBar(DbViewState& s, int column_span, std::int32_t next_record,
                        std::string_view placement);
// Writes the records-per-page selector.
void WriteRecordsPerPageSelect(DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_NAV_BAR_H_
