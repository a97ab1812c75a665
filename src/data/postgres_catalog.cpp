#include "data/postgres_catalog.h"

#include <array>
#include <cstdlib>
#include <map>
#include <utility>

#include "data/postgres_connection.h"
#include "kelvo/error.h"

namespace kelvo::data {
namespace {

std::string NumberList(const std::set<std::uint32_t>& numbers) {
  std::string list;
  for (std::uint32_t number : numbers) {
    if (!list.empty()) list += ',';
    list += std::to_string(number);
  }
  return list;
}

// The version of a table: its row of pg_class (renames and grants write it), its rows of
// pg_attribute, which every change of a column rewrites (a default's too, through atthasdef),
// and its rows of pg_index (keys), all read by index.
constexpr const char* kTableVersion =
    "concat(c.xmin, '/', (SELECT count(*) || ':' || max(xmin::text::bigint) FROM pg_attribute "
    "WHERE attrelid = c.oid), '/', (SELECT count(*) || ':' || "
    "coalesce(max(xmin::text::bigint), 0) FROM pg_index WHERE indrelid = c.oid))";

// The identifiers written into these statements are numbers (PQftable's), never text.
std::string VersionsSql(const std::set<std::uint32_t>& tables) {
  return std::string("SELECT c.oid, ") + kTableVersion + " FROM pg_class c WHERE c.oid IN (" +
         NumberList(tables) + ")";
}

// Joins of the catalogue take longer to plan than these plain statements take to run, so the
// column facts come from three statements sent at once.
std::string ColumnFactsSql(const std::set<std::uint32_t>& tables) {
  const std::string in = " IN (" + NumberList(tables) + ")";
  return "SELECT attrelid, attnum, attname, attnotnull, attidentity <> '', attgenerated <> '' "
         "FROM pg_attribute WHERE NOT attisdropped AND attrelid" +
         in +
         ";"
         "SELECT c.oid, c.relname, "
         "(SELECT nspname FROM pg_namespace n WHERE n.oid = c.relnamespace) "
         "FROM pg_class c WHERE c.oid" +
         in +
         ";"
         "SELECT adrelid, adnum, pg_get_expr(adbin, adrelid) = 'true' FROM pg_attrdef "
         "WHERE adrelid" +
         in;
}

constexpr const char* kPrimaryKeySql = R"(
SELECT a.attname
FROM pg_index i
JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey)
WHERE i.indrelid = to_regclass($1) AND i.indisprimary
ORDER BY array_position(i.indkey::int2[], a.attnum))";

// Routines of that name as written or folded, in a schema as written or folded, or along the
// search path; the exact name first, then the first schema of the path.
constexpr const char* kRoutineSql = R"(
SELECT n.nspname, p.proname, p.prokind
FROM pg_proc p
JOIN pg_namespace n ON n.oid = p.pronamespace
WHERE p.proname IN ($1::text::name, lower($1::text)::name)
  AND CASE WHEN $2::text = '' THEN n.nspname = ANY(current_schemas(true))
           ELSE n.nspname IN ($2::text::name, lower($2::text)::name) END
ORDER BY p.proname = $1::text DESC, n.nspname = $2::text DESC,
         array_position(current_schemas(true), n.nspname)
LIMIT 1)";

std::string Text(const PGresult* result, int row, int column) {
  return std::string(PQgetvalue(result, row, column),
                     static_cast<size_t>(PQgetlength(result, row, column)));
}

bool Flag(const PGresult* result, int row, int column) {
  return PQgetvalue(result, row, column)[0] == 't';
}

std::uint32_t Number(const PGresult* result, int row, int column) {
  return static_cast<std::uint32_t>(std::strtoul(PQgetvalue(result, row, column), nullptr, 10));
}

int SignedNumber(const PGresult* result, int row, int column) {
  return std::atoi(PQgetvalue(result, row, column));
}

}  // namespace

std::string SnapshotRowSql(std::string_view snapshot_function) {
  return std::string("SELECT NULL, ") + std::string(snapshot_function) + "::text, NULL";
}

