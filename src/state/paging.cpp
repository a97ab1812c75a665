#include "state/paging.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

#include "component/error_report.h"
#include "kelvo/components.h"
#include "kelvo/convert.h"
#include "kelvo/locale.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

// Request numbers can be as large as 32 bits allow; sums are taken in 64 bits and saturated.
std::int32_t Saturate(std::int64_t value) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

bool IsMultiRecordForm(const DbViewState& s) {
  return UCase(s.DisplayType).find("FORM") != std::string::npos && s.RecordsPerPage > 1;
}

}  // namespace

std::int32_t GetRecordCount(const std::shared_ptr<Connection>& connection,
                            std::string_view statement, std::span<const Variant> parameters,
                            int keep_seconds) {
  // Every step is skipped on failure: a statement that cannot be wrapped is simply not counted.
  std::int32_t count = -1;
  std::shared_ptr<Recordset> recordset;
  const std::string query = "SELECT COUNT(*) AS ANT FROM (" + std::string(statement) + ") KELVOALIAS";
  if (!parameters.empty() || keep_seconds > 0) {
    IgnoreFailure([&] {
      if (const std::optional<long long> counted =
              connection->KeptCountWithin(query, parameters, 0, keep_seconds)) {
        count = Saturate(std::max(0LL, *counted));
      }
    });
    return count;
  }
  IgnoreFailure([&] {
    recordset = std::dynamic_pointer_cast<Recordset>(CreateComponent("ADODB.Recordset"));
  });
  if (!recordset) return count;
  IgnoreFailure([&] {
    recordset->Open(query, connection, ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
  });
  IgnoreFailure([&] { count = CLng(recordset->Fields().Item("ANT").Value(), Locale::Default()); });
  IgnoreFailure([&] { recordset->Close(); });
  return count;
}

RecordTotal CountWithinBudget(const std::shared_ptr<Connection>& connection,
                              std::string_view statement, std::int32_t budget_ms,
                              std::span<const Variant> parameters, int keep_seconds) {
  RecordTotal total;
  const std::string query = "SELECT COUNT(*) AS ANT FROM (" + std::string(statement) + ") KELVOALIAS";
  // Each result is taken where it is read: an optional carried out of the lambdas makes GCC 12
  // at -O2 report a false use before initialisation.
  const auto take = [&total](long long rows) { total.count = Saturate(std::max(0LL, rows)); };
  bool cancelled = false;
  IgnoreFailure([&] {
    const std::optional<long long> counted =
        connection->KeptCountWithin(query, parameters, budget_ms, keep_seconds);
    cancelled = !counted;
    if (counted) take(*counted);
  });
  if (cancelled && parameters.empty()) {
    IgnoreFailure([&] {
      const std::optional<long long> estimate = connection->EstimatedRows(statement);
      total.estimated = estimate.has_value();
      if (estimate) take(*estimate);
    });
  }
  return total;
}

std::int32_t PageFetchLimit(const DbViewState& s) {
  const std::int64_t wanted = std::int64_t{s.mvarCurrRecord} + s.RecordsPerPage;
  return wanted <= s.RecordsMaxLimit ? static_cast<std::int32_t>(wanted) : s.RecordsMaxLimit;
}

void CapToRecordLimit(DbViewState& s) {
  if (s.RecordsMaxLimit < s.RecordCount) s.RecordCount = s.RecordsMaxLimit;
  if (s.RecordsMaxLimit < s.mvarCurrRecord) ApplyNavCommand(s);
}

std::int32_t FirstRecordToShow(DbViewState& s) {
  if (s.mvarCurrRecord == 1) return 1;
  // An estimate may fall short of the records there are.
  if (s.RecordCount != -1 && !s.mvarCountEstimated && s.RecordCount < s.mvarCurrRecord) s.mvarCurrRecord = s.RecordCount;
  return std::max(1, std::min(s.mvarCurrRecord, s.RecordsMaxLimit));
}

void PositionOnFirstRecord(DbViewState& s, Recordset& recordset) {
  const std::int32_t first = FirstRecordToShow(s);
  for (std::int32_t i = 1; !recordset.Eof() && i < first; ++i) recordset.MoveNext();
}

std::int32_t TopOfGridWindow(DbViewState& s) {
  const std::int64_t current = s.mvarCurrRecord;
  std::int32_t next = 0;
  s.FromRow = s.mvarCurrRecord;
  if (s.RecordCount < s.RecordsPerPage + current) {
    s.ToRow = s.RecordCount;
  } else {
    s.ToRow = Saturate(current + s.RecordsPerPage - 1);
    next = Saturate(current + s.RecordsPerPage);
  }
  return next;
}

std::int32_t TopOfFormWindow(DbViewState& s) {
  const std::int64_t current = s.mvarCurrRecord;
  const bool multi = IsMultiRecordForm(s);
  std::int32_t next = 0;
  s.FromRow = s.mvarCurrRecord;
  if (s.RecordCount < s.RecordsPerPage + current) {
    if (multi) {
      s.ToRow = s.RecordCount;
    } else if (s.RecordCount == 0 && !s.mvarCountEstimated) {
      // No record is left to show (the last one was deleted): "Record 0 of 0", as below.
      s.ToRow = 0;
    } else {
      s.ToRow = s.mvarCurrRecord;
      next = Saturate(current + 1);
    }
  } else {
    const std::int64_t last = multi ? current + s.RecordsPerPage - 1 : current;
    s.ToRow = Saturate(last);
    next = Saturate(last + 1);
  }
  if (s.RecordCount < next) next = s.RecordCount;
  return next;
}

std::int32_t WindowAfterRendering(DbViewState& s, Recordset& recordset, std::int32_t rows_shown,
                                  std::int32_t top_next) {
  std::int32_t next = top_next;
  const std::int64_t after = std::int64_t{s.mvarCurrRecord} + rows_shown;
  if (!recordset.Eof()) next = after > s.RecordsMaxLimit ? 0 : Saturate(after);
  // The rows read correct an estimate: a record after the page means at least that many, the
  // end of the records means the total is known.
  if (s.mvarCountEstimated && rows_shown > 0 && !s.mvarPageReadInReverse) {
    if (!recordset.Eof()) {
      s.RecordCount = std::max(s.RecordCount, Saturate(after));
    } else {
      s.RecordCount = Saturate(after - 1);
      s.mvarCountEstimated = false;
    }
  }
  s.FromRow = s.mvarCurrRecord;
  s.ToRow = Saturate(after - 1);
  return next;
}

}  // namespace kelvo::detail
