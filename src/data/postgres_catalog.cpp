#include "data/postgres_catalog.h"

#include <array>

#include "data/postgres_connection.h"

namespace kelvo::data {
namespace {

constexpr const char* kColumnFactsSql = R"(
SELECT k.ord, n.nspname, c.relname, a.attname, a.attnotnull,
       a.attidentity <> '' OR COALESCE(pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false),
       a.attgenerated <> ''
FROM unnest($1::oid[], $2::int2[]) WITH ORDINALITY AS k(rel, num, ord)
JOIN pg_attribute a ON a.attrelid = k.rel AND a.attnum = k.num AND NOT a.attisdropped
JOIN pg_class c ON c.oid = a.attrelid
JOIN pg_namespace n ON n.oid = c.relnamespace
LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum)";

constexpr const char* kPrimaryKeySql = R"(
SELECT a.attname
FROM pg_index i
JOIN pg_class c ON c.oid = i.indrelid
JOIN pg_namespace n ON n.oid = c.relnamespace
JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey)
WHERE i.indisprimary AND c.relname = $1 AND n.nspname = $2
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

}  // namespace

std::vector<std::optional<TableColumnFacts>> ReadColumnFacts(
    PostgresConnection& connection, const std::vector<TableColumnRef>& columns) {
  std::string tables = "{";
  std::string numbers = "{";
  for (const TableColumnRef& column : columns) {
    if (tables.size() > 1) {
      tables += ',';
      numbers += ',';
    }
    tables += std::to_string(column.table);
    numbers += std::to_string(column.number);
  }
  const std::array<std::optional<std::string>, 2> parameters = {tables + "}", numbers + "}"};
  const PostgresResult result = connection.Run(kColumnFactsSql, parameters);
  std::vector<std::optional<TableColumnFacts>> facts(columns.size());
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    const auto ordinal = std::stoul(Text(result.get(), row, 0));
    if (ordinal < 1 || ordinal > facts.size()) continue;
    facts[ordinal - 1] = TableColumnFacts{{Text(result.get(), row, 1), Text(result.get(), row, 2)},
                                          Text(result.get(), row, 3),
                                          Flag(result.get(), row, 4),
                                          Flag(result.get(), row, 5),
                                          Flag(result.get(), row, 6)};
  }
  return facts;
}

std::vector<std::string> ReadPrimaryKey(PostgresConnection& connection, const TableName& table) {
  const std::array<std::optional<std::string>, 2> parameters = {table.table, table.schema};
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
