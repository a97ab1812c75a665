// The SQLite provider's connection.
//
// Connection string keys: Provider=SQLite; Data Source=FILE (":memory:" for a private
// in-memory database); Mode=ReadWrite (the default: the file must exist), Create (a missing
// file is created) or ReadOnly; Busy Timeout=milliseconds (default 5000). The URL form is
// "sqlite:FILE?mode=create&busy_timeout=2000". Any other key is an error, so that a misspelt
// key is not silently ignored. File databases use write-ahead logging, so readers never wait
// for a writer, and wait up to the busy timeout for another connection's write lock.
#ifndef KELVO_DATA_SQLITE_CONNECTION_H_
#define KELVO_DATA_SQLITE_CONNECTION_H_

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
  std::optional<std::string> NativeProcedure(std::string_view name, int argument_count) override;
  std::vector<std::string> PrimaryKey(const TableName& table) override;
  std::string QuoteIdentifier(std::string_view name) const override;
  std::string WithSkippedRows(std::string_view sql, long skip) const override;
  std::string NullSafeEquals(std::string_view quoted_column) const override;
  Variant Typed(const Variant& stored, int type) const override;
  Variant ToStored(const Variant& value, int type) const override;
  long StoredSize(const Variant& stored, int type) const override;

  // Whether a key column is assigned by the database on insert: declared AUTOINCREMENT, or
  // the single INTEGER PRIMARY KEY of a rowid table (which aliases the rowid), or the rowid.
  bool IsAssignedKey(const TableName& table, std::string_view declared_type, bool autoincrement);

  sqlite3* handle() const { return db_; }
  [[noreturn]] void Fail() const;  // throws Error(errc::kDatabase) with SQLite's last message

 private:
  struct KeyFacts {
    std::vector<std::string> declared;  // PRIMARY KEY columns in key order
    bool has_rowid_column = false;      // a real column is named rowid
    bool rowid_table = true;
  };
  KeyFacts ReadKeyFacts(const TableName& table);

  sqlite3* db_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_CONNECTION_H_
