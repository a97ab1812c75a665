// The SQLite provider's connection.
//
// Connection string keys: Provider=SQLite; Data Source=FILE (":memory:" for a private
// in-memory database); Mode=ReadWrite (the default: the file must exist), Create (a missing
// file is created) or ReadOnly; Busy Timeout=milliseconds (default 5000); Foreign Keys=On (the
// default) or Off. The URL form is "sqlite:FILE?mode=create&busy_timeout=2000". Any other key
// is an error, so that a misspelt key is not silently ignored. File databases opened for
// writing use write-ahead logging, so readers never wait for a writer, and wait up to the busy
// timeout for another connection's write lock.
#ifndef KELVO_DATA_SQLITE_CONNECTION_H_
#define KELVO_DATA_SQLITE_CONNECTION_H_

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/kept_counts.h"
#include "data/provider.h"

namespace kelvo::data {

std::unique_ptr<ProviderConnection> OpenSqliteConnection(const ConnectionSettings& settings,
                                                         std::string_view user,
                                                         std::string_view password);

class SqliteConnection final : public ProviderConnection {
 public:
  // Takes ownership of an open handle.
  explicit SqliteConnection(sqlite3* db) : db_(db) {}
  ~SqliteConnection() override;

  std::unique_ptr<ProviderStatement> Prepare(std::string_view sql) override;
  long ExecuteScript(std::string_view sql) override;
  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;
  bool Usable() override;
  void ResetForReuse() override;
  void ShareReadsUntilReset() override { shares_reads_ = true; }
  std::optional<std::string> NativeProcedure(std::string_view name, int argument_count) override;
  std::vector<std::string> PrimaryKey(const TableName& table) override;
  std::optional<std::vector<ColumnInfo>> KeptColumns(std::string_view sql) override;
  std::optional<std::string> TableVersion(std::string_view name) override;
  std::string QuoteIdentifier(std::string_view name) const override;
  std::optional<long long> KeptCountWithin(std::string_view sql,
                                           std::span<const Variant> parameters, int budget_ms,
                                           int max_age_seconds) override;
  std::optional<long long> CountWithin(std::string_view sql, std::span<const Variant> parameters,
                                       int budget_ms) override;
  std::optional<std::vector<std::vector<Variant>>> RowsWithin(std::string_view sql,
                                                               std::span<const Variant> parameters,
                                                               long max_rows,
                                                               int budget_ms) override;
  std::optional<long long> EstimatedRows(std::string_view sql) override;
  std::string WithSkippedRows(std::string_view sql, long skip,
                              std::size_t parameter_count) const override;
  std::string NullSafeEquals(std::string_view quoted_column) const override;
  std::string LikeIgnoringCase(std::string_view quoted_column,
                               std::optional<std::string_view> pattern) const override;
  bool NullsSortFirst() const override { return true; }
  Variant Typed(const Variant& stored, int type) const override;
  Variant ToStored(const Variant& value, int type) const override;
  long StoredSize(const Variant& stored, int type) const override;

  // What the schema declares of a table's column.
  struct ColumnFacts {
    bool known = false;  // false when SQLite cannot say (table-valued functions: json_each)
    bool not_null = false;
    // A column that an insert leaving it out fills: one with a default, one declared
    // AUTOINCREMENT, the single INTEGER PRIMARY KEY of a rowid table (which aliases the rowid),
    // or the rowid.
    bool assigned = false;
    bool generated = false;  // computed by the table: it cannot be written
    bool true_by_default = false;
  };
  // The facts of `column` of `table`. Facts of the main database are read once and kept until
  // its schema version changes, which is checked once per StartSchemaQuestions.
  ColumnFacts ColumnFactsOf(const TableName& table, const std::string& column);
  // Begins a run of schema questions (one statement's description): the next answer first
  // makes sure that the kept facts are still the schema's.
  void StartSchemaQuestions() { schema_checked_ = false; }

  sqlite3* handle() const { return db_; }
  // Called before each run of `statement`: one that does more than read ends the shared read
  // transaction first, so that it runs as it would alone.
  void BeforeRunning(sqlite3_stmt* statement);
  [[noreturn]] void Fail() const;  // throws Error(errc::kDatabase) with SQLite's last message

