#include "data/sqlite_connection.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>

#include "data/sqlite_fold.h"
#include "data/sqlite_statement.h"
#include "data/sqlite_values.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';'; }

// Whether `sql` begins as a query does. Other statements that SQLite counts as reading only
// (BEGIN, COMMIT, pragmas, some of which do nothing inside a transaction) never run inside a
// shared read.
bool BeginsAsQuery(std::string_view sql) {
  size_t start = 0;
  while (start < sql.size() && (IsSpace(sql[start]) || sql[start] == '(')) ++start;
  size_t end = start;
  while (end < sql.size() && std::isalpha(static_cast<unsigned char>(sql[end])) != 0) ++end;
  const std::string_view word = sql.substr(start, end - start);
  return EqualsIgnoreCase(word, "select") || EqualsIgnoreCase(word, "with") ||
         EqualsIgnoreCase(word, "values");
}

// Enough for the statements of a few pages; the least recently used goes first.
constexpr size_t kKeptStatements = 48;

// Finalizes a statement when the scope ends.
struct FinalizeOnExit {
  sqlite3_stmt* statement = nullptr;
  ~FinalizeOnExit() { sqlite3_finalize(statement); }
};

// Asks SQLite to stop a statement once its deadline has passed; looked at every few
// thousand virtual machine steps, so its cost does not show.
int PastDeadline(void* deadline) {
  return std::chrono::steady_clock::now() >
                 *static_cast<const std::chrono::steady_clock::time_point*>(deadline)
             ? 1
             : 0;
}

// Removes the progress handler when the scope ends.
struct ProgressHandlerOnExit {
  sqlite3* db;
  ~ProgressHandlerOnExit() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
};

std::optional<long long> FirstNumber(sqlite3* db, const std::string& sql,
                                     std::optional<std::string_view> text_parameter = {}) {
  FinalizeOnExit statement;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement.statement, nullptr) != SQLITE_OK)
    return std::nullopt;
  if (text_parameter) {
    sqlite3_bind_text(statement.statement, 1, text_parameter->data(),
                      static_cast<int>(text_parameter->size()), SQLITE_TRANSIENT);
  }
  if (sqlite3_step(statement.statement) != SQLITE_ROW ||
      sqlite3_column_type(statement.statement, 0) == SQLITE_NULL)
    return std::nullopt;
  return sqlite3_column_int64(statement.statement, 0);
}

}  // namespace

SqliteConnection::~SqliteConnection() {
  for (const auto& [sql, statement] : kept_statements_) sqlite3_finalize(statement);
  sqlite3_finalize(schema_version_);
  sqlite3_finalize(temp_schema_version_);
  sqlite3_finalize(data_version_);
  sqlite3_finalize(schema_check_);
  sqlite3_finalize(begin_);
  sqlite3_finalize(commit_);
  sqlite3_close_v2(db_);
}

void SqliteConnection::Fail() const { throw Error(errc::kDatabase, sqlite3_errmsg(db_)); }

void SqliteConnection::KeepStatementsCurrent() {
  if (InSharedRead() && statements_checked_) return;
  // Temporary tables have a schema of their own.
  const std::int64_t version =
      (SchemaVersion() << 24) ^ ReadNumber(temp_schema_version_, "PRAGMA temp.schema_version");
  statements_checked_ = reading_;
  if (version == statements_version_) return;
  ForgetStatements();
  // The connection may not have read the changed schema yet; statements prepared from what it
  // last read would show the old columns.
  if (statements_version_ != -1 && !ReadSchema()) Fail();
  statements_version_ = version;
}

bool SqliteConnection::InSharedRead() {
  // A failing statement may have rolled the transaction back.
  if (reading_ && sqlite3_get_autocommit(db_) != 0) reading_ = false;
  return reading_;
}

void SqliteConnection::StartReading() {
  // An open transaction is the shared one, or the page's own, whose reads stay in it.
  if (!shares_reads_ || sqlite3_get_autocommit(db_) == 0) return;
  RunOnce(begin_, "BEGIN");
  reading_ = true;
  statements_checked_ = false;
  read_version_ = -1;
  read_data_version_ = -1;
}

void SqliteConnection::EndReading() {
  if (!InSharedRead()) return;
  reading_ = false;
  RunOnce(commit_, "COMMIT");
}

