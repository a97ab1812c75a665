// The seam between the data-access objects and a database: a provider implements a connection
// and its prepared statements; the connection string names the provider.
//
// Placeholders are `?`, numbered from 0 in order; a provider translates them to its own
// dialect. Values cross the seam in two forms:
//   - typed values: what Field::Value shows, chosen by the column's ado::DataTypeEnum code;
//   - stored values: what the database holds, as Stored() reads them; binding a stored value
//     writes back exactly what was read, which is what optimistic comparisons need.
// Every failure throws kelvo::Error carrying the database's own message.
#ifndef KELVO_DATA_PROVIDER_H_
#define KELVO_DATA_PROVIDER_H_

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection_string.h"
#include "kelvo/variant.h"

namespace kelvo::data {

// A table as the database names it: schema (SQLite: "main", "temp" or an attached name) and
// table name.
struct TableName {
  std::string schema;
  std::string table;
  friend bool operator==(const TableName&, const TableName&) = default;
};

// What a result column is. A computed column (an expression) has an empty base_column.
struct ColumnInfo {
  std::string name;
  int type = 0;           // ado::DataTypeEnum
  long defined_size = 0;  // most characters; 0 when not limited
  bool nullable = true;
  // The database gives it a value when an insert leaves it out: an identity or rowid key, or a
  // default.
  bool auto_increment = false;
  // A Boolean column whose default is true: a new record starts with it true, since a box
  // cannot be left blank for the database to fill.
  bool true_by_default = false;
  TableName origin;
  std::string base_column;
};

class ProviderStatement {
 public:
  ProviderStatement() = default;
  ProviderStatement(const ProviderStatement&) = delete;
  ProviderStatement& operator=(const ProviderStatement&) = delete;
  virtual ~ProviderStatement() = default;

  virtual int ParameterCount() const = 0;
  // Binds the 0-based placeholder `index`. Any Variant kind except objects is accepted.
  virtual void Bind(int index, const Variant& value) = 0;

  virtual int ColumnCount() const = 0;
  // At most `max_rows` rows (more than 0) will be read from the next execution; a provider
  // may stop the database from producing more. Call before the first Step.
  virtual void LimitRows(long /*max_rows*/) {}
  // Moves to the next result row; false when there is none. Throws on failure.
  virtual bool Step() = 0;
  // Ends the current execution and lets go of the locks it holds; bindings stay.
  virtual void Reset() = 0;
  // Runs the statement to its end; returns the number of rows it changed.
  virtual long Execute() = 0;

  // Describes the result columns and fixes the types Value uses. Call once, after the first
  // Step: a column without a declared type is typed by the value of the first row.
  virtual std::vector<ColumnInfo> DescribeColumns() = 0;

  // The current row's column, typed as DescribeColumns said.
  virtual Variant Value(int column) const = 0;
  // Value, read into `into`; a provider may reuse the text storage `into` holds.
  virtual void ReadValue(int column, Variant& into) const { into = Value(column); }
  // The current row's column as the database holds it.
  virtual Variant Stored(int column) const = 0;
  // Bytes of the current row's column; 0 for no data.
  virtual long ActualSize(int column) const = 0;
};

class ProviderConnection {
 public:
  ProviderConnection() = default;
  ProviderConnection(const ProviderConnection&) = delete;
  ProviderConnection& operator=(const ProviderConnection&) = delete;
  virtual ~ProviderConnection() = default;

  // Prepares exactly one statement; text after it other than blanks is an error.
  virtual std::unique_ptr<ProviderStatement> Prepare(std::string_view sql) = 0;
  // Runs one or more statements without parameters; returns the number of rows changed.
  virtual long ExecuteScript(std::string_view sql) = 0;

  virtual void BeginTransaction() = 0;
  // A transaction whose reads see one snapshot, and whose writes to a row another transaction
  // changed since fail with Error(errc::kConflict). A provider whose transactions hold the
  // write lock from their start has nothing come between, and begins a plain one.
  virtual void BeginRepeatableReadTransaction() { BeginTransaction(); }
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;

  // Whether the connection still reaches its database, as far as can be told without a
  // round trip (a server that ended the session has said so). For a pooled connection.
  virtual bool Usable() = 0;
  // Makes a connection whose statements have all ended fit for the next user: an open
  // transaction is rolled back. Throws when it cannot, and the connection is then closed.
  virtual void ResetForReuse() = 0;
  // From now on the reads of one user (until ResetForReuse) may share one read transaction,
  // and so one view of the database, where a provider gains by it. Called by the pool, whose
  // users are requests; a connection used alone sees the latest data at every statement.
  virtual void ShareReadsUntilReset() {}

  // The statement that calls a procedure of the database itself with `argument_count`
  // placeholders, or nothing when the database has no procedure of that name.
  virtual std::optional<std::string> NativeProcedure(std::string_view name, int argument_count) = 0;

