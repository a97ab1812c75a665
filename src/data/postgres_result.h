// Owning libpq results and the server's messages they carry.
#ifndef KELVO_DATA_POSTGRES_RESULT_H_
#define KELVO_DATA_POSTGRES_RESULT_H_

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvo::data {

struct PostgresResultFree {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PostgresResult = std::unique_ptr<PGresult, PostgresResultFree>;

// Whether a result reports success: a command, rows, or one row of a streamed query.
bool IsSuccess(const PGresult* result);

// What a result or a prepared statement's description says of one of its columns.
struct ResultField {
  std::string name;
  Oid type = 0;
  int modifier = -1;
  Oid table = 0;  // the table the column is read from, or 0 for a computed one
  int number = 0;
  friend bool operator==(const ResultField&, const ResultField&) = default;
};
std::vector<ResultField> ResultFields(const PGresult* result);

// Whether a prepared statement failed as a whole, before it ran, because it is stale: its result
// columns changed under it ("cached plan must not change result type"), or a page's own
// DEALLOCATE dropped it. Outside a transaction it can be run again, prepared anew.
bool IsStalePlan(const PGresult* result);
// The statement timeout, or a cancel request, ended the statement.
bool IsCancelled(const PGresult* result);

// The rows a command reports as changed: those of INSERT, UPDATE, DELETE, MERGE and COPY; a
// query changes none.
long ChangedRows(const PGresult* result);

// The server's message for a failed result, with its detail when it has one; the
// connection's own message when there is no result (a lost connection, say). Trimmed.
std::string ServerMessage(const PGresult* result, const PGconn* connection);
// The error number of a failed result: errc::kConflict when a write met a row that another
// transaction changed after this one's snapshot was taken (repeatable read), else kDatabase.
long FailureNumber(const PGresult* result);

// A budgeted count's round trip as it was sent: `before` statements that open its transaction,
// the count, `after` statements that read along with it (0 or 1), a sync, the rollback and a
// sync.
struct CountRoundTrip {
  PostgresResult before;   // the rows of the last statement before the count that read any
  PostgresResult count;    // the count's own result; null when it never came
  PostgresResult after;    // the rows of the statement after the count; null when it failed
  PostgresResult failure;  // the first failure of another statement, the rollback's included
};

// Reads the results of that round trip with `next` (PQgetResult), to the second sync or to the
// end of what a lost connection answers.
CountRoundTrip ReadCountRoundTrip(const std::function<PGresult*()>& next, int before,
                                  int after = 0);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_RESULT_H_