void SqliteConnection::BeforeRunning(sqlite3_stmt* statement) {
  if (reading_ &&
      (sqlite3_stmt_readonly(statement) == 0 || !BeginsAsQuery(sqlite3_sql(statement)))) {
    EndReading();
  }
}

void SqliteConnection::RunOnce(sqlite3_stmt*& statement, const char* sql) {
  if (statement == nullptr && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT,
                                                 &statement, nullptr) != SQLITE_OK) {
    Fail();
  }
  const int rc = sqlite3_step(statement);
  sqlite3_reset(statement);
  if (rc != SQLITE_DONE) Fail();
}

void SqliteConnection::ForgetStatements() {
  for (const auto& [sql, statement] : kept_statements_) sqlite3_finalize(statement);
  kept_statements_.clear();
  kept_descriptions_.clear();
}

const std::vector<ColumnInfo>* SqliteConnection::KeptDescription(
    std::string_view sql, std::int64_t schema_version) const {
  if (schema_version != statements_version_) return nullptr;
  for (const auto& [text, columns] : kept_descriptions_) {
    if (text == sql) return &columns;
  }
  return nullptr;
}

void SqliteConnection::KeepDescription(std::string_view sql, std::int64_t schema_version,
                                       const std::vector<ColumnInfo>& columns) {
  if (schema_version != statements_version_ || KeptDescription(sql, schema_version) != nullptr)
    return;
  if (kept_descriptions_.size() >= kKeptStatements)
    kept_descriptions_.erase(kept_descriptions_.begin());
  kept_descriptions_.emplace_back(std::string(sql), columns);
}

void SqliteConnection::Recycle(std::string sql, sqlite3_stmt* statement,
                               std::int64_t schema_version) {
  if (schema_version != statements_version_) {
    sqlite3_finalize(statement);
    return;
  }
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  if (kept_statements_.size() >= kKeptStatements) {
    sqlite3_finalize(kept_statements_.front().second);
    kept_statements_.erase(kept_statements_.begin());
  }
  kept_statements_.emplace_back(std::move(sql), statement);
}

std::unique_ptr<ProviderStatement> SqliteConnection::Prepare(std::string_view sql) {
  if (BeginsAsQuery(sql)) StartReading();
  KeepStatementsCurrent();
  for (auto it = kept_statements_.rbegin(); it != kept_statements_.rend(); ++it) {
    if (it->first != sql) continue;
    std::string text = std::move(it->first);
    sqlite3_stmt* statement = it->second;
    kept_statements_.erase(std::next(it).base());
    return std::make_unique<SqliteStatement>(*this, statement, std::move(text),
                                             statements_version_);
  }
  FinalizeOnExit prepared;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &prepared.statement,
                         &tail) != SQLITE_OK) {
    Fail();
  }
  if (prepared.statement == nullptr) throw Error(errc::kDatabase, "The statement is empty");
  std::string_view rest(tail, sql.data() + sql.size() - tail);
  while (!rest.empty() && IsSpace(rest.front())) rest.remove_prefix(1);
  if (!rest.empty()) {
    // The rest may be no more than a comment, which prepares to nothing.
    FinalizeOnExit next;
    if (sqlite3_prepare_v2(db_, rest.data(), static_cast<int>(rest.size()), &next.statement,
                           nullptr) != SQLITE_OK ||
        next.statement != nullptr) {
      throw Error(errc::kDatabase, "Only one statement can be run here, but more follow: " +
                                       std::string(rest.substr(0, 60)));
    }
  }
  auto statement = std::make_unique<SqliteStatement>(*this, prepared.statement, std::string(sql),
                                                     statements_version_);
  prepared.statement = nullptr;
  return statement;
}

long SqliteConnection::ExecuteScript(std::string_view sql) {
  // A script may attach a database, whose schema the kept statements would not follow.
  ForgetStatements();
  return RunScript(sql);
}

long SqliteConnection::RunScript(std::string_view sql) {
  long changed = 0;
  const char* next = sql.data();
  const char* const end = sql.data() + sql.size();
  while (next < end) {
    FinalizeOnExit prepared;
    if (sqlite3_prepare_v2(db_, next, static_cast<int>(end - next), &prepared.statement, &next) !=
        SQLITE_OK) {
      Fail();
    }
    if (prepared.statement == nullptr) break;  // only blanks or comments were left
    if (sqlite3_bind_parameter_count(prepared.statement) != 0) {
      throw Error(errc::kDatabase, "The statement has parameters but no values were given: " +
                                       std::string(sqlite3_sql(prepared.statement)));
    }
    SqliteStatement statement(*this, std::exchange(prepared.statement, nullptr));
    changed += statement.Execute();
  }
  return changed;
}

