// Record counting and the paging window: the total, the fetch limit, the positioning of the
// recordset on the first record of the page, and the numbers for the navigation bar.
#ifndef KELVO_STATE_PAGING_H_
#define KELVO_STATE_PAGING_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The number of records `statement` returns (its placeholders bound to `parameters`), through
// a wrapping COUNT query; -1 when it cannot be counted. Never reports a failure. With
// `keep_seconds`, a count the connection took less than that long ago of a database unchanged
// since is used again (Connection::KeptCountWithin).
std::int32_t GetRecordCount(const std::shared_ptr<Connection>& connection,
                            std::string_view statement, std::span<const Variant> parameters = {},
                            int keep_seconds = 0);

// The count under a budget of `budget_ms` milliseconds (0: none): exact when it finishes in
// time, else the database's estimate, marked as one; -1 when neither is to be had.
struct RecordTotal {
  std::int32_t count = -1;
  bool estimated = false;
};
// A statement with placeholders has no estimate.
RecordTotal CountWithinBudget(const std::shared_ptr<Connection>& connection,
                              std::string_view statement, std::int32_t budget_ms,
                              std::span<const Variant> parameters = {}, int keep_seconds = 0);

// Records to fetch for a page: one more than the page shows, capped at RecordsMaxLimit.
std::int32_t PageFetchLimit(const DbViewState& s);

// Caps RecordCount at RecordsMaxLimit and, when the current record lies beyond the limit,
// applies the posted navigation again with the capped count.
void CapToRecordLimit(DbViewState& s);
// Lowers mvarCurrRecord to a counted total it exceeds; returns the record the page starts on,
// which the positioning reaches (never past RecordsMaxLimit).
std::int32_t FirstRecordToShow(DbViewState& s);
// Moves the recordset forward to record mvarCurrRecord (lowering mvarCurrRecord to a counted
// total it exceeds).
void PositionOnFirstRecord(DbViewState& s, Recordset& recordset);

// FromRow, ToRow and the next-record number for a navigation bar above a grid or a form.
std::int32_t TopOfGridWindow(DbViewState& s);
std::int32_t TopOfFormWindow(DbViewState& s);
// FromRow and ToRow after `rows_shown` records were written; returns the next-record number
// for the bottom bar (`top_next` when the recordset reached its end). An estimated RecordCount
// is raised to the records seen, and becomes the count when their end was reached.
std::int32_t WindowAfterRendering(DbViewState& s, Recordset& recordset, std::int32_t rows_shown,
                                  std::int32_t top_next);

}  // namespace kelvo::detail

#endif  // KELVO_STATE_PAGING_H_
