// The data-access layer: connection, command, recordset and field, as the component uses them.
//
// Database providers plug in behind these classes; no provider type appears here. Every
// failure throws kelvo::Error whose description includes the database's own message.
//
// Thread safety: a Connection and everything opened on it are used by one thread at a time.
// Different Connection objects, even on one database file, may be used from different threads.
#ifndef KELVO_DATA_H_
#define KELVO_DATA_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kelvo/export.h"
#include "kelvo/object.h"
#include "kelvo/variant.h"

namespace kelvo {

// The recordset library's published constants.
namespace ado {
enum CursorTypeEnum : int {
  adOpenUnspecified = -1,
  adOpenForwardOnly = 0,
  adOpenKeyset = 1,
  adOpenDynamic = 2,
  adOpenStatic = 3,
};
enum LockTypeEnum : int {
  adLockUnspecified = -1,
  adLockReadOnly = 1,
  adLockPessimistic = 2,
  adLockOptimistic = 3,
};
enum CursorLocationEnum : int { adUseServer = 2, adUseClient = 3 };
enum CommandTypeEnum : int { adCmdUnspecified = -1, adCmdText = 1, adCmdStoredProc = 4 };
enum ObjectStateEnum : int { adStateClosed = 0, adStateOpen = 1 };
enum ConnectModeEnum : int { adModeUnknown = 0, adModeRead = 1, adModeReadWrite = 3 };
enum EditModeEnum : int { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
enum FieldAttributeEnum : long { adFldIsNullable = 0x20 };
enum DataTypeEnum : int {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBoolean = 11,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adUnsignedSmallInt = 18,
  adUnsignedInt = 19,
  adBigInt = 20,
  adUnsignedBigInt = 21,
  adFileTime = 64,
  adBinary = 128,
  adChar = 129,
  adNumeric = 131,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adDBFileTime = 137,
  adVarNumeric = 139,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};
}  // namespace ado

namespace data {
class ConnectionCore;
class CursorCore;
}  // namespace data

class KELVO_EXPORT Connection final : public Object {
 public:
  Connection();
  ~Connection() override;

  // Opens a database. The connection string names the provider:
  //   "Provider=SQLite;Data Source=FILE" (keys without regard to case; values may be quoted
  //   with ' or "; "Mode=Create" allows a missing file to be created, "Mode=ReadOnly" opens
  //   it read-only, "Busy Timeout=ms" sets how long a write waits for another writer,
  //   default 5000, "Foreign Keys=Off" leaves foreign keys unchecked, which SQLite otherwise
  //   enforces), or "sqlite:FILE" with the same keys as "?mode=create&busy_timeout=ms";
  //   "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;Password=..." (other
  //   keys: libpq's own, such as sslmode), or a "postgresql://" URI as libpq reads it.
  // Any provider also takes "Pool=True|False", "Pool Size=N" and "Pool Timeout=ms": a pooled
  // Open takes an idle connection of the same string, mode and user, and Close gives it back
  // with its transaction rolled back; a server pools by default, one connection per worker.
  // A missing database file is an error unless creation was asked for; so are an unknown
  // key, a malformed string and an unknown provider. A file opened for writing is switched to
  // write-ahead logging, so readers do not wait for writers. `user`, `password` and `options` are
  // accepted for the classic signature; providers may use the first two (SQLite does not). Throws
  // Error when the connection is already open.
  void Open(std::string_view connection_string, std::string_view user = {},
            std::string_view password = {}, int options = -1);
  // How the next Open opens the database: ado::adModeUnknown (the default) and
  // ado::adModeReadWrite as the connection string says, ado::adModeRead for reading only.
  // Read-only, SQLite opens the file read-only and leaves its journal mode as it is;
  // PostgreSQL sessions start every transaction read-only. Throws Error(errc::kInvalidCall)
  // for another value or while the connection is open.
  void SetMode(int mode);
  int Mode() const { return mode_; }
  // Runs statements (several may be separated by ';') and returns the number of rows they
  // changed. With ado::adCmdStoredProc the text is a procedure call as Command describes.
  // A statement with `?` placeholders needs the overload below.
  long Execute(std::string_view statement, int options = ado::adCmdText);
  // Runs one statement with its `?` placeholders bound to `parameters` in order; the counts
  // must match (Error(errc::kWrongArguments) otherwise).
  long Execute(std::string_view statement, std::span<const Variant> parameters);
  // Closes the recordsets still open on the connection, then the connection; a pending
  // transaction is rolled back. Closing a closed connection does nothing.
  void Close();
  int State() const;  // ado::adStateOpen or adStateClosed

