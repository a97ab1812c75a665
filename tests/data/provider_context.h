// What the provider conformance suite needs to know about one database provider. Each
// provider's test file defines a context and instantiates the suite with it:
//
//   INSTANTIATE_TEST_SUITE_P(Sqlite, ProviderConformanceTest,
//                            ::testing::Values(&SqliteContext()), ContextName);
#ifndef KELVO_TESTS_DATA_PROVIDER_CONTEXT_H_
#define KELVO_TESTS_DATA_PROVIDER_CONTEXT_H_

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace kelvo::testing {

// Column kinds the suite declares tables with; the context names them in its dialect.
enum class ColumnKind {
  kAutoIncrementKey,  // an integer primary key the database assigns
  kInteger,
  kBigInt,
  kDouble,
  kDecimal,  // two decimals
  kMoney,
  kBoolean,
  kDate,
  kTime,
  kDateTime,
  kShortText,  // at most 40 characters
  kLongText,
  kBinary,
};

class ProviderContext {
 public:
  ProviderContext() = default;
  ProviderContext(const ProviderContext&) = delete;
  ProviderContext& operator=(const ProviderContext&) = delete;
  virtual ~ProviderContext() = default;

  virtual std::string Name() const = 0;
  // A connection string for a new, empty database living in `dir`. Opening the same string
  // again reaches the same database.
  virtual std::string NewDatabase(const TempDir& dir) const = 0;
  virtual std::string TypeName(ColumnKind kind) const = 0;
  // Whether a decimal column keeps trailing zeros ("12.50" reads back as "12.50").
  virtual bool KeepsDecimalScale() const = 0;

  // Quirks with the common answer as default.
  // Why the provider cannot be tested here (no server, say), or empty: the tests skip.
  virtual std::string Unavailable() const { return {}; }
  // Removes a database of NewDatabase after its test, when the directory does not hold it.
  virtual void DropDatabase(const std::string& /*connection_string*/) const {}
  // Whether unquoted names, aliases included, read back in lower case.
  virtual bool FoldsNamesToLowerCase() const { return false; }
  // The decimals a money column keeps.
  virtual int MoneyDecimals() const { return 4; }
};

inline std::string ContextName(const ::testing::TestParamInfo<const ProviderContext*>& info) {
  return info.param->Name();
}

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_DATA_PROVIDER_CONTEXT_H_