// The oids are written into the text, so that the server plans it once per set of tables.
// Given as an array parameter, whose length a generic plan cannot know, they made the generic
// plan look dearer than planning every run anew, which took 0.3 ms of a record view's 0.4.
// The snapshot gates the rest as a one-time filter: when it is unchanged, the catalogue's rows
// are not read, which is most of the statement's time.
std::string TableVersionsSql(const std::set<std::uint32_t>& tables,
                             std::string_view snapshot_function) {
  const std::string snapshot = std::string(snapshot_function) + "::text";
  std::string sql = std::string("SELECT c.oid, ") + kTableVersion +
                    ", c.oid = to_regclass($1::text) FROM pg_class c WHERE (";
  if (!tables.empty()) sql += "c.oid IN (" + NumberList(tables) + ") OR ";
  sql += "c.oid = to_regclass($1::text)) AND " + snapshot + " IS DISTINCT FROM $2::text";
  sql += " UNION ALL " + SnapshotRowSql(snapshot_function);
  return sql;
}

std::set<std::uint32_t> ColumnFactsCache::Unchecked() const {
  std::set<std::uint32_t> unchecked;
  for (const auto& [id, table] : tables_) {
    if (table.checked != generation_ && table.used + 1 >= generation_) unchecked.insert(id);
  }
  return unchecked;
}

ColumnFactsCache::Check ColumnFactsCache::CheckOf(const PostgresConnection& connection,
                                                  std::set<std::uint32_t> tables,
                                                  std::string_view name,
                                                  bool snapshot_only) const {
  Check check;
  check.tables = std::move(tables);
  check.name = name;
  // Most statements have nothing to check: their text is not made for nothing.
  if (check.empty()) return check;
  check.signing = connection.SnapshotShowsEveryChange();
  check.since = AgreedSnapshot(check);
  check.snapshot_only = snapshot_only && !check.since.empty();
  if (check.snapshot_only) {
    check.sql = SnapshotRowSql(connection.SnapshotFunction());
    return check;
  }
  check.sql = TableVersionsSql(check.tables, connection.SnapshotFunction());
  if (!check.name.empty()) check.quoted = connection.QuoteIdentifier(check.name);
  return check;
}

std::string ColumnFactsCache::AgreedSnapshot(const Check& check) const {
  if (!check.signing) return {};
  // Only a snapshot that every one of them was found current in stands for all of them.
  std::optional<std::string> since;
  const auto agrees = [&since](const std::string& snapshot) {
    if (snapshot.empty()) return false;
    if (!since) since = snapshot;
    return *since == snapshot;
  };
  for (std::uint32_t id : check.tables) {
    const auto table = tables_.find(id);
    if (table == tables_.end() || !agrees(table->second.snapshot)) return {};
  }
  if (!check.name.empty()) {
    const auto named = names_.find(check.name);
    if (named == names_.end() || !agrees(named->second.snapshot)) return {};
  }
  return *since;
}

std::string ColumnFactsCache::Run(PostgresConnection& connection, const Check& check) {
  std::array<std::optional<std::string>, 2> parameters;
  if (!check.quoted.empty()) parameters[0] = check.quoted;
  if (!check.since.empty()) parameters[1] = check.since;
  return TakeVersions(check, {connection.RunKept(check.sql, parameters).get()});
}

