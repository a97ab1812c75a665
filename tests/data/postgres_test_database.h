// A PostgreSQL database for tests: the server that KELVO_TEST_POSTGRES names (a connection
// string), with a schema of its own per test, so that tests running at once never meet and
// each starts empty. The test command starts a private server and sets the variable; without
// it, PostgreSQL tests skip.
#ifndef KELVO_TESTS_DATA_POSTGRES_TEST_DATABASE_H_
#define KELVO_TESTS_DATA_POSTGRES_TEST_DATABASE_H_

#include <string>
#include <string_view>

namespace kelvo::testing {

// The connection string of the test server, or empty when none is set.
std::string PostgresServer();

// Why PostgreSQL tests cannot run here, or empty when they can.
std::string PostgresUnavailable();

// `connection_string` (either form) with one more libpq keyword.
std::string WithLibpqOption(const std::string& connection_string, std::string_view keyword,
                            std::string_view value);

// Creates a new, empty schema on the test server and returns a connection string whose
// connections search only it.
std::string NewPostgresSchema();

// Drops the schema that a connection string of NewPostgresSchema searches, with everything
// in it.
void DropPostgresSchema(const std::string& connection_string);

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_DATA_POSTGRES_TEST_DATABASE_H_
