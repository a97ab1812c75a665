// The navigation bar (first, previous, next, last, record and page texts, the link back to the
// list and the export button) and the records-per-page selector.
#ifndef KELVO_GRID_NAV_BAR_H_
#define KELVO_GRID_NAV_BAR_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// The parts of a bar that the other bar of the same render repeats: its buttons, and the link
// back to the list with the grid's whole state. Each is kept with the numbers it was made from
// and used again only for the same numbers. Lives for one render, whose properties stay put.
struct NavBarMemo {
  struct Buttons {
    std::int64_t first = 0;
    std::int64_t next = 0;
    std::int64_t page = 0;
    bool unit_is_record = false;
    bool by_pages = false;
    std::string html;
  };
  struct ListLink {
    std::int64_t list_start = 0;
    std::int32_t count = 0;
    bool estimated = false;
    std::int64_t count_until = 0;
    std::string html;
  };
  std::optional<Buttons> buttons;
  std::optional<ListLink> list_link;
};

// The bar's HTML, one table row for a grid spanning `column_span` columns; writes nothing.
// `next_record` is the first record after the window (0 or less when none); `placement` is
// appended to the bar's class name ("Top" above the grid, empty below). Reads the request
// (FormAdd, SCRIPT_NAME) and the caption table. Throws Error for a missing page context or
// caption slot; record arithmetic never overflows. With a memo, parts the render's other bar
// made for the same numbers are used again.
std::string BuildNavBar(DbViewState& s, int column_span, std::int32_t next_record,
                        std::string_view placement, NavBarMemo* memo = nullptr);

// Writes the records-per-page selector to the response, piece by piece. A blank
// RecordsPerPageOptions is replaced by the default list (the property changes). RecordsPerPage
// is always an option, and selected. An option that is not a number throws Error after the
// options before it were written.
void WriteRecordsPerPageSelect(DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_NAV_BAR_H_
