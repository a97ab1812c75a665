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
#include <string_view>

#include "data/value_class.h"
#include "kelvo/variant.h"
#include "runtime/iso_date.h"

namespace kelvo::data {

// TypedValue for the values that need converting, and for blobs.
Variant ConvertedValue(sqlite3_value* value, ValueClass value_class);
// ISO-8601 text as a Date, or the text itself when it is none.
Variant DateOrText(std::string_view text);

// A column of a statement's current row, from sqlite3_column_value, typed for its class. This
// runs for every field of every row, so numbers and text read as stored are made here, inline,
// and the sqlite3_value accessors take no lock. (The connection is used by one thread at a
// time, so the unprotected value is safe to read.)
[[gnu::always_inline]] inline Variant TypedValue(sqlite3_value* value, int storage,
                                                 ValueClass value_class) {
  if (value_class == ValueClass::kDate && storage == SQLITE_TEXT) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return DateOrText(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value))));
  }
  if (value_class <= ValueClass::kBinary ||
      (value_class == ValueClass::kReal && storage == SQLITE_FLOAT)) {
    switch (storage) {
      case SQLITE_INTEGER: {
        const std::int64_t integer = sqlite3_value_int64(value);
        if (integer >= INT32_MIN && integer <= INT32_MAX) {
          return Variant(static_cast<std::int32_t>(integer));
        }
        return Variant(integer);
      }
      case SQLITE_FLOAT:
        return Variant(sqlite3_value_double(value));
      case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return Variant(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(value))));
      }
      case SQLITE_NULL:
        return Variant::Null();
      default:
        break;
    }
  }
  return ConvertedValue(value, value_class);
}
[[gnu::always_inline]] inline Variant TypedValue(sqlite3_value* value, ValueClass value_class) {
  return TypedValue(value, sqlite3_value_type(value), value_class);
}
// TypedValue, read into `into`: numbers, text and dates overwrite a value of the same kind in
// place, so reading row after row into one Variant per column neither allocates nor rebuilds.
[[gnu::always_inline]] inline void ReadTypedValue(sqlite3_value* value, ValueClass value_class,
                                                  Variant& into) {
  const int storage = sqlite3_value_type(value);
  const bool as_stored = value_class <= ValueClass::kBinary;
  if (storage == SQLITE_TEXT && (as_stored || value_class == ValueClass::kDate)) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const std::string_view text(bytes, static_cast<size_t>(sqlite3_value_bytes(value)));
    if (as_stored) {
      into.AssignString(text);
    } else if (const auto date = ParseIsoDate(text)) {
      into.Assign(*date);
    } else {
      into.AssignString(text);
    }
  } else if (storage == SQLITE_INTEGER && as_stored) {
    const std::int64_t integer = sqlite3_value_int64(value);
    if (integer >= INT32_MIN && integer <= INT32_MAX) {
      into.Assign(static_cast<std::int32_t>(integer));
    } else {
      into.Assign(integer);
    }
  } else if (storage == SQLITE_FLOAT && (as_stored || value_class == ValueClass::kReal)) {
    into.Assign(sqlite3_value_double(value));
  } else {
    into = TypedValue(value, storage, value_class);
  }
}
// A stored value kept in a Variant, typed for its class.
Variant TypedValue(const Variant& stored, ValueClass value_class);
// The value as SQLite stores it: Null, 64-bit integer, double, text or bytes.
Variant StoredValue(sqlite3_value* value);
// Bytes of a value; 0 for no data.
long StoredSize(sqlite3_value* value, int type);
long StoredSize(const Variant& stored, int type);

// The stored value for `value` written to a column of `type`. Throws
// Error(errc::kTypeMismatch) saying why a value does not convert.
Variant StoredFor(const Variant& value, int type);

// Binds a value of any kind but an object to the 1-based parameter `index`. Throws
// Error(errc::kDatabase) with SQLite's message, Error(errc::kTypeMismatch) for an object.
void BindValue(sqlite3_stmt* statement, int index, const Variant& value);

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_VALUES_H_
