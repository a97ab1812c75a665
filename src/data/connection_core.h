// What a Connection holds: the provider connection while open, the procedures defined on it,
// and the cursors opened on it, which it closes when it closes.
#ifndef KELVO_DATA_CONNECTION_CORE_H_
#define KELVO_DATA_CONNECTION_CORE_H_

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/connection_pool.h"
#include "data/provider.h"

namespace kelvo::data {

class CursorCore;

class ConnectionCore final {
 public:
  ConnectionCore() = default;
  ConnectionCore(const ConnectionCore&) = delete;
  ConnectionCore& operator=(const ConnectionCore&) = delete;
  ~ConnectionCore();

  bool is_open() const { return lease_.connection != nullptr; }
  void Open(Lease lease);
  // Closes every cursor still open on the connection, then the connection, which a pooled one
  // returns to its pool. Closing a closed connection does nothing.
  void Close();
  // Throws Error(errc::kClosedObject) when the connection is closed.
  ProviderConnection& provider() const;

  // Defines or redefines (the name without regard to case) a procedure.
  void DefineProcedure(std::string name, std::string sql);

  // `sql` prepared with its placeholders bound to `parameters`, whose count must match.
  std::unique_ptr<ProviderStatement> PrepareBound(std::string_view sql,
                                                  std::span<const Variant> parameters);
  // `sql` with its first `skip` rows left out by the database and its placeholders bound to
  // `parameters`, or null when the provider cannot wrap it (the caller then steps over the
  // rows itself).
  std::unique_ptr<ProviderStatement> PrepareSkipping(std::string_view sql, long skip,
                                                     std::span<const Variant> parameters = {});
  // The statement of a procedure call "name literal, ...", bound to the literals followed by
  // `extra`. An unknown procedure is an Error.
  std::unique_ptr<ProviderStatement> PrepareCall(std::string_view call,
                                                 std::span<const Variant> extra);

  // Cursors register while open so that Close can close them first.
  void Attach(CursorCore& cursor);
  void Detach(CursorCore& cursor);

 private:
  std::unique_ptr<ProviderStatement> Bound(std::unique_ptr<ProviderStatement> statement,
                                           std::span<const Variant> values, std::string_view what);
  const std::string* FindProcedure(std::string_view name) const;

  Lease lease_;
  std::vector<std::pair<std::string, std::string>> procedures_;
  std::vector<CursorCore*> cursors_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_CONNECTION_CORE_H_