  // For SQLite, BeginTrans takes the write lock at once (waiting up to the busy timeout), so
  // that a transaction never fails half-way for want of it.
  void BeginTrans();
  // As BeginTrans, and the transaction's reads see one snapshot: on PostgreSQL (repeatable
  // read), a write to a row that another transaction changed after that snapshot fails with
  // Error(errc::kConflict). SQLite's transactions hold the write lock from the start, so no
  // other write comes between.
  void BeginRepeatableReadTrans();
  void CommitTrans();
  void RollbackTrans();

  // Registers a stored procedure on this connection: a named SQL text with `?` placeholders.
  // For providers without procedures of their own (SQLite) this is how procedures exist; a
  // command or statement naming `name` runs `sql_text` with its arguments bound. The name is
  // matched without regard to case; defining it again replaces the text. Definitions last
  // across Close and Open. Calling an unknown procedure is an Error.
  void DefineProcedure(std::string name, std::string sql_text);

  // The first value of the first row of `query` as a whole number. When the statement runs
  // longer than `budget_ms` milliseconds (0: no limit) it is cancelled and nothing is returned.
  std::optional<long long> CountWithin(std::string_view query, int budget_ms);
  // The same with `parameters` bound to the query's `?` placeholders, in order.
  std::optional<long long> CountWithin(std::string_view query, std::span<const Variant> parameters,
                                       int budget_ms);
  // The same, answered from the last count of the same query and parameters on this connection
  // while that is less than `max_age_seconds` old and the database has not changed since (on
  // PostgreSQL: no transaction has committed on the server, which one short round trip tells).
  std::optional<long long> KeptCountWithin(std::string_view query,
                                           std::span<const Variant> parameters, int budget_ms,
                                           int max_age_seconds);
  // The first `max_rows` rows (more than 0) of `query`, `parameters` bound to its `?`
  // placeholders in order, each value typed as Field::Value types its column. When the
  // statement runs longer than `budget_ms` milliseconds (0: no limit) it is cancelled and
  // nothing is returned. Inside a transaction PostgreSQL runs it without the limit, as a cancel
  // would abort the transaction.
  std::optional<std::vector<std::vector<Variant>>> RowsWithin(std::string_view query,
                                                              std::span<const Variant> parameters,
                                                              long max_rows, int budget_ms);
  // A condition on the quoted column `quoted_column` that is true when it, read as text,
  // matches the LIKE pattern bound to the next placeholder, without regard to case (letters as
  // the database compares them); a backslash in the pattern escapes "%", "_" and itself. A
  // column of another type (a number, a uuid, JSON, an array) is read as the text the database
  // writes for it. `pattern`, when given, is the pattern that will be bound: a provider may
  // then choose a cheaper condition that matches it alike. Throws when not open.
  std::string LikeIgnoringCase(std::string_view quoted_column,
                               std::optional<std::string_view> pattern = std::nullopt) const;
  // The quoted column as it is compared for equality with text (`type` is its
  // ado::DataTypeEnum): in its own type where that type has equality, else read as text.
  std::string ComparableColumn(std::string_view quoted_column, int type) const;
  // The quoted column read as the text the database writes for its values, so that any column
  // compares with text without failing the statement.
  std::string ColumnAsText(std::string_view quoted_column) const;
  // How many rows the database's statistics expect `statement` to return, without running it;
  // nothing when the database keeps none that apply.
  std::optional<long long> EstimatedRows(std::string_view statement);
  // A result column as the connection last described it.
  struct KeptColumn {
    std::string name;
    int type = 0;  // ado::DataTypeEnum
    bool nullable = true;
  };
  // The result columns of `statement` from what the connection keeps of an earlier run of the
  // same text, without running it; nothing when it keeps none it can vouch for (the caller then
  // runs the statement).
  std::optional<std::vector<KeptColumn>> KeptColumns(std::string_view statement);
  // A text that changes whenever the table named exactly `name` is made, dropped, renamed,
  // granted, keyed or given other columns; empty when the name reaches no table, where the
  // database tells that apart. Nothing when it has no check cheaper than the whole schema's.
  std::optional<std::string> TableVersion(std::string_view name);
  // Until FactsHeld, what the connection keeps of tables and statements (TableVersion,
  // KeptColumns, the columns' facts) is used without a round trip of its own: its check travels
  // with the next statement sent. For a caller that can do its work again.
  void CheckFactsLater();
  // Ends what CheckFactsLater began: whether everything kept that was used since was current;
  // when not, the caller does its work again, which then finds the facts as they are now.
  bool FactsHeld();
  // The identifier quoted for this database's SQL dialect. Throws when not open.
  std::string QuoteIdentifier(std::string_view name) const;
  // Whether this database puts NULL before every value in an ascending order (SQLite) rather
  // than after them (PostgreSQL); descending, the other way round. Throws when not open.
  bool NullsSortFirst() const;
  // The value a column of `type` (an ado::DataTypeEnum code) holds for `value` on this
  // database, so that it compares equal to stored values (a date-and-time column stores the
  // time too). Throws Error(errc::kTypeMismatch) saying why when the value does not convert,
  // and when not open.
  Variant StoredValue(const Variant& value, int type) const;
  // The provider a connection string names, as written ("SQLite"). Throws Error for a
  // malformed string.
  static std::string ProviderOf(std::string_view connection_string);

