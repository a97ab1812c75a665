// Runs the provider conformance suite against SQLite files.
#include "data/conformance_fixture.h"

namespace kelvo::testing {
namespace {

class SqliteContext final : public ProviderContext {
 public:
  std::string Name() const override { return "SQLite"; }

  std::string NewDatabase(const TempDir& dir) const override {
    return "Provider=SQLite;Data Source=" + dir.File("conformance.db") + ";Mode=Create";
  }

  std::string TypeName(ColumnKind kind) const override {
    switch (kind) {
      case ColumnKind::kAutoIncrementKey:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
      case ColumnKind::kInteger:
        return "INTEGER";
      case ColumnKind::kBigInt:
        return "BIGINT";
      case ColumnKind::kDouble:
        return "REAL";
      case ColumnKind::kDecimal:
        return "DECIMAL(10,2)";
      case ColumnKind::kMoney:
        return "MONEY";
      case ColumnKind::kBoolean:
        return "BOOLEAN";
      case ColumnKind::kDate:
        return "DATE";
      case ColumnKind::kTime:
        return "TIME";
      case ColumnKind::kDateTime:
        return "DATETIME";
      case ColumnKind::kShortText:
        return "VARCHAR(40)";
      case ColumnKind::kLongText:
        return "TEXT";
      case ColumnKind::kBinary:
        return "BLOB";
    }
    return "";
  }

  // NUMERIC affinity stores 12.50 as the real 12.5.
  bool KeepsDecimalScale() const override { return false; }
};

const SqliteContext kSqlite;

INSTANTIATE_TEST_SUITE_P(Sqlite, ProviderConformanceTest, ::testing::Values(&kSqlite), ContextName);

}  // namespace
}  // namespace kelvo::testing
