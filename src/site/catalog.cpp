#include "site/catalog.h"

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "host/ascii_case.h"
#include "kelvo/convert.h"
#include "kelvo/data.h"

namespace kelvo::site {
namespace {

bool IsSqlite(std::string_view connection_string) {
  // A server asks about its one connection string on every request: parsed once per thread.
  thread_local std::string last_string;
  thread_local bool last_sqlite = false;
  if (last_string.empty() || last_string != connection_string) {
    last_sqlite =
        host::EqualsIgnoringAsciiCase(Connection::ProviderOf(connection_string), "sqlite");
    last_string = connection_string;
  }
  return last_sqlite;
}

// Runs a catalogue query, `parameters` bound to its placeholders, and gives back its rows as
// text.
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
      row.push_back(value.IsNull() ? std::string() : CStr(value, Locale::Default()));
    }
    rows.MoveNext();
  }
  rows.Close();
  return result;
}

std::string FirstValue(const std::vector<std::vector<std::string>>& rows) {
  return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
}

// Changes whenever a table, view, column or constraint is added, altered or dropped. SQLite
// counts schema changes itself; on PostgreSQL every such change writes a row of pg_class,
// pg_attribute or pg_constraint (a new transaction id in xmin) or removes one (a lower count).
std::string SchemaVersion(const std::shared_ptr<Connection>& connection,
                          std::string_view connection_string) {
  if (IsSqlite(connection_string)) {
    // Through the connection's kept statements, and as a query rather than the pragma, so that
    // it reads with the request's other reads.
    const std::optional<long long> version =
        connection->CountWithin("SELECT schema_version FROM pragma_schema_version", 0);
    return version ? std::to_string(*version) : std::string();
  }
  return FirstValue(Rows(
      connection,
      "SELECT (SELECT count(*) || ':' || max(xmin::text::bigint) FROM pg_class) || '/' || "
      "(SELECT count(*) || ':' || max(xmin::text::bigint) FROM pg_attribute) || '/' || "
      "(SELECT count(*) || ':' || coalesce(max(xmin::text::bigint), 0) FROM pg_constraint)"));
}

// Changes whenever the table `name` reaches is made, dropped, renamed, granted, keyed or given
// other columns. PostgreSQL's data layer reads the table's own catalogue rows by index with the
// versions it checks of the tables whose facts it keeps, in one round trip per use of a session;
// SQLite counts schema changes itself.
std::string TableVersion(const std::shared_ptr<Connection>& connection,
                         std::string_view connection_string, std::string_view name) {
  if (std::optional<std::string> version = connection->TableVersion(name))
    return std::move(*version);
  return SchemaVersion(connection, connection_string);
}

