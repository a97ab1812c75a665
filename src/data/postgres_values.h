// PostgreSQL values as Kelvo sees them. Values travel as the server's text format: a stored
// value is exactly the text the server sent (or Null), so binding it back compares equal to
// what the table holds. Typed values follow the column's type code: numeric gives Decimal,
// money Currency, bool bool, date/time/timestamp Date, bytea Bytes. A text the type cannot
// express (a date "infinity", a numeric "NaN") is shown as it is, never dropped.
//
// The session these texts come from uses DateStyle ISO and bytea_output hex; money is read by
// its digits and the number of decimals the session's money type has.
#ifndef KELVO_DATA_POSTGRES_VALUES_H_
#define KELVO_DATA_POSTGRES_VALUES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/value_class.h"
#include "kelvo/variant.h"

namespace kelvo::data {

// A value in the server's text format typed for its class; `money_decimals` is the number of
// decimals of the session's money type.
Variant PostgresTyped(std::string_view text, ValueClass value_class, int money_decimals);

// Bytes of a value's data; 0 for no data.
long PostgresValueSize(std::string_view text, int type);

// The server text that stores `value` in a column of `type`, or Null. Throws
// Error(errc::kTypeMismatch) saying why a value does not convert.
Variant PostgresStoredFor(const Variant& value, int type);

// The text a parameter is sent as; nothing for Null and Empty. Throws
// Error(errc::kTypeMismatch) for an object and for text holding a NUL character, which the
// server cannot take.
std::optional<std::string> PostgresParameterText(const Variant& value);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_VALUES_H_