void SqliteConnection::BeginTransaction() {
  // IMMEDIATE takes the write lock now, waiting for it as long as the busy timeout allows;
  // a deferred transaction that writes later could fail at once instead.
  RunScript("BEGIN IMMEDIATE");
}

void SqliteConnection::CommitTransaction() { RunScript("COMMIT"); }

void SqliteConnection::RollbackTransaction() { RunScript("ROLLBACK"); }

bool SqliteConnection::Usable() {
  // Nothing breaks the link to a file; a schema that another connection changed is read again
  // before the next statement is prepared (KeepStatementsCurrent).
  return true;
}

bool SqliteConnection::ReadSchema() {
  // A statement is prepared from the schema the connection last read, and only notices that
  // another connection changed it when it runs, with the columns it was prepared with; a read
  // of the schema table, which checks, makes the next statements see the change.
  if (schema_check_ == nullptr &&
      sqlite3_prepare_v3(db_, "SELECT 1 FROM sqlite_schema LIMIT 1", -1,
                         SQLITE_PREPARE_PERSISTENT, &schema_check_, nullptr) != SQLITE_OK) {
    return false;
  }
  int rc = sqlite3_step(schema_check_);
  while (rc == SQLITE_ROW) rc = sqlite3_step(schema_check_);
  sqlite3_reset(schema_check_);
  return rc == SQLITE_DONE;
}

void SqliteConnection::ResetForReuse() {
  EndReading();
  if (sqlite3_get_autocommit(db_) == 0) RollbackTransaction();
}

std::optional<std::string> SqliteConnection::NativeProcedure(std::string_view /*name*/,
                                                             int /*argument_count*/) {
  return std::nullopt;  // SQLite has no procedures of its own
}

SqliteConnection::KeyFacts SqliteConnection::ReadKeyFacts(const TableName& table) {
  KeyFacts facts;
  // table_xinfo also lists generated columns (hidden 2 and 3), which table_info leaves out.
  auto statement = Prepare(
      "SELECT name, pk, dflt_value IS NOT NULL, hidden IN (2, 3), "
      "coalesce(lower(trim(dflt_value, '()''\" ')) IN ('1', 'true'), 0) "
      "FROM pragma_table_xinfo(?, ?) WHERE hidden <> 1 ORDER BY pk");
  statement->Bind(0, Variant(table.table));
  statement->Bind(1, Variant(table.schema));
  while (statement->Step()) {
    std::string name = statement->Stored(0).AsString();
    if (EqualsIgnoreCase(name, "rowid")) facts.has_rowid_column = true;
    if (statement->Stored(2).AsInt64() != 0) facts.with_default.push_back(name);
    if (statement->Stored(3).AsInt64() != 0) facts.generated.push_back(name);
    if (statement->Stored(4).AsInt64() != 0) facts.true_by_default.push_back(name);
    if (statement->Stored(1).AsInt64() > 0) facts.declared.push_back(std::move(name));
  }
  // Column metadata of "rowid" exists for every table except WITHOUT ROWID ones.
  facts.rowid_table =
      sqlite3_table_column_metadata(db_, table.schema.c_str(), table.table.c_str(), "rowid",
                                    nullptr, nullptr, nullptr, nullptr, nullptr) == SQLITE_OK;
  return facts;
}

SqliteConnection::ColumnFacts SqliteConnection::ReadColumnFacts(const TableName& table,
                                                                const std::string& column) {
  const char* declared_type = nullptr;
  int not_null = 0;
  int primary_key = 0;
  int autoincrement = 0;
  // Table-valued functions (pragma_table_info(...), json_each(...)) name an origin that the
  // schema does not hold.
  if (sqlite3_table_column_metadata(db_, table.schema.c_str(), table.table.c_str(), column.c_str(),
                                    &declared_type, nullptr, &not_null, &primary_key,
                                    &autoincrement) != SQLITE_OK) {
    return {};
  }
  ColumnFacts facts{.known = true, .not_null = not_null != 0};
  const KeyFacts& keys = KeyFactsOf(table);
  const auto names_column = [&](const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return EqualsIgnoreCase(name, column); });
  };
  facts.assigned = names_column(keys.with_default);
  facts.generated = names_column(keys.generated);
  facts.true_by_default = names_column(keys.true_by_default);
  if (primary_key == 0) return facts;
  if (autoincrement != 0) {
    facts.assigned = true;
  } else if (declared_type != nullptr && EqualsIgnoreCase(declared_type, "INTEGER")) {
    facts.assigned = facts.assigned || (keys.rowid_table && keys.declared.size() <= 1);
  }
  return facts;
}