std::string ColumnFactsCache::TakeVersions(const Check& check,
                                           const std::vector<const PGresult*>& results) {
  // Names of no table are not kept, so that requests for made-up names keep nothing.
  constexpr size_t kKeptNames = 256;
  const std::string_view name = check.name;
  std::map<std::uint32_t, std::string> current;
  std::string named;
  std::optional<std::string> snapshot;
  for (const PGresult* versions : results) {
    for (int row = 0; row < PQntuples(versions); ++row) {
      if (PQgetisnull(versions, row, 0)) {
        snapshot = Text(versions, row, 1);
        continue;
      }
      current[Number(versions, row, 0)] = Text(versions, row, 1);
      if (!name.empty() && Flag(versions, row, 2))
        named = Text(versions, row, 0) + "/" + Text(versions, row, 1);
    }
  }
  // Nothing has committed since all of them were found current: they still are.
  const auto kept_name = names_.find(name);
  quiet_ = !check.since.empty() && snapshot == check.since;
  if (quiet_ && (name.empty() || kept_name != names_.end())) {
    for (std::uint32_t id : check.tables) {
      if (const auto table = tables_.find(id); table != tables_.end())
        table->second.checked = generation_;
    }
    if (name.empty()) return named;
    if (name == pending_name_) pending_name_.clear();
    kept_name->second.checked = generation_;
    return kept_name->second.version;
  }
  // Something committed since: no version was read, so none is found current or changed.
  if (check.snapshot_only) return {};
  // Read in a transaction, or in a session whose settings a page changed, a version may not
  // hold outside it: it is kept with no snapshot, and checked in full next time.
  const std::string found_in = check.signing && snapshot ? *snapshot : std::string();
  for (std::uint32_t id : check.tables) {
    const auto table = tables_.find(id);
    if (table == tables_.end()) continue;
    const auto version = current.find(id);
    if (version != current.end() && version->second == table->second.version) {
      table->second.checked = generation_;
      table->second.snapshot = found_in;
    } else {
      tables_.erase(table);  // read again at its next use
      ++changes_;
      if (deferred_) stale_ = true;
    }
  }
  if (name.empty()) return named;
  if (name == pending_name_) {
    pending_name_.clear();
    if (kept_name == names_.end() || kept_name->second.version != named) stale_ = true;
  }
  if (named.empty()) {
    if (kept_name != names_.end()) names_.erase(kept_name);
    return named;
  }
  if (names_.size() >= kKeptNames && names_.count(name) == 0) names_.clear();
  NamedTable& table = names_[std::string(name)];
  table.version = named;
  table.snapshot = found_in;
  table.checked = generation_;
  return named;
}

std::string ColumnFactsCache::TableVersion(PostgresConnection& connection,
                                           std::string_view name) {
  const auto kept = names_.find(name);
  if (kept != names_.end() && kept->second.checked == generation_) return kept->second.version;
  if (kept != names_.end() && deferred_ && (pending_name_.empty() || pending_name_ == name)) {
    pending_name_ = name;
    return kept->second.version;
  }
  return Run(connection, CheckOf(connection, Unchecked(), name));
}

ColumnFactsCache::Check ColumnFactsCache::Due(const PostgresConnection& connection) const {
  return CheckOf(connection, Unchecked(), pending_name_, quiet_);
}

bool ColumnFactsCache::Settle(PostgresConnection& connection) {
  if (!deferred_) return true;
  std::set<std::uint32_t> due;
  for (const auto& [id, table] : tables_) {
    // Used unchecked since Defer.
    if (table.used >= deferred_from_ && table.checked < table.used) due.insert(id);
  }
  if (!due.empty() || !pending_name_.empty()) {
    Run(connection, CheckOf(connection, due, pending_name_));
  }
  deferred_ = false;
  pending_name_.clear();
  const bool held = !stale_;
  stale_ = false;
  return held;
}

std::vector<std::optional<TableColumnFacts>> ColumnFactsCache::Lookup(
    PostgresConnection& connection, const std::vector<TableColumnRef>& columns) {
  std::set<std::uint32_t> unchecked;
  for (const TableColumnRef& column : columns) {
    const auto table = tables_.find(column.table);
    if (table != tables_.end() && table->second.checked != generation_)
      unchecked.insert(column.table);
  }
  // Deferred, the facts kept are used as they are; their check travels with a statement.
  if (!unchecked.empty() && !deferred_) Run(connection, CheckOf(connection, unchecked, {}));
  std::set<std::uint32_t> missing;
  for (const TableColumnRef& column : columns) {
    // A column the table did not have when it was read was added since.
    const auto table = tables_.find(column.table);
    if (table == tables_.end() || table->second.columns.count(column.number) == 0)
      missing.insert(column.table);
  }
  if (!missing.empty()) Read(connection, missing);
  std::vector<std::optional<TableColumnFacts>> facts(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    const auto table = tables_.find(columns[i].table);
    if (table == tables_.end()) continue;
    table->second.used = generation_;
    const auto column = table->second.columns.find(columns[i].number);
    if (column != table->second.columns.end()) facts[i] = column->second;
  }
  return facts;
}

