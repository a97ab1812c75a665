#include "site/catalog.h"

#include "host/ascii_case.h"
#include "kelvo/data.h"

namespace kelvo::site {
namespace {

bool IsSqlite(std::string_view connection_string) {
  return host::EqualsIgnoringAsciiCase(Connection::ProviderOf(connection_string), "sqlite");
}

// Runs a catalogue query and gives back its rows as text.
std::vector<std::vector<std::string>> Rows(const std::shared_ptr<Connection>& connection,
                                           std::string_view sql,
                                           std::vector<Variant> parameters = {}) {
  auto command = std::make_shared<Command>();
  command->SetActiveConnection(connection);
  command->SetCommandText(sql);
  command->Parameters() = std::move(parameters);
  Recordset rows;
  rows.Open(command);
  std::vector<std::vector<std::string>> result;
  const int columns = rows.Fields().Count();
  while (!rows.Eof()) {
    std::vector<std::string>& row = result.emplace_back();
    for (int i = 0; i < columns; ++i) {
      const Variant value = rows.Fields().Item(i).Value();
      row.push_back(value.IsString() ? value.AsString() : std::string());
    }
    rows.MoveNext();
  }
  rows.Close();
  return result;
}

}  // namespace

std::vector<TableEntry> ListTables(const std::shared_ptr<Connection>& connection,
                                   std::string_view connection_string) {
  const std::string_view sql =
      IsSqlite(connection_string)
          // Shadow tables (an FTS index's _data, _idx, _content, ...) belong to their virtual
          // table, which is listed.
          ? "SELECT name, type FROM pragma_table_list WHERE schema = 'main' "
            "AND type IN ('table', 'view', 'virtual') "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"
          : "SELECT table_name, table_type FROM information_schema.tables "
            "WHERE table_schema NOT IN ('pg_catalog', 'information_schema') ORDER BY table_name";
  std::vector<TableEntry> tables;
  for (const auto& row : Rows(connection, sql)) {
    tables.push_back({row[0], host::AsciiLowered(row[1]).find("view") != std::string::npos});
  }
  return tables;
}

std::vector<std::string> PrimaryKeyColumns(const std::shared_ptr<Connection>& connection,
                                           std::string_view connection_string,
                                           std::string_view table) {
  const std::string_view sql =
      IsSqlite(connection_string)
          ? "SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk"
          : "SELECT k.column_name FROM information_schema.table_constraints c "
            "JOIN information_schema.key_column_usage k ON k.constraint_name = c.constraint_name "
            "AND k.table_schema = c.table_schema AND k.table_name = c.table_name "
            "WHERE c.constraint_type = 'PRIMARY KEY' AND c.table_name = ? "
            "ORDER BY k.ordinal_position";
  std::vector<std::string> columns;
  for (const auto& row : Rows(connection, sql, {Variant(std::string(table))})) {
    columns.push_back(row[0]);
  }
  return columns;
}

}  // namespace kelvo::site
