// The SQLite provider's prepared statement.
#ifndef KELVO_DATA_SQLITE_STATEMENT_H_
#define KELVO_DATA_SQLITE_STATEMENT_H_

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/provider.h"
#include "data/sqlite_connection.h"
#include "data/sqlite_values.h"

namespace kelvo::data {

class SqliteStatement final : public ProviderStatement {
 public:
  // Takes ownership of `statement`, which goes back to `connection` for reuse when prepared
  // from `sql` (empty: finalized) under `schema_version`; `connection` must outlive this object.
  SqliteStatement(SqliteConnection& connection, sqlite3_stmt* statement, std::string sql = {},
                  std::int64_t schema_version = -1);
  ~SqliteStatement() override;

  int ParameterCount() const override;
  void Bind(int index, const Variant& value) override;
  int ColumnCount() const override;
  bool Step() override;
  void Reset() override;
  long Execute() override;
  std::vector<ColumnInfo> DescribeColumns() override;
  Variant Value(int column) const override;
  void ReadValue(int column, Variant& into) const override;
  Variant Stored(int column) const override;
  long ActualSize(int column) const override;

  sqlite3_stmt* handle() const { return statement_; }

 private:
  // Clears `declared_type` when the column's type comes from its value rather than its
  // declaration.
  ColumnInfo Describe(int column, bool& declared_type);

  SqliteConnection& connection_;
  sqlite3_stmt* statement_;
  std::string sql_;
  std::int64_t schema_version_;
  bool has_row_ = false;
  // Per column; until described, values show as stored.
  std::vector<int> types_;
  std::vector<ValueClass> classes_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_STATEMENT_H_