void ColumnFactsCache::Read(PostgresConnection& connection,
                            const std::set<std::uint32_t>& tables) {
  // The versions are read before the facts they vouch for, so that a change between the two
  // shows at the next check.
  const std::vector<PostgresResult> results =
      connection.RunScript(VersionsSql(tables) + ";" + ColumnFactsSql(tables));
  if (results.size() != 4) throw Error(errc::kDatabase, "The catalogue query gave no answer");
  std::map<std::uint32_t, std::string> versions;
  for (int row = 0; row < PQntuples(results[0].get()); ++row)
    versions[Number(results[0].get(), row, 0)] = Text(results[0].get(), row, 1);
  const PGresult* attributes = results[1].get();
  const PGresult* classes = results[2].get();
  const PGresult* defaults = results[3].get();
  // A table the catalogue no longer shows is forgotten.
  for (std::uint32_t table : tables) tables_.erase(table);
  for (int row = 0; row < PQntuples(classes); ++row) {
    const std::uint32_t id = Number(classes, row, 0);
    const auto version = versions.find(id);
    Table& table = tables_[id];
    table.name = {Text(classes, row, 2), Text(classes, row, 1)};
    table.version = version == versions.end() ? std::string() : version->second;
    table.checked = generation_;
  }
  std::map<std::pair<std::uint32_t, int>, bool> defaults_true;  // every default: whether true
  for (int row = 0; row < PQntuples(defaults); ++row) {
    defaults_true.emplace(std::pair(Number(defaults, row, 0), SignedNumber(defaults, row, 1)),
                          Flag(defaults, row, 2));
  }
  for (int row = 0; row < PQntuples(attributes); ++row) {
    const std::uint32_t table_id = Number(attributes, row, 0);
    const int number = SignedNumber(attributes, row, 1);
    const auto table = tables_.find(table_id);
    if (table == tables_.end()) continue;
    const auto default_value = defaults_true.find({table_id, number});
    table->second.columns[number] = TableColumnFacts{
        table->second.name, Text(attributes, row, 2), Flag(attributes, row, 3),
        Flag(attributes, row, 4) || default_value != defaults_true.end(),
        Flag(attributes, row, 5),
        default_value != defaults_true.end() && default_value->second};
  }
}

std::vector<std::string> ReadPrimaryKey(PostgresConnection& connection, const TableName& table) {
  const std::array<std::optional<std::string>, 1> parameters = {
      connection.QuoteIdentifier(table.schema) + "." + connection.QuoteIdentifier(table.table)};
  const PostgresResult result = connection.Run(kPrimaryKeySql, parameters);
  std::vector<std::string> key;
  for (int row = 0; row < PQntuples(result.get()); ++row) key.push_back(Text(result.get(), row, 0));
  return key;
}

std::optional<std::string> RoutineCall(PostgresConnection& connection, std::string_view name,
                                       int argument_count) {
  const size_t dot = name.find('.');
  const std::string schema = dot == std::string_view::npos ? "" : std::string(name.substr(0, dot));
  const std::string routine =
      std::string(dot == std::string_view::npos ? name : name.substr(dot + 1));
  const std::array<std::optional<std::string>, 2> parameters = {routine, schema};
  const PostgresResult result = connection.Run(kRoutineSql, parameters);
  if (PQntuples(result.get()) == 0) return std::nullopt;
  std::string call = PQgetvalue(result.get(), 0, 2)[0] == 'p' ? "CALL " : "SELECT * FROM ";
  call += connection.QuoteIdentifier(Text(result.get(), 0, 0)) + "." +
          connection.QuoteIdentifier(Text(result.get(), 0, 1)) + "(";
  for (int i = 0; i < argument_count; ++i) call += i == 0 ? "?" : ", ?";
  return call + ")";
}

}  // namespace kelvo::data
