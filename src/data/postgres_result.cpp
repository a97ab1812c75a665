#include "data/postgres_result.h"

#include <cstdlib>
#include <string_view>

#include "kelvo/error.h"

namespace kelvo::data {
namespace {

std::string Trimmed(const char* text) {
  std::string_view view = text != nullptr ? text : "";
  // libpq prefixes its own severity ("ERROR:  ") to the full message.
  for (std::string_view prefix : {"ERROR:  ", "FATAL:  "}) {
    if (view.substr(0, prefix.size()) == prefix) view.remove_prefix(prefix.size());
  }
  while (!view.empty() && (view.back() == '\n' || view.back() == ' ')) view.remove_suffix(1);
  return std::string(view);
}

}  // namespace

std::vector<ResultField> ResultFields(const PGresult* result) {
  std::vector<ResultField> fields(static_cast<size_t>(PQnfields(result)));
  for (size_t i = 0; i < fields.size(); ++i) {
    const int field = static_cast<int>(i);
    fields[i] = {PQfname(result, field), PQftype(result, field), PQfmod(result, field),
                 PQftable(result, field), PQftablecol(result, field)};
  }
  return fields;
}

namespace {

std::string_view SqlState(const PGresult* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  return state ? std::string_view(state) : std::string_view();
}

}  // namespace

bool IsStalePlan(const PGresult* result) {
  const std::string_view code = SqlState(result);
  return code == "0A000" || code == "26000";
}

bool IsCancelled(const PGresult* result) { return SqlState(result) == "57014"; }

bool IsSuccess(const PGresult* result) {
  switch (PQresultStatus(result)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_SINGLE_TUPLE:
    case PGRES_EMPTY_QUERY:
      return true;
    default:
      return false;
  }
}

CountRoundTrip ReadCountRoundTrip(const std::function<PGresult*()>& next, int before,
                                  int after) {
  CountRoundTrip trip;
  // Each statement's results end with a null one; a sync's result stands alone. A lost
  // connection answers nulls from then on.
  const int statements = before + after + 2;
  int statement = 0;
  int syncs = 0;
  while (syncs < 2 && statement <= statements) {
    PGresult* raw = next();
    if (raw == nullptr) {
      ++statement;
      continue;
    }
    PostgresResult result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_PIPELINE_SYNC) {
      ++syncs;
    } else if (statement < before && status == PGRES_TUPLES_OK) {
      trip.before = std::move(result);
    } else if (statement == before && status != PGRES_PIPELINE_ABORTED) {
      trip.count = std::move(result);
    } else if (statement > before && statement <= before + after) {
      // Aborted with a cancelled count, it is left out: its caller does without it.
      if (status == PGRES_TUPLES_OK && trip.after == nullptr) trip.after = std::move(result);
    } else if (!IsSuccess(raw) && status != PGRES_PIPELINE_ABORTED && trip.failure == nullptr) {
      trip.failure = std::move(result);
    }
  }
  return trip;
}

long ChangedRows(const PGresult* result) {
  auto* mutable_result = const_cast<PGresult*>(result);  // libpq's accessors take non-const
  const std::string_view status = PQcmdStatus(mutable_result);
  for (std::string_view verb : {"INSERT", "UPDATE", "DELETE", "MERGE", "COPY"}) {
    if (status.substr(0, verb.size()) == verb) {
      return std::strtol(PQcmdTuples(mutable_result), nullptr, 10);
    }
  }
  return 0;
}

std::string ServerMessage(const PGresult* result, const PGconn* connection) {
  if (result != nullptr) {
    if (const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) {
      std::string message = primary;
      if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL)) {
        message += "; ";
        message += detail;
      }
      return message;
    }
    std::string message = Trimmed(PQresultErrorMessage(result));
    if (!message.empty()) return message;
  }
  std::string message = Trimmed(PQerrorMessage(connection));
  return message.empty() ? "PostgreSQL reported a failure without a message" : message;
}

long FailureNumber(const PGresult* result) {
  return SqlState(result) == "40001" ? errc::kConflict : errc::kDatabase;
}

}  // namespace kelvo::data
