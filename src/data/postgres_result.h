// Owning libpq results and the server's messages they carry.
#ifndef KELVO_DATA_POSTGRES_RESULT_H_
#define KELVO_DATA_POSTGRES_RESULT_H_

#include <libpq-fe.h>

#include <memory>
#include <string>

namespace kelvo::data {

struct PostgresResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PostgresResult = std::unique_ptr<PGresult, PostgresResultFree>;

// Whether a result reports success: a command, rows, or one row of a streamed query.
bool IsSuccess(const PGresult* result);

// The rows a command reports as changed: those of INSERT, UPDATE, DELETE, MERGE and COPY; a
// query changes none.
long ChangedRows(const PGresult* result);

// The server's message for a failed result, with its detail when it has one; the
// connection's own message when there is no result (a lost connection, say). Trimmed.
std::string ServerMessage(const PGresult* result, const PGconn* connection);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_RESULT_H_
