// The database a test of the grid, state and editing suites runs on. The same test program is
// registered once per provider; KELVO_TEST_PROVIDER ("sqlite", the default, or "postgresql")
// chooses, and KELVO_TEST_POSTGRES names the PostgreSQL server. Tests write their tables with
// the types and literals below so that both providers read them alike.
#ifndef KELVO_TESTS_SUPPORT_TEST_DATABASE_H_
#define KELVO_TESTS_SUPPORT_TEST_DATABASE_H_

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace kelvo::testing {

enum class Provider { kSqlite, kPostgres };

Provider TestProvider();
inline bool OnPostgres() { return TestProvider() == Provider::kPostgres; }

// Why the chosen provider cannot be tested here (no server, an unknown name), or empty.
std::string TestProviderUnavailable();

// An integer primary key that the database assigns when an insert leaves it out.
std::string KeyType();
// A column of binary data.
std::string BinaryType();
// A literal of binary data given as hexadecimal digits.
std::string BinaryLiteral(std::string_view hex);

// A new, empty database of the chosen provider: a file in `dir`, or a schema of its own on the
// server, dropped with this object.
class TestDatabase {
 public:
  TestDatabase(const TempDir& dir, const std::string& file_name);
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;
  ~TestDatabase();

  const std::string& ConnectionString() const { return connection_string_; }

 private:
  std::string connection_string_;
  bool is_schema_ = false;
};

}  // namespace kelvo::testing

// Skips a test (in SetUp or its body) when its provider cannot be tested here.
#define KELVO_SKIP_WITHOUT_PROVIDER()                                                    \
  if (const std::string why = ::kelvo::testing::TestProviderUnavailable(); !why.empty()) \
  GTEST_SKIP() << why

#endif  // KELVO_TESTS_SUPPORT_TEST_DATABASE_H_
