// Where a recordset's changes go: the one table its columns come from, and the key that
// finds a row of it again.
//
// A recordset can add rows when at least one of its columns is a column of a table and no
// column comes from another table (computed columns are allowed and stay unchanged). It can
// change rows when, in addition, every column of the table's key is in the result: the
// primary key, or for a table without one SQLite's rowid (select it as "rowid").
#ifndef KELVO_DATA_WRITE_TARGET_H_
#define KELVO_DATA_WRITE_TARGET_H_

#include <string>
#include <vector>

#include "data/provider.h"

namespace kelvo::data {

struct WriteTarget {
  TableName table;
  // Per result column: its name in the table, or empty for a column that cannot be written.
  std::vector<std::string> base_columns;
  // Per result column: its type (ado::DataTypeEnum).
  std::vector<int> types;
  // Result ordinals of the key columns, in key order; empty when rows cannot be changed.
  std::vector<int> key;
  // Why rows cannot be changed, when `key` is empty.
  std::string key_problem;
};

// Throws Error(errc::kInvalidCall) when no column, or more than one table, is behind the
// result.
WriteTarget FindWriteTarget(const std::vector<ColumnInfo>& columns, ProviderConnection& provider);

}  // namespace kelvo::data

#endif  // KELVO_DATA_WRITE_TARGET_H_
