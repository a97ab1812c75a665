#include "data/sqlite_statement.h"

#include "data/sqlite_types.h"
#include "kelvo/data.h"
#include "kelvo/error.h"

namespace kelvo::data {
namespace {

std::string TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

SqliteStatement::SqliteStatement(SqliteConnection& connection, sqlite3_stmt* statement,
                                 std::string sql, std::int64_t schema_version)
    : connection_(connection),
      statement_(statement),
      sql_(std::move(sql)),
      schema_version_(schema_version),
      types_(static_cast<size_t>(sqlite3_column_count(statement)), 0),
      classes_(types_.size(), ValueClass::kText) {}

SqliteStatement::~SqliteStatement() {
  if (sql_.empty()) {
    sqlite3_finalize(statement_);
  } else {
    connection_.Recycle(std::move(sql_), statement_, schema_version_);
  }
}

int SqliteStatement::ParameterCount() const { return sqlite3_bind_parameter_count(statement_); }

void SqliteStatement::Bind(int index, const Variant& value) {
  BindValue(statement_, index + 1, value);
}

int SqliteStatement::ColumnCount() const { return static_cast<int>(types_.size()); }

bool SqliteStatement::Step() {
  if (sqlite3_stmt_busy(statement_) == 0) connection_.BeforeRunning(statement_);
  const int rc = sqlite3_step(statement_);
  has_row_ = rc == SQLITE_ROW;
  if (has_row_ || rc == SQLITE_DONE) return has_row_;
  // sqlite3_reset would overwrite the message, so take it first.
  Error error(errc::kDatabase, sqlite3_errmsg(connection_.handle()));
  sqlite3_reset(statement_);
  throw error;
}

void SqliteStatement::Reset() {
  has_row_ = false;
  sqlite3_reset(statement_);
}

long SqliteStatement::Execute() {
  sqlite3* db = connection_.handle();
  const sqlite3_int64 before = sqlite3_total_changes64(db);
  while (Step()) {
  }
  // sqlite3_changes keeps the count of the last INSERT, UPDATE or DELETE, so a statement that
  // changed nothing must not report it.
  const long changed =
      sqlite3_total_changes64(db) == before ? 0 : static_cast<long>(sqlite3_changes64(db));
  Reset();
  return changed;
}

std::vector<ColumnInfo> SqliteStatement::DescribeColumns() {
  // A statement kept for reuse is described once while the schema stays as it is, unless a
  // column is typed by its value.
  const std::vector<ColumnInfo>* kept =
      sql_.empty() ? nullptr : connection_.KeptDescription(sql_, schema_version_);
  std::vector<ColumnInfo> columns;
  if (kept != nullptr) {
    columns = *kept;
  } else {
    connection_.StartSchemaQuestions();
    columns.reserve(types_.size());
    bool declared = true;
    for (int i = 0; i < ColumnCount(); ++i) columns.push_back(Describe(i, declared));
    if (!sql_.empty() && declared) connection_.KeepDescription(sql_, schema_version_, columns);
  }
  for (size_t i = 0; i < columns.size(); ++i) {
    types_[i] = columns[i].type;
    classes_[i] = ValueClassOf(columns[i].type);
  }
  return columns;
}

ColumnInfo SqliteStatement::Describe(int column, bool& declared_type) {
  ColumnInfo info;
  info.name = TextOrEmpty(sqlite3_column_name(statement_, column));
  const char* declared = sqlite3_column_decltype(statement_, column);
  std::optional<SqliteColumnType> type;
  if (declared != nullptr) type = TypeOfDeclared(declared);
  if (!type) {
    declared_type = false;
    const int storage = has_row_ ? sqlite3_column_type(statement_, column) : SQLITE_NULL;
    type = TypeOfValue(storage,
                       storage == SQLITE_INTEGER ? sqlite3_column_int64(statement_, column) : 0);
  }
  info.type = type->type;
  info.defined_size = type->defined_size;

  const char* table = sqlite3_column_table_name(statement_, column);
  if (table == nullptr) return info;  // an expression
  info.origin = {TextOrEmpty(sqlite3_column_database_name(statement_, column)), table};
  info.base_column = TextOrEmpty(sqlite3_column_origin_name(statement_, column));
  const SqliteConnection::ColumnFacts facts =
      connection_.ColumnFactsOf(info.origin, info.base_column);
  if (!facts.known) return info;  // described by its declared type or value alone
  info.nullable = !facts.not_null;
  info.auto_increment = facts.assigned;
  info.true_by_default = info.type == ado::adBoolean && facts.true_by_default;
  if (facts.generated) info.base_column.clear();
  return info;
}

Variant SqliteStatement::Value(int column) const {
  return TypedValue(sqlite3_column_value(statement_, column),
                    classes_[static_cast<size_t>(column)]);
}

void SqliteStatement::ReadValue(int column, Variant& into) const {
  ReadTypedValue(sqlite3_column_value(statement_, column), classes_[static_cast<size_t>(column)],
                 into);
}

Variant SqliteStatement::Stored(int column) const {
  return StoredValue(sqlite3_column_value(statement_, column));
}

long SqliteStatement::ActualSize(int column) const {
  return StoredSize(sqlite3_column_value(statement_, column), types_[static_cast<size_t>(column)]);
}

}  // namespace kelvo::data
