// How SQLite's declared column types map to the published type codes.
#ifndef KELVO_DATA_SQLITE_TYPES_H_
#define KELVO_DATA_SQLITE_TYPES_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvo::data {

struct SqliteColumnType {
  int type;           // ado::DataTypeEnum
  long defined_size;  // characters of CHAR(n) and the like; 0 otherwise
};

// The type of a declared type such as "VARCHAR(40)" or "decimal(10, 2)". Names outside the
// table follow SQLite's affinity rules (a name containing "INT" is an integer, ...); nothing
// when the declaration is empty or says no more than NUMERIC affinity, so that the value has
// to decide.
std::optional<SqliteColumnType> TypeOfDeclared(std::string_view declared);

// The type of a column that only its value describes: `storage_class` is SQLITE_INTEGER,
// SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL; `integer` is the value of an integer.
SqliteColumnType TypeOfValue(int storage_class, std::int64_t integer);

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_TYPES_H_