bool SqliteConnection::KeepsFactsOf(const TableName& table) {
  if (table.schema != "main") return false;  // attached and temporary schemas change unseen
  if (schema_checked_) return true;
  const std::int64_t version = SchemaVersion();
  if (version != kept_version_) {
    kept_keys_.clear();
    kept_columns_.clear();
    kept_version_ = version;
  }
  schema_checked_ = true;
  return true;
}

std::int64_t SqliteConnection::ReadNumber(sqlite3_stmt*& statement, const char* sql) {
  if (statement == nullptr && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT,
                                                 &statement, nullptr) != SQLITE_OK) {
    Fail();
  }
  const int rc = sqlite3_step(statement);
  const std::int64_t number = rc == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
  sqlite3_reset(statement);
  if (rc != SQLITE_ROW) Fail();
  return number;
}

std::int64_t SqliteConnection::SchemaVersion() {
  if (InSharedRead() && read_version_ >= 0) return read_version_;
  const std::int64_t version = ReadNumber(schema_version_, "PRAGMA main.schema_version");
  if (reading_) read_version_ = version;
  return version;
}

SqliteConnection::ColumnFacts SqliteConnection::ColumnFactsOf(const TableName& table,
                                                              const std::string& column) {
  if (!KeepsFactsOf(table)) return ReadColumnFacts(table, column);
  // A NUL cannot occur in either name.
  const std::string key = table.table + '\0' + column;
  if (const auto kept = kept_columns_.find(key); kept != kept_columns_.end()) {
    return kept->second;
  }
  return kept_columns_.emplace(key, ReadColumnFacts(table, column)).first->second;
}

SqliteConnection::KeyFacts SqliteConnection::KeyFactsOf(const TableName& table) {
  if (!KeepsFactsOf(table)) return ReadKeyFacts(table);
  if (const auto kept = kept_keys_.find(table.table); kept != kept_keys_.end()) {
    return kept->second;
  }
  return kept_keys_.emplace(table.table, ReadKeyFacts(table)).first->second;
}

std::vector<std::string> SqliteConnection::PrimaryKey(const TableName& table) {
  StartSchemaQuestions();
  KeyFacts facts = KeyFactsOf(table);
  if (!facts.declared.empty()) return std::move(facts.declared);
  // A rowid table without a declared key is keyed by its rowid, unless a column hides it.
  if (facts.rowid_table && !facts.has_rowid_column) return {"rowid"};
  return {};
}

std::optional<std::vector<ColumnInfo>> SqliteConnection::KeptColumns(std::string_view sql) {
  if (!BeginsAsQuery(sql)) return std::nullopt;
  StartReading();
  KeepStatementsCurrent();
  if (const std::vector<ColumnInfo>* kept = KeptDescription(sql, statements_version_)) return *kept;
  return std::nullopt;
}

std::optional<std::string> SqliteConnection::TableVersion(std::string_view /*name*/) {
  // SQLite counts every change of its schema, and that count, read once per shared read, costs
  // less than finding the table.
  StartReading();
  return std::to_string(SchemaVersion());
}

std::string SqliteConnection::WithSkippedRows(std::string_view sql, long skip,
                                              std::size_t /*parameter_count*/) const {
  return "SELECT * FROM (" + std::string(sql) + ") LIMIT -1 OFFSET " + std::to_string(skip);
}