  std::string_view ClassName() const override { return "Connection"; }

  data::ConnectionCore& core() const;  // for the data layer; throws when not open

 private:
  std::unique_ptr<data::ConnectionCore> core_;
  int mode_ = ado::adModeUnknown;
};

// What a host that runs pages on worker threads holds while it serves: while one exists, Open
// pools by default, with as many connections per connection string as the largest worker count
// given. When the last one ends, idle pooled connections close.
class KELVO_EXPORT PoolingByDefault final {
 public:
  explicit PoolingByDefault(int workers);
  PoolingByDefault(const PoolingByDefault&) = delete;
  PoolingByDefault& operator=(const PoolingByDefault&) = delete;
  ~PoolingByDefault();

 private:
  int workers_;
};

// A stored-procedure (or parameterised statement) source for Recordset::Open.
class KELVO_EXPORT Command final : public Object {
 public:
  void SetActiveConnection(std::shared_ptr<Connection> connection) {
    connection_ = std::move(connection);
  }
  const std::shared_ptr<Connection>& ActiveConnection() const { return connection_; }
  // For adCmdStoredProc: the procedure name, optionally followed by its arguments written as
  // literals separated by commas ("sp_List 5, 'x'" or "sp_List(5, 'x')"): numbers, text in
  // single quotes ('' for a quote) and NULL. They are bound, never pasted into SQL; anything
  // else is an Error. For adCmdText: a statement with `?` placeholders.
  void SetCommandText(std::string_view text) { text_ = text; }
  const std::string& CommandText() const { return text_; }
  void SetCommandType(int type) { type_ = type; }
  int CommandType() const { return type_; }
  // Further values bound after those written in the command text.
  std::vector<Variant>& Parameters() { return parameters_; }
  const std::vector<Variant>& Parameters() const { return parameters_; }

  std::string_view ClassName() const override { return "Command"; }

 private:
  std::shared_ptr<Connection> connection_;
  std::string text_;
  int type_ = ado::adCmdText;
  std::vector<Variant> parameters_;
};

class Recordset;

// One column of an open recordset. Metadata is fixed at open; Value reads the current row.
class KELVO_EXPORT Field {
 public:
  const std::string& Name() const { return name_; }
  int Type() const { return type_; }                  // an ado::DataTypeEnum code
  long DefinedSize() const { return defined_size_; }  // most characters; 0 when not limited
  long ActualSize() const;                            // bytes of the current value; 0 for no data
  long Attributes() const { return attributes_; }     // ado::adFldIsNullable when nulls allowed
  // The current row's value; Null for no data. Throws Error(errc::kNoCurrentRecord) when
  // there is no current row, Error(errc::kClosedObject) once the recordset is closed.
  Variant Value() const;
  // Value, read into `into`: text reuses the storage `into` holds, so a loop that keeps one
  // Variant per field reads row after row without allocating. Throws as Value does.
  void ReadValue(Variant& into) const;
  // Sets the value of the pending row (after AddNew, or on an updatable cursor, where the
  // first change starts editing the current row): text, Null or a Boolean, converted to the
  // column's type; other Variant kinds (numbers, Date, Currency, Decimal, Bytes) are converted
  // likewise. Dates are read from ISO-8601 text ("YYYY-MM-DD", "HH:MM:SS", "YYYY-MM-DD
  // HH:MM:SS"); a locale's date text must be made a Date first. A value that does not convert
  // is Error(errc::kTypeMismatch) naming the field; a computed column or a read-only
  // recordset is Error(errc::kInvalidCall).
  void SetValue(const Variant& value);

 private:
  friend class Recordset;
  friend class data::CursorCore;
  Field(data::CursorCore* cursor, int ordinal, std::string name, int type, long defined_size,
        long attributes)
      : cursor_(cursor),
        ordinal_(ordinal),
        name_(std::move(name)),
        type_(type),
        defined_size_(defined_size),
        attributes_(attributes) {}

