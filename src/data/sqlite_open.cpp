// Opening an SQLite database from a connection string.
#include <filesystem>
#include <string>

#include "data/number_text.h"
#include "data/sqlite_connection.h"
#include "data/sqlite_fold.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

constexpr long kDefaultBusyTimeoutMs = 5000;
constexpr std::string_view kMemory = ":memory:";

struct SqliteSettings {
  std::string file;
  bool create = false;
  bool read_only = false;
  bool foreign_keys = true;
  long busy_timeout_ms = kDefaultBusyTimeoutMs;
};

[[noreturn]] void Refuse(const std::string& why) { throw Error(errc::kDatabase, why); }

SqliteSettings ReadSettings(const ConnectionSettings& connection_string) {
  SqliteSettings settings;
  settings.read_only = connection_string.read_only;
  for (const auto& [key, value] : connection_string.options) {
    if (key == "provider") continue;
    if (key == "data source") {
      settings.file = value;
    } else if (key == "mode") {
      if (EqualsIgnoreCase(value, "create")) {
        settings.create = true;
      } else if (EqualsIgnoreCase(value, "readonly") || EqualsIgnoreCase(value, "ro")) {
        settings.read_only = true;
      } else if (!EqualsIgnoreCase(value, "readwrite") && !EqualsIgnoreCase(value, "rw")) {
        Refuse("SQLite connection string: Mode must be ReadWrite, Create or ReadOnly, not '" +
               value + "'");
      }
    } else if (key == "busy timeout") {
      const auto ms = ParseWholeNumber(value);
      if (!ms || *ms < 0 || *ms > 3'600'000) {
        Refuse(
            "SQLite connection string: Busy Timeout must be milliseconds from 0 to 3600000, "
            "not '" +
            value + "'");
      }
      settings.busy_timeout_ms = static_cast<long>(*ms);
    } else if (key == "foreign keys") {
      if (EqualsIgnoreCase(value, "off") || EqualsIgnoreCase(value, "false")) {
        settings.foreign_keys = false;
      } else if (!EqualsIgnoreCase(value, "on") && !EqualsIgnoreCase(value, "true")) {
        Refuse("SQLite connection string: Foreign Keys must be On or Off, not '" + value + "'");
      }
    } else {
      Refuse("SQLite connection string: unknown key '" + key +
             "' (known keys: Provider, Data Source, Mode, Busy Timeout, "
             "Foreign Keys)");
    }
  }
  if (settings.file.empty()) Refuse("SQLite connection string: Data Source is missing");
  return settings;
}

// Runs a statement that reads the database header, so that a file that is no database fails
// here rather than at the first query.
void Check(SqliteConnection& connection, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(connection.handle(), sql, -1, &statement, nullptr) != SQLITE_OK) {
    connection.Fail();
  }
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) connection.Fail();
}

// SQLite counts the memory it holds under one process-wide mutex, taken on every allocation
// and release: pages rendering on several threads at once queue on it. Counting is turned off
// before SQLite starts; a program that has started it already keeps its own settings.
void TurnOffMemoryCounting() {
  static const int once = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)once;
}

}  // namespace

std::unique_ptr<ProviderConnection> OpenSqliteConnection(
    const ConnectionSettings& connection_string, std::string_view /*user*/,
    std::string_view /*password*/) {
  const SqliteSettings settings = ReadSettings(connection_string);
  const bool memory = settings.file == kMemory;
  if (!memory && !settings.create) {
    std::error_code error;
    if (!std::filesystem::exists(settings.file, error)) {
      Refuse("Database file '" + settings.file +
             "' does not exist (Mode=Create in the connection string creates it)");
    }
  }
  TurnOffMemoryCounting();
  int flags = SQLITE_OPEN_NOMUTEX;
  flags |= settings.read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (settings.create && !settings.read_only) flags |= SQLITE_OPEN_CREATE;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(settings.file.c_str(), &db, flags, nullptr);
  auto connection = std::make_unique<SqliteConnection>(db);
  try {
    if (rc != SQLITE_OK) connection->Fail();
    if (RegisterFold(db) != SQLITE_OK) connection->Fail();
    sqlite3_busy_timeout(db, static_cast<int>(settings.busy_timeout_ms));
    // A file opened for reading only keeps its journal mode: switching to WAL writes to it.
    if (memory || settings.read_only) {
      Check(*connection, "PRAGMA schema_version");
    } else {
      Check(*connection, "PRAGMA journal_mode=WAL");
    }
    // SQLite leaves foreign keys unchecked unless each connection asks.
    Check(*connection,
          settings.foreign_keys ? "PRAGMA foreign_keys=ON" : "PRAGMA foreign_keys=OFF");
    // Pages are read from the file mapped into memory instead of copied in by a system call
    // each: a count over a large table reads every page on every request.
    if (!memory) Check(*connection, "PRAGMA mmap_size=268435456");
  } catch (const Error& e) {
    Refuse("Cannot open database '" + settings.file + "': " + e.description());
  }
  return connection;
}

}  // namespace kelvo::data
