// The providers Kelvo is built with, found by name. A new provider adds one line here.
#include <array>

#include "data/postgres_open.h"
#include "data/provider.h"
#include "data/sqlite_connection.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

using ProviderFactory = std::unique_ptr<ProviderConnection> (*)(const ConnectionSettings&,
                                                                std::string_view user,
                                                                std::string_view password);

struct ProviderEntry {
  std::string_view name;
  ProviderFactory open;
};

constexpr std::array kProviders = {
    ProviderEntry{"sqlite", &OpenSqliteConnection},
    ProviderEntry{"postgresql", &OpenPostgresConnection},
    ProviderEntry{"postgres", &OpenPostgresConnection},
};

}  // namespace

std::unique_ptr<ProviderConnection> OpenProvider(const ConnectionSettings& settings, std::string_view user,
                                                 std::string_view password) {
  for (const ProviderEntry& entry : kProviders) {
    if (EqualsIgnoreCase(entry.name, settings.provider)) return entry.open(settings, user, password);
  }
  throw Error(errc::kClassNotRegistered, "Provider cannot be found: '" + settings.provider +
                                             "' (known providers: sqlite, postgresql)");
}

}  // namespace kelvo::data
