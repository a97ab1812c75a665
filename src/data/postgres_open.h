// Opening the PostgreSQL provider; see postgres_connection.h for the connection strings.
#ifndef KELVO_DATA_POSTGRES_OPEN_H_
#define KELVO_DATA_POSTGRES_OPEN_H_

#include <memory>
#include <string_view>

#include "data/provider.h"

namespace kelvo::data {

// Throws Error(errc::kDatabase) with libpq's message when the server cannot be reached or
// refuses the connection, and naming the fault of a connection string it cannot use.
std::unique_ptr<ProviderConnection> OpenPostgresConnection(const ConnectionSettings& settings,
                                                           std::string_view user,
                                                           std::string_view password);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_OPEN_H_
