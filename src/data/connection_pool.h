// Pools of open provider connections, one per connection string, so that a request does not
// pay for opening the database, setting up its session and warming its caches.
//
// Connection string keys (taken out before the provider reads the string):
//   Pool=True|False   pooled or not; the default is pooled while a server is serving or a
//                     size is given, so that a program using Connection alone keeps one
//                     session per Open
//   Pool Size=N       connections at most (1 to 1000); default the server's worker count
//   Pool Timeout=ms   how long Open waits for a busy pool (0 to 3600000, default 10000)
// A private in-memory SQLite database is never pooled. Connections opened for reading only
// and for writing never share a pool, nor do different users. On SQLite, the reads made
// through one pooled connection between Open and Close share one read transaction, so that
// a page's count and rows agree; a write first ends it, and Close always does.
#ifndef KELVO_DATA_CONNECTION_POOL_H_
#define KELVO_DATA_CONNECTION_POOL_H_

#include <memory>
#include <string_view>

#include "data/provider.h"

namespace kelvo::data {

class ConnectionPool;

// An open provider connection and, when it came from a pool, the pool it goes back to.
struct Lease {
  std::unique_ptr<ProviderConnection> connection;
  std::shared_ptr<ConnectionPool> pool;
};

// Opens a connection or takes a pooled one. Throws Error for a connection string or database
// the provider refuses, and Error(errc::kDatabase) when every connection of the pool stays
// busy past the pool's timeout.
Lease OpenLease(std::string_view connection_string, bool read_only, std::string_view user,
                std::string_view password);

// Gives a connection back to its pool, which keeps it when it resets cleanly (an open
// transaction rolled back) and closes it otherwise. Thread-safe.
void ReturnLease(Lease lease);

}  // namespace kelvo::data

#endif  // KELVO_DATA_CONNECTION_POOL_H_
