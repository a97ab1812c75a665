#include "data/sqlite_types.h"

#include <sqlite3.h>

#include <array>
#include <charconv>
#include <limits>
#include <string>

#include "kelvo/data.h"

namespace kelvo::data {
namespace {

using namespace ado;

struct DeclaredName {
  std::string_view name;  // upper case, single blanks
  int type;
  bool sized;  // "(n)" gives the defined size
};

// The one table of declared type names.
constexpr std::array kDeclaredNames = {
    DeclaredName{"INT", adInteger, false},
    DeclaredName{"INTEGER", adInteger, false},
    DeclaredName{"MEDIUMINT", adInteger, false},
    DeclaredName{"SMALLINT", adSmallInt, false},
    DeclaredName{"INT2", adSmallInt, false},
    DeclaredName{"TINYINT", adTinyInt, false},
    DeclaredName{"BIGINT", adBigInt, false},
    DeclaredName{"INT8", adBigInt, false},
    DeclaredName{"UNSIGNED BIG INT", adBigInt, false},
    DeclaredName{"REAL", adDouble, false},
    DeclaredName{"DOUBLE", adDouble, false},
    DeclaredName{"DOUBLE PRECISION", adDouble, false},
    DeclaredName{"FLOAT", adDouble, false},
    DeclaredName{"NUMERIC", adNumeric, false},
    DeclaredName{"DECIMAL", adNumeric, false},
    DeclaredName{"MONEY", adCurrency, false},
    DeclaredName{"SMALLMONEY", adCurrency, false},
    DeclaredName{"CURRENCY", adCurrency, false},
    DeclaredName{"BOOLEAN", adBoolean, false},
    DeclaredName{"BOOL", adBoolean, false},
    DeclaredName{"BIT", adBoolean, false},
    DeclaredName{"DATE", adDBDate, false},
    DeclaredName{"TIME", adDBTime, false},
    DeclaredName{"DATETIME", adDBTimeStamp, false},
    DeclaredName{"TIMESTAMP", adDBTimeStamp, false},
    DeclaredName{"CHAR", adVarWChar, true},
    DeclaredName{"CHARACTER", adVarWChar, true},
    DeclaredName{"NCHAR", adVarWChar, true},
    DeclaredName{"NATIVE CHARACTER", adVarWChar, true},
    DeclaredName{"VARCHAR", adVarWChar, true},
    DeclaredName{"VARYING CHARACTER", adVarWChar, true},
    DeclaredName{"NVARCHAR", adVarWChar, true},
    DeclaredName{"TEXT", adLongVarWChar, false},
    DeclaredName{"CLOB", adLongVarWChar, false},
    DeclaredName{"BLOB", adLongVarBinary, false},
};

// The name of a declaration in upper case with single blanks, and the first number in its
// parentheses (0 when there is none).
std::string NormaliseName(std::string_view declared, long& size) {
  std::string name;
  size = 0;
  bool blank = false;
  for (size_t i = 0; i < declared.size(); ++i) {
    const char c = declared[i];
    if (c == '(') {
      size_t start = i + 1;
      while (start < declared.size() && declared[start] == ' ') ++start;
      std::from_chars(declared.data() + start, declared.data() + declared.size(), size);
      break;
    }
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      blank = !name.empty();
      continue;
    }
    if (blank) name += ' ';
    blank = false;
    name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return name;
}

}  // namespace

std::optional<SqliteColumnType> TypeOfDeclared(std::string_view declared) {
  long size = 0;
  const std::string name = NormaliseName(declared, size);
  if (name.empty()) return std::nullopt;
  for (const DeclaredName& entry : kDeclaredNames) {
    if (entry.name == name) return SqliteColumnType{entry.type, entry.sized ? size : 0};
  }
  // SQLite's affinity rules, in SQLite's order.
  const auto contains = [&name](std::string_view part) {
    return name.find(part) != std::string::npos;
  };
  if (contains("INT")) return SqliteColumnType{adInteger, 0};
  if (contains("CHAR") || contains("CLOB") || contains("TEXT")) {
    return SqliteColumnType{size > 0 ? adVarWChar : adLongVarWChar, size};
  }
  if (contains("BLOB")) return SqliteColumnType{adLongVarBinary, 0};
  if (contains("REAL") || contains("FLOA") || contains("DOUB")) {
    return SqliteColumnType{adDouble, 0};
  }
  return std::nullopt;
}

SqliteColumnType TypeOfValue(int storage_class, std::int64_t integer) {
  switch (storage_class) {
    case SQLITE_INTEGER: {
      const bool fits = integer >= std::numeric_limits<std::int32_t>::min() &&
                        integer <= std::numeric_limits<std::int32_t>::max();
      return {fits ? adInteger : adBigInt, 0};
    }
    case SQLITE_FLOAT:
      return {adDouble, 0};
    case SQLITE_BLOB:
      return {adLongVarBinary, 0};
    default:
      return {adVarWChar, 0};
  }
}

}  // namespace kelvo::data