  // Takes back a statement that Prepare made from `sql` under `schema_version`, for the next
  // Prepare of the same text while the schema stays as it is.
  void Recycle(std::string sql, sqlite3_stmt* statement, std::int64_t schema_version);
  // The columns of `sql` as a statement prepared under `schema_version` described them, kept
  // while the schema stays as it is; null when none were kept.
  const std::vector<ColumnInfo>* KeptDescription(std::string_view sql,
                                                 std::int64_t schema_version) const;
  // Keeps a description that no row could change: every column has a declared type.
  void KeepDescription(std::string_view sql, std::int64_t schema_version,
                       const std::vector<ColumnInfo>& columns);

 private:
  struct KeyFacts {
    std::vector<std::string> declared;      // PRIMARY KEY columns in key order
    std::vector<std::string> with_default;  // columns an insert that leaves them out fills
    std::vector<std::string> generated;     // columns computed by the table
    std::vector<std::string> true_by_default;  // columns whose default is 1 or TRUE
    bool has_rowid_column = false;          // a real column is named rowid
    bool rowid_table = true;
  };
  KeyFacts ReadKeyFacts(const TableName& table);
  KeyFacts KeyFactsOf(const TableName& table);  // kept or read
  ColumnFacts ReadColumnFacts(const TableName& table, const std::string& column);
  // Whether facts of `table` may be kept; drops the kept ones when the schema changed.
  bool KeepsFactsOf(const TableName& table);
  // The table's rows by ANALYZE's statistics, else its highest rowid.
  std::optional<long long> TableRows(const TableName& table);
  std::int64_t SchemaVersion();
  // Begins the read transaction that a user's reads share, unless one (theirs or a page's own)
  // is open.
  void StartReading();
  // Ends the shared read transaction, if open.
  void EndReading();
  // Whether the shared read transaction is open.
  bool InSharedRead();
  // Runs a statement without results, preparing it into `statement` the first time.
  void RunOnce(sqlite3_stmt*& statement, const char* sql);
  // Makes the schema that other connections changed this one's: a read of the schema table.
  bool ReadSchema();
  // The number a pragma `sql` answers, preparing it into `statement` the first time.
  std::int64_t ReadNumber(sqlite3_stmt*& statement, const char* sql);
  void ForgetStatements();
  long RunScript(std::string_view sql);  // ExecuteScript, keeping the kept statements
  // Drops the kept statements when the schema changed since they were prepared: a kept
  // statement would show the columns it was prepared with until it runs again.
  void KeepStatementsCurrent();

  sqlite3* db_;
  sqlite3_stmt* schema_version_ = nullptr;  // prepared on first use
  bool schema_checked_ = false;
  std::int64_t kept_version_ = -1;
  std::map<std::string, KeyFacts> kept_keys_;        // by table
  std::map<std::string, ColumnFacts> kept_columns_;  // by table and column
  sqlite3_stmt* schema_check_ = nullptr;
  // Prepared statements not in use, the most recently used last.
  std::vector<std::pair<std::string, sqlite3_stmt*>> kept_statements_;
  std::vector<std::pair<std::string, std::vector<ColumnInfo>>> kept_descriptions_;
  std::int64_t statements_version_ = -1;
  sqlite3_stmt* temp_schema_version_ = nullptr;
  // The shared read transaction: whether reads may share one, whether it is open, and what
  // was learnt inside it, which holds until it ends (the schema cannot change under it).
  bool shares_reads_ = false;
  bool reading_ = false;
  bool statements_checked_ = false;
  std::int64_t read_version_ = -1;
  std::int64_t read_data_version_ = -1;
  sqlite3_stmt* data_version_ = nullptr;
  // Counts taken in a shared read, with what says whether the database changed since: the
  // data version (other connections' commits), this connection's own changes and the schema.
  struct CountSign {
    std::int64_t data_version = 0;
    std::int64_t own_changes = 0;
    std::int64_t schema_version = 0;
    bool operator==(const CountSign&) const = default;
  };
  KeptCounts<CountSign> kept_counts_;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_CONNECTION_H_
