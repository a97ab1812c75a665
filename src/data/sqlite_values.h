// SQLite values as Kelvo sees them: typed for a column's type code, stored back in the form
// SQLite keeps, and bound to statements.
//
// Stored values are exactly SQLite's storage classes: Null, 64-bit integer, double, text and
// bytes. Typed values follow the column's type code: NUMERIC gives Decimal, MONEY Currency,
// BOOLEAN bool, DATE/TIME/DATETIME (ISO-8601 text) Date. A stored value the type cannot
// express (text that is no date in a DATE column) is shown as it is stored, never dropped.
#ifndef KELVO_DATA_SQLITE_VALUES_H_
#define KELVO_DATA_SQLITE_VALUES_H_

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "data/type_width.h"
#include "kelvo/variant.h"

namespace kelvo::data {

Variant TypedInteger(std::int64_t value, int type);
Variant TypedReal(double value, int type);
Variant TypedText(std::string_view value, int type);

// Reading one column of a statement's current row without copying it first.
class SqliteColumn {
 public:
  SqliteColumn(sqlite3_stmt* statement, int column) : statement_(statement), column_(column) {}
  int StorageClass() const { return sqlite3_column_type(statement_, column_); }
  std::int64_t Integer() const { return sqlite3_column_int64(statement_, column_); }
  double Real() const { return sqlite3_column_double(statement_, column_); }
  std::string_view Text() const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column_));
    return {text, static_cast<size_t>(sqlite3_column_bytes(statement_, column_))};
  }
  std::span<const std::uint8_t> Blob() const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column_));
    return {data, static_cast<size_t>(sqlite3_column_bytes(statement_, column_))};
  }

 private:
  sqlite3_stmt* statement_;
  int column_;
};

// Reading a stored value kept in a Variant.
class StoredColumn {
 public:
  explicit StoredColumn(const Variant& stored) : stored_(stored) {}
  int StorageClass() const;
  std::int64_t Integer() const;
  double Real() const { return stored_.AsDouble(); }
  std::string_view Text() const { return stored_.AsString(); }
  std::span<const std::uint8_t> Blob() const { return stored_.AsBinary(); }

 private:
  const Variant& stored_;
};

template <class Column>
Variant TypedValue(const Column& column, int type) {
  switch (column.StorageClass()) {
    case SQLITE_INTEGER:
      return TypedInteger(column.Integer(), type);
    case SQLITE_FLOAT:
      return TypedReal(column.Real(), type);
    case SQLITE_TEXT:
      return TypedText(column.Text(), type);
    case SQLITE_BLOB: {
      const auto blob = column.Blob();
      return Variant(Bytes(blob.begin(), blob.end()));
    }
    default:
      return Variant::Null();
  }
}

template <class Column>
Variant StoredValue(const Column& column) {
  switch (column.StorageClass()) {
    case SQLITE_INTEGER:
      return Variant(column.Integer());
    case SQLITE_FLOAT:
      return Variant(column.Real());
    case SQLITE_TEXT:
      return Variant(column.Text());
    case SQLITE_BLOB: {
      const auto blob = column.Blob();
      return Variant(Bytes(blob.begin(), blob.end()));
    }
    default:
      return Variant::Null();
  }
}

template <class Column>
long StoredSize(const Column& column, int type) {
  switch (column.StorageClass()) {
    case SQLITE_NULL:
      return 0;
    case SQLITE_TEXT:
      return static_cast<long>(column.Text().size());
    case SQLITE_BLOB:
      return static_cast<long>(column.Blob().size());
    default:
      return TypeWidth(type);
  }
}

// The stored value for `value` written to a column of `type`. Throws
// Error(errc::kTypeMismatch) saying why a value does not convert.
Variant StoredFor(const Variant& value, int type);

// Binds a value of any kind but an object to the 1-based parameter `index`. Throws
// Error(errc::kDatabase) with SQLite's message, Error(errc::kTypeMismatch) for an object.
void BindValue(sqlite3_stmt* statement, int index, const Variant& value);

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_VALUES_H_
