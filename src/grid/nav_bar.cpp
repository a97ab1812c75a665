#include "grid/nav_bar.h"

namespace kelvo::detail {

// TODO(#4): the navigation bar.
std::string BuildNavBar(DbViewState&, int, std::int32_t, std::string_view) { return {}; }

// TODO(#4): the records-per-page selector.
void WriteRecordsPerPageSelect(DbViewState&) {}

}  // namespace kelvo::detail