std::string SqliteConnection::QuoteIdentifier(std::string_view name) const {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string SqliteConnection::NullSafeEquals(std::string_view quoted_column) const {
  return std::string(quoted_column) + " IS ?";
}

Variant SqliteConnection::Typed(const Variant& stored, int type) const {
  if (stored.IsEmpty()) return stored;
  return TypedValue(stored, ValueClassOf(type));
}

Variant SqliteConnection::ToStored(const Variant& value, int type) const {
  return StoredFor(value, type);
}

long SqliteConnection::StoredSize(const Variant& stored, int type) const {
  return data::StoredSize(stored, type);
}

std::string SqliteConnection::LikeIgnoringCase(std::string_view quoted_column,
                                               std::optional<std::string_view> pattern) const {
  // LIKE folds the case of ASCII letters only. A pattern of other letters needs both sides
  // folded first, which costs a call per row; an ASCII pattern matches alike without it.
  if (pattern && IsAscii(*pattern)) return std::string(quoted_column) + " LIKE ? ESCAPE '\\'";
  return "kelvo_fold(" + std::string(quoted_column) + ") LIKE kelvo_fold(?) ESCAPE '\\'";
}

std::optional<long long> SqliteConnection::KeptCountWithin(std::string_view sql,
                                                           std::span<const Variant> parameters,
                                                           int budget_ms, int max_age_seconds) {
  if (max_age_seconds <= 0 || !BeginsAsQuery(sql)) return CountWithin(sql, parameters, budget_ms);
  StartReading();
  // Only a shared read sees the database as the count will: a page's own transaction may hold
  // changes it rolls back.
  std::string key;
  if (!InSharedRead() || !CountKey(sql, parameters, key)) {
    return CountWithin(sql, parameters, budget_ms);
  }
  KeepStatementsCurrent();
  if (read_data_version_ < 0) {
    read_data_version_ = ReadNumber(data_version_, "PRAGMA main.data_version");
  }
  const CountSign sign{read_data_version_, sqlite3_total_changes64(db_), statements_version_};
  const auto now = std::chrono::steady_clock::now();
  const auto* found = kept_counts_.Find(key, max_age_seconds, now);
  if (found != nullptr && found->sign == sign) return found->count;
  const std::optional<long long> counted = CountWithin(sql, parameters, budget_ms);
  // A count cut short, or one that left the shared read, is not kept.
  if (!counted || !InSharedRead()) return counted;
  kept_counts_.Keep({std::move(key), *counted, sign, now});
  return counted;
}

std::optional<long long> SqliteConnection::CountWithin(std::string_view sql,
                                                       std::span<const Variant> parameters,
                                                       int budget_ms) {
  // Through the kept statements: a grid counts the same statement on every request.
  const std::unique_ptr<ProviderStatement> prepared = Prepare(sql);
  if (prepared->ParameterCount() != static_cast<int>(parameters.size())) {
    throw Error(errc::kWrongArguments, "The count's parameters do not match its placeholders");
  }
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    prepared->Bind(static_cast<int>(i), parameters[i]);
  }
  sqlite3_stmt* statement = static_cast<SqliteStatement&>(*prepared).handle();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(budget_ms);
  BeforeRunning(statement);
  ProgressHandlerOnExit handler{db_};
  if (budget_ms > 0) {
    sqlite3_progress_handler(db_, 4000, PastDeadline, const_cast<void*>(static_cast<const void*>(&deadline)));
  }
  const int result = sqlite3_step(statement);
  if (result == SQLITE_INTERRUPT) return std::nullopt;
  if (result != SQLITE_ROW) Fail();
  return sqlite3_column_int64(statement, 0);
}

std::optional<std::vector<std::vector<Variant>>> SqliteConnection::RowsWithin(
    std::string_view sql, std::span<const Variant> parameters, long max_rows, int budget_ms) {
  const std::unique_ptr<ProviderStatement> prepared = Prepare(sql);
  if (prepared->ParameterCount() != static_cast<int>(parameters.size())) {
    throw Error(errc::kWrongArguments, "The query's parameters do not match its placeholders");
  }
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    prepared->Bind(static_cast<int>(i), parameters[i]);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(budget_ms);
  ProgressHandlerOnExit handler{db_};
  if (budget_ms > 0) {
    sqlite3_progress_handler(db_, 4000, PastDeadline, const_cast<void*>(static_cast<const void*>(&deadline)));
  }
  std::vector<std::vector<Variant>> rows;
  try {
    while (static_cast<long>(rows.size()) < max_rows && prepared->Step()) {
      // Described on the first row, which types the columns that declare no type.
      if (rows.empty()) prepared->DescribeColumns();
      std::vector<Variant>& row = rows.emplace_back();
      for (int column = 0; column < prepared->ColumnCount(); ++column) {
        row.push_back(prepared->Value(column));
      }
    }
  } catch (const Error&) {
    // The handler interrupts only past the deadline.
    if (budget_ms > 0 && std::chrono::steady_clock::now() > deadline) return std::nullopt;
    throw;
  }
  prepared->Reset();
  return rows;
}

