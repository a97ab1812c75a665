#include "data/postgres_test_database.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdlib>

#include "kelvo/data.h"

namespace kelvo::testing {
namespace {

constexpr std::string_view kSearchPathOption = "-c search_path=";
constexpr std::string_view kSchemaPrefix = "kelvo_test_";

bool IsUri(std::string_view text) {
  return text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0;
}

// Percent-encodes what a URI query value cannot hold as it is.
std::string UriEncoded(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

void RunOnServer(const std::string& sql) {
  Connection admin;
  admin.Open(PostgresServer());
  admin.Execute(sql);
}

}  // namespace

std::string PostgresServer() {
  const char* value = std::getenv("KELVO_TEST_POSTGRES");
  return value != nullptr ? value : "";
}

std::string PostgresUnavailable() {
  if (!PostgresServer().empty()) return "";
  return "KELVO_TEST_POSTGRES is not set: no PostgreSQL server to test against (scripts/test.sh "
         "starts one and sets it)";
}

std::string WithLibpqOption(const std::string& connection_string, std::string_view keyword,
                            std::string_view value) {
  if (IsUri(connection_string)) {
    const char separator = connection_string.find('?') == std::string::npos ? '?' : '&';
    return connection_string + separator + std::string(keyword) + "=" + UriEncoded(value);
  }
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return connection_string + ";" + std::string(keyword) + "=" + quoted + "\"";
}

std::string NewPostgresSchema() {
  static std::atomic<int> counter{0};
  const std::string schema = std::string(kSchemaPrefix) + std::to_string(getpid()) + "_" +
                             std::to_string(counter.fetch_add(1));
  RunOnServer("DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
  return WithLibpqOption(PostgresServer(), "options", std::string(kSearchPathOption) + schema);
}

void DropPostgresSchema(const std::string& connection_string) {
  const size_t start = connection_string.rfind(kSchemaPrefix);
  if (start == std::string::npos) return;
  size_t end = start;
  while (end < connection_string.size() &&
         (connection_string[end] == '_' ||
          std::isalnum(static_cast<unsigned char>(connection_string[end])))) {
    ++end;
  }
  RunOnServer("DROP SCHEMA IF EXISTS " + connection_string.substr(start, end - start) + " CASCADE");
}

}  // namespace kelvo::testing
