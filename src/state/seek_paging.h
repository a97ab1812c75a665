// Seek paging: a grid page read by the sort values of the page next to it ("after the last
// record shown", "before the first") instead of by skipping every record before it. The order
// is made unique by appending the key; the page carries its first and last values, signed
// with the statement and the order, in a hidden input.
#ifndef KELVO_STATE_SEEK_PAGING_H_
#define KELVO_STATE_SEEK_PAGING_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

struct SeekColumn {
  std::string sql;    // the column as written after ORDER BY
  std::string field;  // the result field it names
  bool descending = false;
  bool key = false;  // a key field, which is never Null
};

// The grid's unique order: the sort columns (OrderByDesc on the last), then the key fields
// the sort does not name.
struct SeekOrder {
  std::vector<SeekColumn> columns;
  std::string clause;  // the order as written after ORDER BY
};

// A statement with a "?" for each parameter, in order.
struct SoughtStatement {
  std::string text;
  std::vector<Variant> parameters;
  long max_records = 0;  // records the recordset reads; 0 for all
  bool reversed = false;  // the rows are the last ones of a reversed order
};

// The order of a grid whose pages can be sought: SeekPaging on, a key in EditPrimaryKeys, a
// statement the grid opens itself, and a sort list of plain or double-quoted column names,
// each optionally followed by ASC or DESC. Nothing otherwise.
std::optional<SeekOrder> SeekOrderOf(const DbViewState& s);

// Notes the sort values of the record about to be shown as page row `rows_shown` + 1. A value
// that cannot be carried exactly (a type other than whole numbers, exact decimals, text and
// Booleans, or a Null key) leaves the page without boundaries.
void NotePageRecord(DbViewState& s, Recordset& recordset, std::int32_t rows_shown);

// The hidden input's value: the first and last values of the page shown, signed; empty when
// the page carries none.
std::string PageBoundaryText(const DbViewState& s);

// The statement for a posted Next, Previous or Last of a grid in `order`, or nothing when the
// page is found by position: no boundaries posted, a jump a seek cannot serve, or boundaries
// that fail their check (forged, changed, from another grid, statement, order or page), which
// get one ErrorMessage entry. `posted_record` is the first record of the page posted from.
std::optional<SoughtStatement> SeekStatement(DbViewState& s, const SeekOrder& order,
                                             std::int32_t posted_record);

// The statement counting the records that come before the current record of `record` in
// `order`, its sort values bound; nothing when a value cannot be bound exactly (the types a
// page boundary carries), or a key is Null.
std::optional<SoughtStatement> PrecedingCountStatement(const DbViewState& s, const SeekOrder& order,
                                                      Recordset& record);
// The statement counting 1 when the record at `position` (from 1) in `order` has the key of the
// current record of `record`, else 0; nothing when a key value cannot be bound exactly.
std::optional<SoughtStatement> KeyAtPositionStatement(const DbViewState& s, const SeekOrder& order,
                                                     Recordset& record, std::int32_t position);

}  // namespace kelvo::detail

#endif  // KELVO_STATE_SEEK_PAGING_H_
