#include "support/test_database.h"

#include <cstdlib>
#include <exception>

#include "data/postgres_test_database.h"
#include "kelvo/data.h"

namespace kelvo::testing {
namespace {

std::string ProviderName() {
  const char* value = std::getenv("KELVO_TEST_PROVIDER");
  return value != nullptr && *value != '\0' ? value : "sqlite";
}

}  // namespace

Provider TestProvider() {
  return ProviderName() == "postgresql" ? Provider::kPostgres : Provider::kSqlite;
}

std::string TestProviderUnavailable() {
  const std::string name = ProviderName();
  if (name == "postgresql") return PostgresUnavailable();
  if (name != "sqlite") {
    return "KELVO_TEST_PROVIDER is '" + name + "'; the tests know 'sqlite' and 'postgresql'";
  }
  return "";
}

// NOT NULL on SQLite too: a PostgreSQL key cannot hold nulls, and forms mark such fields.
std::string KeyType() {
  return OnPostgres() ? "SERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY NOT NULL";
}

std::string BinaryType() { return OnPostgres() ? "BYTEA" : "BLOB"; }

std::string BinaryLiteral(std::string_view hex) {
  if (OnPostgres()) return "'\\x" + std::string(hex) + "'::bytea";
  return "x'" + std::string(hex) + "'";
}

TestDatabase::TestDatabase(const TempDir& dir, const std::string& file_name) {
  if (OnPostgres()) {
    connection_string_ = NewPostgresSchema();
    is_schema_ = true;
    return;
  }
  connection_string_ = "sqlite:" + dir.File(file_name);
  Connection connection;
  connection.Open(connection_string_ + "?mode=create");
  connection.Close();
}

TestDatabase::~TestDatabase() {
  if (!is_schema_) return;
  try {
    DropPostgresSchema(connection_string_);
  } catch (const std::exception& error) {
    ADD_FAILURE() << "the test schema was not dropped: " << error.what();
  }
}

}  // namespace kelvo::testing
