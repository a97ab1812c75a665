// Where a record found by key stands in the grid's order: the number the record texts show and
// the navigation moves from.
#ifndef KELVO_RENDER_RECORD_POSITION_H_
#define KELVO_RENDER_RECORD_POSITION_H_

#include <cstdint>
#include <optional>
#include <string>

#include "component/db_view_state.h"
#include "kelvo/data.h"
#include "state/seek_paging.h"

namespace kelvo::detail {

// The number (from 1) of the record of `ordered_statement` whose key fields (EditPrimaryKeys)
// read as those of the current record of `record`. Record `hint` is tried first, the usual case
// where no row before it came or went; then the records are read from the first, up to
// RecordsMaxLimit. The statement's placeholders are those of the grid's filter
// (mvarFilterParameters). Nothing when no record within the limit matches (the statement that found
// the record is not the grid's), or when either statement lacks a key field or cannot be read.
std::optional<std::int32_t> RecordPosition(const DbViewState& s, const std::string& ordered_statement,
                                           Recordset& record, std::int32_t hint);

// The place of the current record of `record` in `order` (the grid's unique order): `hint`, the
// number its link carried, when the record there has its key; else one more than the records of
// the grid's statement that come before it. Both are read within `budget_ms` together (0: no
// budget); past it the place is `estimated` and `record` is left 0. Nothing when the record's sort values cannot
// be bound or a statement fails. Under CountCacheSeconds, what was read on a database unchanged
// since is not read again (Connection::KeptCountWithin).
struct KeyedPosition {
  std::int32_t record = 0;
  bool estimated = false;
};
std::optional<KeyedPosition> CountedRecordPosition(const DbViewState& s, const SeekOrder& order,
                                                   Recordset& record, std::int32_t hint,
                                                   int budget_ms);

}  // namespace kelvo::detail

#endif  // KELVO_RENDER_RECORD_POSITION_H_
