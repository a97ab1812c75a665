// Writing one row of a recordset back to its table with bound values, never with values
// pasted into SQL. Both statements return the row as the table then holds it, so that values
// the database assigns (an auto-increment key, defaults) and converts are read back.
#ifndef KELVO_DATA_ROW_WRITER_H_
#define KELVO_DATA_ROW_WRITER_H_

#include <optional>
#include <vector>

#include "data/provider.h"
#include "data/write_target.h"

namespace kelvo::data {

// A pending row: stored values per result column and which of them were set.
struct PendingRow {
  std::vector<Variant> values;
  std::vector<bool> changed;
};

// Inserts the set columns of `row`; the others take the table's defaults. Returns the new
// row: `row` with every column of the table replaced by what was stored.
std::vector<Variant> InsertRow(ProviderConnection& provider, const WriteTarget& target,
                               const PendingRow& row);

// Changes the row whose key columns hold `original`'s values, writing the changed columns,
// and only when those columns still hold the values in `original`. Returns the changed row as
// stored, or nothing when no row matched: another user changed or deleted it.
std::optional<std::vector<Variant>> UpdateRow(ProviderConnection& provider,
                                              const WriteTarget& target,
                                              const std::vector<Variant>& original,
                                              const PendingRow& row);

}  // namespace kelvo::data

#endif  // KELVO_DATA_ROW_WRITER_H_
