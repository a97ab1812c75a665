// Runs the provider conformance suite against PostgreSQL, each test in a schema of its own.
#include "data/conformance_fixture.h"
#include "data/postgres_test_database.h"

namespace kelvo::testing {
namespace {

class PostgresContext final : public ProviderContext {
 public:
  std::string Name() const override { return "PostgreSQL"; }

  std::string NewDatabase(const TempDir& /*dir*/) const override { return NewPostgresSchema(); }

  std::string TypeName(ColumnKind kind) const override {
    switch (kind) {
      case ColumnKind::kAutoIncrementKey:
        return "SERIAL PRIMARY KEY";
      case ColumnKind::kInteger:
        return "INTEGER";
      case ColumnKind::kBigInt:
        return "BIGINT";
      case ColumnKind::kDouble:
        return "DOUBLE PRECISION";
      case ColumnKind::kDecimal:
        return "NUMERIC(10,2)";
      case ColumnKind::kMoney:
        return "MONEY";
      case ColumnKind::kBoolean:
        return "BOOLEAN";
      case ColumnKind::kDate:
        return "DATE";
      case ColumnKind::kTime:
        return "TIME";
      case ColumnKind::kDateTime:
        return "TIMESTAMP";
      case ColumnKind::kShortText:
        return "VARCHAR(40)";
      case ColumnKind::kLongText:
        return "TEXT";
      case ColumnKind::kBinary:
        return "BYTEA";
    }
    return "";
  }

  bool KeepsDecimalScale() const override { return true; }
  std::string Unavailable() const override { return PostgresUnavailable(); }
  void DropDatabase(const std::string& connection_string) const override {
    DropPostgresSchema(connection_string);
  }
  bool FoldsNamesToLowerCase() const override { return true; }
  int MoneyDecimals() const override { return 2; }
};

const PostgresContext kPostgres;

INSTANTIATE_TEST_SUITE_P(Postgres, ProviderConformanceTest, ::testing::Values(&kPostgres),
                         ContextName);

}  // namespace
}  // namespace kelvo::testing
