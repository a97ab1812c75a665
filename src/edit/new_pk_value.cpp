#include "edit/new_pk_value.h"

#include <memory>

#include "component/error_report.h"
#include "component/page_access.h"
#include "edit/edit_data_access.h"
#include "kelvo/convert.h"
#include "kelvo/error.h"

namespace kelvo::detail {

std::string GetNewPKValue(DbViewState& s, std::string_view statement) {
  std::string value;
  const std::string text_after = s.DisplayDebug
                                     ? " in GetNewPKValue. sql='" + std::string(statement) + "'<br>"
                                     : std::string(" in GetNewPKValue.<br>");
  const bool ok = GuardedStep(s, text_after, [&] {
    const std::shared_ptr<Recordset> recordset = NewRecordset();
    recordset->SetMaxRecords(1);
    recordset->SetCursorLocation(ado::adUseClient);
    recordset->Open(statement, EditConnection(s), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
    value = CStr(recordset->Fields().Item(0).Value(), PageLocale(s));
    recordset->Close();
  });
  return ok ? value : std::string();
}

std::string NewPKStatementItem(const DbViewState& s, std::size_t position, std::size_t key_count) {
  const std::string_view list = s.EditNewPKStatement;
  if (key_count == 1) return std::string(list);
  std::size_t start = 0;
  for (std::size_t i = 0; i < position; ++i) {
    start = list.find(',', start);
    if (start == std::string_view::npos) {
      throw Error(errc::kSubscriptOutOfRange,
                  "Subscript out of range: EditNewPKStatement has no item for key " +
                      std::to_string(position + 1));
    }
    ++start;
  }
  return std::string(list.substr(start, list.find(',', start) - start));
}

}  // namespace kelvo::detail
