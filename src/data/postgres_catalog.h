// What PostgreSQL's catalogue tells about tables, columns and functions.
#ifndef KELVO_DATA_POSTGRES_CATALOG_H_
#define KELVO_DATA_POSTGRES_CATALOG_H_

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "data/provider.h"

namespace kelvo::data {

class PostgresConnection;

// A result column that is a column of a table (PQftable, PQftablecol).
struct TableColumnRef {
  std::uint32_t table = 0;
  int number = 0;
};

struct TableColumnFacts {
  TableName table;
  std::string column;
  bool not_null = false;
  bool assigned = false;   // serial (a sequence default) or an identity column
  bool generated = false;  // computed by the table: it cannot be written
};

// The column facts of the tables a connection has described, kept until the connection runs
// a command that may change a table (anything but a query), so that the recordsets of one
// page ask the catalogue once per table.
class ColumnFactsCache final {
 public:
  // The facts of each column in `columns`, in that order; nothing for one the catalogue does
  // not show (a dropped table, say). One query reads all the tables not kept yet.
  std::vector<std::optional<TableColumnFacts>> Lookup(PostgresConnection& connection,
                                                      const std::vector<TableColumnRef>& columns);
  void Clear() { tables_.clear(); }

 private:
  struct Table {
    TableName name;
    std::map<int, TableColumnFacts> columns;  // by column number
  };
  void Read(PostgresConnection& connection, const std::set<std::uint32_t>& tables);

  std::map<std::uint32_t, Table> tables_;
};

// The primary key columns of a table in key order; empty when it has none.
std::vector<std::string> ReadPrimaryKey(PostgresConnection& connection, const TableName& table);

// The statement that calls the function or procedure `name` ("name" or "schema.name", found
// as written or folded to lower case, along the search path) with `argument_count`
// placeholders: "SELECT * FROM f(?, ?)" for a function, "CALL p(?)" for a procedure. Nothing
// when there is no such routine.
std::optional<std::string> RoutineCall(PostgresConnection& connection, std::string_view name,
                                       int argument_count);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_CATALOG_H_
