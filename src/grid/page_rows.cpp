#include "grid/page_rows.h"

#include "component/error_report.h"
#include "state/seek_paging.h"

namespace kelvo::detail {

bool HasAnotherPageRecord(DbViewState& s, Recordset& recordset, std::int32_t rows_shown,
                          std::string_view failure_text) {
  bool more = false;
  GuardedStep(s, failure_text, [&] {
    more = !recordset.Eof() && rows_shown < s.RecordsPerPage &&
           std::int64_t{s.RecordsMaxLimit} >= std::int64_t{s.mvarCurrRecord} + rows_shown;
  });
  if (more) NotePageRecord(s, recordset, rows_shown);
  return more;
}

}  // namespace kelvo::detail
