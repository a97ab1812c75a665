#include "data/postgres_open.h"

#include <array>
#include <string>
#include <vector>

#include "data/postgres_connection.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

struct KeyName {
  std::string_view key;  // normalised, as ConnectionSettings holds it
  const char* keyword;   // libpq's
};

constexpr std::array kKeyNames = {
    KeyName{"host", "host"},
    KeyName{"server", "host"},
    KeyName{"port", "port"},
    KeyName{"database", "dbname"},
    KeyName{"initial catalog", "dbname"},
    KeyName{"user id", "user"},
    KeyName{"user", "user"},
    KeyName{"uid", "user"},
    KeyName{"username", "user"},
    KeyName{"password", "password"},
    KeyName{"pwd", "password"},
};

[[noreturn]] void Refuse(const std::string& why) {
  throw Error(errc::kDatabase, "PostgreSQL connection string: " + why);
}

// libpq's own keyword for a normalised key ("connect timeout" is connect_timeout), or nothing.
std::optional<std::string> LibpqKeyword(std::string_view key) {
  std::string keyword(key);
  for (char& c : keyword) {
    if (c == ' ') c = '_';
  }
  PQconninfoOption* options = PQconndefaults();
  if (options == nullptr) throw Error(errc::kDatabase, "libpq is out of memory");
  bool known = false;
  for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    if (keyword == option->keyword) known = true;
  }
  PQconninfoFree(options);
  if (!known) return std::nullopt;
  return keyword;
}

class Parameters {
 public:
  void Add(std::string keyword, std::string value) {
    keywords_.push_back(std::move(keyword));
    values_.push_back(std::move(value));
  }
  PGconn* Connect(bool expand_first) const {
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    for (size_t i = 0; i < keywords_.size(); ++i) {
      keywords.push_back(keywords_[i].c_str());
      values.push_back(values_[i].c_str());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    return PQconnectdbParams(keywords.data(), values.data(), expand_first ? 1 : 0);
  }

 private:
  std::vector<std::string> keywords_;
  std::vector<std::string> values_;
};

// The URI form reaches libpq as written; ConnectionSettings split it at '?' and '&' and
// normalised the keys, which libpq spells with '_'.
std::string UriOf(const ConnectionSettings& settings, std::string_view location) {
  std::string uri = "postgresql:" + std::string(location);
  char separator = '?';
  for (const auto& [key, value] : settings.options) {
    if (key == "provider" || key == "data source") continue;
    uri += separator;
    separator = '&';
    for (char c : key) uri += c == ' ' ? '_' : c;
    uri += '=' + value;
  }
  return uri;
}

void AddKeywordOptions(const ConnectionSettings& settings, Parameters& parameters) {
  for (const auto& [key, value] : settings.options) {
    if (key == "provider") continue;
    const KeyName* name = nullptr;
    for (const KeyName& candidate : kKeyNames) {
      if (candidate.key == key) name = &candidate;
    }
    if (name != nullptr) {
      parameters.Add(name->keyword, value);
    } else if (auto keyword = LibpqKeyword(key); keyword && key != "data source") {
      parameters.Add(std::move(*keyword), value);
    } else {
      Refuse("unknown key '" + key +
             "' (known keys: Provider, Host, Port, Database, User ID, Password, and libpq's "
             "own keywords such as sslmode or connect_timeout)");
    }
  }
}

}  // namespace

std::unique_ptr<ProviderConnection> OpenPostgresConnection(const ConnectionSettings& settings,
                                                           std::string_view user,
                                                           std::string_view password) {
  Parameters parameters;
  const auto location = settings.Find("data source");
  const bool uri = location.has_value();
  if (uri) {
    if (location->substr(0, 2) != "//") {
      Refuse(
          "write a URI postgresql://host/database, or Host=...;Database=... without Data Source");
    }
    parameters.Add("dbname", UriOf(settings, *location));
  } else {
    AddKeywordOptions(settings, parameters);
  }
  if (!user.empty()) parameters.Add("user", std::string(user));
  if (!password.empty()) parameters.Add("password", std::string(password));
  parameters.Add("fallback_application_name", "kelvo");
  parameters.Add("client_encoding", "UTF8");  // Kelvo's text is UTF-8

  PGconn* handle = parameters.Connect(uri);
  if (handle == nullptr) throw Error(errc::kDatabase, "libpq is out of memory");
  auto connection = std::make_unique<PostgresConnection>(handle);
  if (PQstatus(handle) != CONNECTION_OK) {
    throw Error(errc::kDatabase, "Cannot connect to PostgreSQL: " + ServerMessage(nullptr, handle));
  }
  // Notices (a DROP ... CASCADE listing what it dropped, say) are the server talking to a
  // person at a terminal; libpq would print them on standard error.
  PQsetNoticeProcessor(
      handle, [](void*, const char*) {}, nullptr);
  connection->SetUpSession(settings.read_only);
  return connection;
}

}  // namespace kelvo::data