namespace {

// Stops a sample after a fixed amount of work (200 calls, one per 1,000 virtual machine steps,
// about a millisecond or two), not of time: a busy machine samples a statement as an idle one
// does, so its estimate does not change with the load.
constexpr int kSampleWork = 200;

int PastSampleWork(void* calls) { return ++*static_cast<int*>(calls) > kSampleWork ? 1 : 0; }

// The share of the table's rows a statement over it keeps, from a short scan from the table's
// start: its first rows, or what a fixed amount of work reaches. Nothing when no full scan of
// the table serves the statement (an index does), or no row was scanned.
std::optional<double> KeptShare(sqlite3* db, std::string_view sql, long long& whole) {
  constexpr int kRowsKept = 1000;
  const std::string sample = "SELECT 1 FROM (" + std::string(sql) + ")";
  FinalizeOnExit prepared;
  if (sqlite3_prepare_v2(db, sample.c_str(), -1, &prepared.statement, nullptr) != SQLITE_OK ||
      prepared.statement == nullptr) {
    return std::nullopt;
  }
  int calls = 0;
  ProgressHandlerOnExit handler{db};
  sqlite3_progress_handler(db, 1000, PastSampleWork, &calls);
  int kept = 0;
  int result = SQLITE_ROW;
  while (kept < kRowsKept && (result = sqlite3_step(prepared.statement)) == SQLITE_ROW) ++kept;
  if (result == SQLITE_DONE) {
    whole = kept;  // the scan reached the end: every row is counted
    return std::nullopt;
  }
  if (result != SQLITE_ROW && result != SQLITE_INTERRUPT) return std::nullopt;
  // Steps past the first row: the scan starts on it without one. A scan stopped by its work
  // limit stands on a row not yet decided, which counts on neither side; counted as
  // dropped, it made a statement that keeps every row look like it kept fewer.
  const int steps = sqlite3_stmt_status(prepared.statement, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0);
  const int decided = result == SQLITE_INTERRUPT ? steps : steps + 1;
  if (steps <= 0 || decided <= 0) return std::nullopt;
  return std::min(1.0, static_cast<double>(kept) / decided);
}

}  // namespace

std::optional<long long> SqliteConnection::EstimatedRows(std::string_view sql) {
  // Statistics are kept per table: only a statement whose columns all come from one table has
  // an estimate, that table's size times the share of its rows the statement keeps.
  FinalizeOnExit prepared;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &prepared.statement,
                         nullptr) != SQLITE_OK ||
      prepared.statement == nullptr) {
    return std::nullopt;
  }
  const int columns = sqlite3_column_count(prepared.statement);
  std::optional<TableName> table;
  for (int column = 0; column < columns; ++column) {
    const char* name = sqlite3_column_table_name(prepared.statement, column);
    const char* schema = sqlite3_column_database_name(prepared.statement, column);
    if (name == nullptr || schema == nullptr) return std::nullopt;
    TableName origin{schema, name};
    if (table && !(*table == origin)) return std::nullopt;
    table = std::move(origin);
  }
  if (!table) return std::nullopt;
  long long whole = -1;
  const std::optional<double> share = KeptShare(db_, sql, whole);
  if (whole >= 0) return whole;
  const std::optional<long long> rows = TableRows(*table);
  if (!rows || !share) return rows;
  return std::llround(static_cast<double>(*rows) * *share);
}

std::optional<long long> SqliteConnection::TableRows(const TableName& table) {
  const std::string schema = QuoteIdentifier(table.schema);
  // ANALYZE's row count of the table (the first number of any of its rows) when it ran;
  // else the highest rowid, read from the end of the table's tree.
  if (FirstNumber(db_, "SELECT 1 FROM " + schema + ".sqlite_master WHERE name = 'sqlite_stat1'")) {
    if (auto rows = FirstNumber(db_, "SELECT CAST(stat AS INTEGER) FROM " + schema +
                                         ".sqlite_stat1 WHERE tbl = ?1 LIMIT 1",
                                table.table)) {
      return rows;
    }
  }
  return FirstNumber(db_, "SELECT max(rowid) FROM " + schema + "." + QuoteIdentifier(table.table));
}

}  // namespace kelvo::data