  data::CursorCore* cursor_;
  int ordinal_;
  std::string name_;
  int type_;
  long defined_size_;
  long attributes_;
};

// The fields of an open recordset, made once when it opens. References to them stay valid
// until the recordset is closed or opened again.
class KELVO_EXPORT FieldCollection {
 public:
  int Count() const { return static_cast<int>(fields_.size()); }
  // By 0-based ordinal, or by name without regard to case. Throws Error(errc::kItemNotFound).
  Field& Item(int ordinal);
  Field& Item(std::string_view name);
  // The field of that name, or null.
  Field* Find(std::string_view name);

  std::vector<Field>::iterator begin() { return fields_.begin(); }
  std::vector<Field>::iterator end() { return fields_.end(); }

 private:
  friend class data::CursorCore;
  std::vector<Field> fields_;
};

class KELVO_EXPORT Recordset final : public Object {
 public:
  Recordset();
  ~Recordset() override;

  // Settings made before Open. The cursor type alone decides how rows are read, whatever
  // the cursor location.
  long MaxRecords() const { return max_records_; }  // 0 = no limit
  void SetMaxRecords(long n) { max_records_ = n; }
  int CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(int location) { cursor_location_ = location; }
  int CursorType() const { return cursor_type_; }
  void SetCursorType(int type) { cursor_type_ = type; }
  int LockType() const { return lock_type_; }
  void SetLockType(int type) { lock_type_ = type; }
  // A forward-only cursor opens standing on this record of the result (from 1), as if MoveNext
  // had been called for the records before it. The database skips them where it can, without
  // computing their columns; MaxRecords still counts from the first record of the result.
  long FirstRecord() const { return first_record_; }
  void SetFirstRecord(long record) { first_record_ = record < 1 ? 1 : record; }

  // Opens a statement on a connection, which the recordset keeps alive while open. A cursor
  // or lock type of -1 keeps the setting made before. Forward-only cursors stream rows from
  // the database without copying them; static and keyset cursors read the whole result (up
  // to MaxRecords) and know their count. A keyset or static cursor with any lock type but
  // read-only can add and change rows. A statement that returns no columns is refused before
  // it runs. `options` ado::adCmdStoredProc reads `source` as a procedure call. Throws Error
  // with the database's message for a statement it refuses, and when already open.
  void Open(std::string_view source, const std::shared_ptr<Connection>& connection,
            int cursor_type = -1, int lock_type = -1, int options = -1);
  // Opens the result of a command on its active connection: a procedure call, or a
  // statement whose `?` placeholders are bound to the command's parameters.
  void Open(const std::shared_ptr<Command>& command, int cursor_type = -1, int lock_type = -1,
            int options = -1);

  bool Eof() const;  // no current row
  // Throws Error(errc::kNoCurrentRecord) at the end, Error(errc::kInvalidCall) while a change
  // is pending.
  void MoveNext();
  long RecordCount() const;  // -1 when the cursor cannot tell (forward-only)
  int State() const;         // ado::adStateOpen or adStateClosed
  int EditMode() const;      // an ado::EditModeEnum value
  // The current row's values, in field order, then moves to the next row.
  std::vector<Variant> GetRows();
  FieldCollection& Fields();  // throws Error(errc::kClosedObject) when closed

  // A pending new row; its fields start Null (Empty for an auto-increment key). A recordset
  // can take new rows when its columns come from one table (computed columns aside).
  void AddNew();
  // Writes the pending row with bound values, then reads back what the table stored, so an
  // auto-increment key and column defaults show their values. Only the fields that were set
  // are inserted. A change of an existing row is optimistic: the row is changed only where
  // its key and the fields being changed still hold the values that were read; otherwise
  // Error(errc::kConflict), nothing is written and the change stays pending. Rows are found
  // by the table's primary key (SQLite: or the rowid, for a table without one), which must be
  // in the result. Nothing pending: nothing to do.
  void Update();
  void CancelUpdate();
  // Closes the recordset, dropping any pending change. Closing a closed one does nothing.
  void Close();

  std::string_view ClassName() const override { return "Recordset"; }

 private:
  data::CursorCore& OpenCursorCore() const;  // throws Error(errc::kClosedObject) when closed
  void SkipTo(long record);                  // steps a just-opened cursor to `record`

  long max_records_ = 0;
  long first_record_ = 1;
  int cursor_location_ = ado::adUseServer;
  int cursor_type_ = ado::adOpenForwardOnly;
  int lock_type_ = ado::adLockReadOnly;
  std::unique_ptr<data::CursorCore> cursor_;
};

}  // namespace kelvo

#endif  // KELVO_DATA_H_