  // The primary key columns of a table in key order; empty when it has none.
  virtual std::vector<std::string> PrimaryKey(const TableName& table) = 0;

  // The result columns of `sql` as DescribeColumns gives them after a run, from what the
  // connection keeps of an earlier run of the same text, without running it; nothing when it
  // keeps none it can vouch for (the caller then runs the statement).
  virtual std::optional<std::vector<ColumnInfo>> KeptColumns(std::string_view /*sql*/) {
    return std::nullopt;
  }
  // Until FactsHeld, what the connection keeps of tables and statements (TableVersion,
  // KeptColumns, the columns' facts) is used without a round trip of its own: its check
  // travels with the next statement sent. For a caller that can do its work again.
  virtual void CheckFactsLater() {}
  // Ends what CheckFactsLater began: whether everything kept that was used since was current;
  // when not, the caller does its work again, which then finds the facts as they are now.
  virtual bool FactsHeld() { return true; }

  // A text that changes whenever the table named exactly `name` (found as the database finds
  // an unqualified name) is made, dropped, renamed, granted, keyed or given other columns;
  // empty when the name reaches no table, where a provider tells that apart. Nothing when the
  // provider has no check cheaper than the whole schema's version.
  virtual std::optional<std::string> TableVersion(std::string_view /*name*/) {
    return std::nullopt;
  }

  virtual std::string QuoteIdentifier(std::string_view name) const = 0;
  // The first value of the first row of `sql`, `parameters` bound to its placeholders, as a
  // whole number; nothing when the statement ran longer than `budget_ms` milliseconds (0: no
  // limit) and was cancelled.
  virtual std::optional<long long> CountWithin(std::string_view sql,
                                               std::span<const Variant> parameters,
                                               int budget_ms) = 0;
  // CountWithin, answered from a count kept while it is under `max_age_seconds` old and the
  // database is unchanged; a provider that cannot see changes counts every time.
  virtual std::optional<long long> KeptCountWithin(std::string_view sql,
                                                   std::span<const Variant> parameters,
                                                   int budget_ms, int /*max_age_seconds*/) {
    return CountWithin(sql, parameters, budget_ms);
  }
  // The first `max_rows` rows (more than 0) of `sql`, `parameters` bound to its placeholders,
  // each value typed as Field::Value types its column; nothing when the statement ran longer
  // than `budget_ms` milliseconds (0: no limit) and was cancelled.
  virtual std::optional<std::vector<std::vector<Variant>>> RowsWithin(
      std::string_view sql, std::span<const Variant> parameters, long max_rows,
      int budget_ms) = 0;
  // The rows the database's statistics expect `sql` to return; nothing when it keeps none.
  virtual std::optional<long long> EstimatedRows(std::string_view sql) = 0;
  // `sql` with its first `skip` rows left out by the database, or the empty text when the
  // dialect cannot say so.
  // `parameter_count` values will be bound to its placeholders.
  virtual std::string WithSkippedRows(std::string_view /*sql*/, long /*skip*/,
                                      std::size_t /*parameter_count*/) const {
    return {};
  }
  // A condition that is true when the quoted column equals the next placeholder, nulls
  // included ("c IS ?").
  virtual std::string NullSafeEquals(std::string_view quoted_column) const = 0;
  // The quoted column as it is compared for equality with a value read from it (`type` is its
  // ado::DataTypeEnum): a provider compares the text of a type that has no equality of its own.
  virtual std::string ComparableColumn(std::string_view quoted_column, int /*type*/) const {
    return std::string(quoted_column);
  }
  // The quoted column read as the text the database writes for its values.
  virtual std::string ColumnAsText(std::string_view quoted_column) const {
    return std::string(quoted_column);
  }
  // A condition that is true when the quoted column, read as text, matches the LIKE pattern of
  // the next placeholder without regard to case, a backslash escaping the wildcards; `pattern`,
  // when known, is the pattern that will be bound.
  virtual std::string LikeIgnoringCase(std::string_view quoted_column,
                                       std::optional<std::string_view> pattern) const = 0;
  // Whether NULL comes before every value in an ascending order (and after them descending).
  virtual bool NullsSortFirst() const = 0;

  // A stored value (as Stored reads it) typed for a column of `type`.
  virtual Variant Typed(const Variant& stored, int type) const = 0;
  // The stored value that represents `value` in a column of `type`. Throws
  // Error(errc::kTypeMismatch) saying why when the value does not convert.
  virtual Variant ToStored(const Variant& value, int type) const = 0;
  // Bytes of a stored value; 0 for no data.
  virtual long StoredSize(const Variant& stored, int type) const = 0;
};

// Opens a connection with the provider the connection string names. Throws Error for an
// unknown provider or a connection the database refuses.
std::unique_ptr<ProviderConnection> OpenProvider(const ConnectionSettings& settings,
                                                 std::string_view user, std::string_view password);

}  // namespace kelvo::data

#endif  // KELVO_DATA_PROVIDER_H_