Catalog ReadFromDatabase(const std::shared_ptr<Connection>& connection,
                         std::string_view connection_string) {
  const bool sqlite = IsSqlite(connection_string);
  // Rows of (identity, name, type) and (identity, key column): on PostgreSQL the identity is
  // the table's oid and only the table an unquoted name reaches along the search path is
  // listed, so a table of the same name in a later schema neither lists twice nor lends its
  // key columns.
  const std::string_view tables_sql =
      sqlite
          // Shadow tables (an FTS index's _data, _idx, _content, ...) belong to their virtual
          // table, which is listed.
          ? "SELECT name, name, type FROM pragma_table_list WHERE schema = 'main' "
            "AND type IN ('table', 'view', 'virtual') "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"
          : "SELECT c.oid, c.relname, CASE c.relkind WHEN 'v' THEN 'view' ELSE 'table' END "
            "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE c.relkind IN ('r', 'p', 'v', 'f') "
            "AND n.nspname = ANY(current_schemas(false)) AND pg_table_is_visible(c.oid) "
            "AND (pg_has_role(c.relowner, 'USAGE') "
            "OR has_table_privilege(c.oid, 'SELECT, INSERT, UPDATE, DELETE, TRUNCATE, "
            "REFERENCES, TRIGGER') "
            "OR has_any_column_privilege(c.oid, 'SELECT, INSERT, UPDATE, REFERENCES')) "
            "ORDER BY c.relname";
  const std::string_view keys_sql =
      sqlite
          ? "SELECT t.name, k.name FROM pragma_table_list t, pragma_table_info(t.name) k "
            "WHERE t.schema = 'main' AND t.type = 'table' AND k.pk > 0 ORDER BY t.name, k.pk"
          : "SELECT i.indrelid, a.attname FROM pg_index i "
            "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey) "
            "WHERE i.indisprimary AND pg_table_is_visible(i.indrelid) "
            "ORDER BY i.indrelid, array_position(i.indkey::int2[], a.attnum)";
  // Numbered as "SELECT *" lists them: without a virtual table's hidden columns on SQLite,
  // without dropped ones on PostgreSQL.
  const std::string_view computed_sql =
      sqlite
          ? "SELECT name, number FROM (SELECT t.name, c.hidden, row_number() OVER "
            "(PARTITION BY t.name ORDER BY c.cid) AS number "
            "FROM pragma_table_list t, pragma_table_xinfo(t.name) c "
            "WHERE t.schema = 'main' AND t.type = 'table' AND c.hidden <> 1) "
            "WHERE hidden IN (2, 3) ORDER BY name, number"
          : "SELECT attrelid, number FROM (SELECT a.attrelid, a.attgenerated, row_number() OVER "
            "(PARTITION BY a.attrelid ORDER BY a.attnum) AS number FROM pg_attribute a "
            "WHERE a.attnum > 0 AND NOT a.attisdropped AND a.attrelid IN "
            "(SELECT attrelid FROM pg_attribute WHERE attgenerated <> '')) c "
            "WHERE attgenerated <> '' ORDER BY attrelid, number";
  std::map<std::string, std::vector<std::string>, std::less<>> keys;
  for (const auto& row : Rows(connection, keys_sql)) keys[row[0]].push_back(row[1]);
  std::map<std::string, std::vector<int>, std::less<>> computed;
  for (const auto& row : Rows(connection, computed_sql))
    computed[row[0]].push_back(std::stoi(row[1]));
  Catalog catalog;
  for (const auto& row : Rows(connection, tables_sql)) {
    TableEntry& table = catalog.tables.emplace_back(
        TableEntry{row[1], host::AsciiLowered(row[2]).find("view") != std::string::npos, {}, {}});
    if (table.is_view) continue;
    if (const auto found = keys.find(row[0]); found != keys.end())
      table.primary_key = found->second;
    if (const auto found = computed.find(row[0]); found != computed.end())
      table.computed_columns = found->second;
  }
  return catalog;
}

struct KeptCatalog {
  std::string version;
  std::shared_ptr<const Catalog> catalog;
  // Tables' own versions as they were when the catalogue was read.
  std::map<std::string, std::string, std::less<>> table_versions;
};

std::mutex kept_mutex;
std::map<std::string, KeptCatalog, std::less<>> kept;

}  // namespace

const TableEntry* Catalog::Find(std::string_view name) const {
  for (const TableEntry& table : tables) {
    if (table.name == name) return &table;
  }
  return nullptr;
}

std::shared_ptr<const Catalog> ReadCatalog(const std::shared_ptr<Connection>& connection,
                                           std::string_view connection_string) {
  const std::string version = SchemaVersion(connection, connection_string);
  {
    const std::lock_guard lock(kept_mutex);
    const auto found = kept.find(connection_string);
    if (found != kept.end() && found->second.version == version) return found->second.catalog;
  }
  auto catalog =
      std::make_shared<const Catalog>(ReadFromDatabase(connection, connection_string));
  const std::lock_guard lock(kept_mutex);
  kept[std::string(connection_string)] = {version, catalog, {}};
  return catalog;
}

std::optional<TableEntry> FindTable(const std::shared_ptr<Connection>& connection,
                                    std::string_view connection_string, std::string_view name) {
  // Each version is read before what it vouches for, so that a change between the two shows
  // as a version the next request does not find.
  const std::string table_version = TableVersion(connection, connection_string, name);
  std::shared_ptr<const Catalog> catalog;
  {
    const std::lock_guard lock(kept_mutex);
    const auto found = kept.find(connection_string);
    if (found != kept.end()) {
      const auto table = found->second.table_versions.find(name);
      if (table != found->second.table_versions.end() && table->second == table_version)
        catalog = found->second.catalog;
    }
  }
  const TableEntry* table = nullptr;
  if (catalog) {
    table = catalog->Find(name);
  } else {
    catalog = ReadCatalog(connection, connection_string);
    table = catalog->Find(name);
    // Only names of tables are kept, so that requests for names of no table keep nothing;
    // those check the whole schema's version.
    const std::lock_guard lock(kept_mutex);
    const auto found = kept.find(connection_string);
    if (table && found != kept.end() && found->second.catalog == catalog)
      found->second.table_versions[std::string(name)] = table_version;
  }
  return table ? std::optional<TableEntry>(*table) : std::nullopt;
}

}  // namespace kelvo::site
