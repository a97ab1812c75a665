#include "data/sqlite_types.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "kelvo/data.h"

namespace kelvo::data {
namespace {

using namespace ado;

TEST(SqliteTypesTest, DeclaredTypesMapToTypeCodesAndSizes) {
  const struct {
    const char* declared;
    int type;
    long size;
  } cases[] = {
      {"INT", adInteger, 0},
      {"integer", adInteger, 0},
      {"SMALLINT", adSmallInt, 0},
      {"TINYINT", adTinyInt, 0},
      {"BIGINT", adBigInt, 0},
      {"REAL", adDouble, 0},
      {"DOUBLE", adDouble, 0},
      {"double  precision", adDouble, 0},
      {"FLOAT", adDouble, 0},
      {"NUMERIC", adNumeric, 0},
      {"DECIMAL(10, 2)", adNumeric, 0},
      {"MONEY", adCurrency, 0},
      {"CURRENCY", adCurrency, 0},
      {"BOOLEAN", adBoolean, 0},
      {"BIT", adBoolean, 0},
      {"DATE", adDBDate, 0},
      {"TIME", adDBTime, 0},
      {"DATETIME", adDBTimeStamp, 0},
      {"TIMESTAMP", adDBTimeStamp, 0},
      {"CHAR(3)", adVarWChar, 3},
      {"varchar( 40 )", adVarWChar, 40},
      {"NVARCHAR(100)", adVarWChar, 100},
      {"VARCHAR", adVarWChar, 0},
      {"TEXT", adLongVarWChar, 0},
      {"CLOB", adLongVarWChar, 0},
      {"BLOB", adLongVarBinary, 0},
      // Names outside the table follow SQLite's affinity rules.
      {"UNSIGNED INTEGER", adInteger, 0},
      {"VARCHAR2(12)", adVarWChar, 12},
      {"NTEXT", adLongVarWChar, 0},
      {"BINARY BLOB", adLongVarBinary, 0},
      {"FLOAT8", adDouble, 0},
  };
  for (const auto& c : cases) {
    const auto type = TypeOfDeclared(c.declared);
    ASSERT_TRUE(type.has_value()) << c.declared;
    EXPECT_EQ(type->type, c.type) << c.declared;
    EXPECT_EQ(type->defined_size, c.size) << c.declared;
  }
  EXPECT_FALSE(TypeOfDeclared("").has_value());
  EXPECT_FALSE(TypeOfDeclared("JSON").has_value());  // NUMERIC affinity only: the value decides
}

TEST(SqliteTypesTest, ValuesTypeColumnsWithoutADeclaration) {
  EXPECT_EQ(TypeOfValue(SQLITE_INTEGER, 2147483647).type, adInteger);
  EXPECT_EQ(TypeOfValue(SQLITE_INTEGER, 2147483648).type, adBigInt);
  EXPECT_EQ(TypeOfValue(SQLITE_INTEGER, -2147483649).type, adBigInt);
  EXPECT_EQ(TypeOfValue(SQLITE_FLOAT, 0).type, adDouble);
  EXPECT_EQ(TypeOfValue(SQLITE_TEXT, 0).type, adVarWChar);
  EXPECT_EQ(TypeOfValue(SQLITE_BLOB, 0).type, adLongVarBinary);
  EXPECT_EQ(TypeOfValue(SQLITE_NULL, 0).type, adVarWChar);
}

}  // namespace
}  // namespace kelvo::data
