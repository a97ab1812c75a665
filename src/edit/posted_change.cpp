#include "edit/posted_change.h"

#include "component/captions.h"
#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_names.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {

std::vector<KeyTerm> PostedKeyTerms(const DbViewState& s, const std::vector<FieldInfo>& fields) {
  const Locale& locale = PageLocale(s);
  std::vector<KeyTerm> terms;
  for (const std::string& key : KeyList(s)) {
    std::optional<std::string> value = PostedValue(s, OriginalKeyName(s, key));
    if (!value) value = PostedValue(s, EditorName(s, key));
    terms.push_back(
        KeyTermFromText(key, FieldTypeOf(fields, key), Trim(value.value_or("")), locale));
  }
  return terms;
}

std::string NotSavedStatus(std::string_view description) {
  return "Record WAS NOT SAVED: " + HtmlAttributeEncode(description) + "<br>";
}

std::string DeleteFailedStatus(std::string_view description) {
  return "Delete failed: " + HtmlAttributeEncode(description) + "<br>";
}

void RefuseUnverifiedChange(DbViewState& s, bool signed_elsewhere) {
  s.mvarStatusText =
      "&nbsp;" + std::string(FormText(s, signed_elsewhere ? TxtSignedElsewhere : TxtNotVerified));
  s.mvarShowStored = true;
  // A page that already streams has sent its status.
  IgnoreFailure([&] { PageResponse(s).SetStatus(403); });
}

void RefuseChangedRecord(DbViewState& s) {
  s.mvarStatusText = "&nbsp;" + MessageText(s, MsgChangedByOther);
  s.mvarChangedByOther = true;
}

WriteTransaction::WriteTransaction(Connection& connection) : connection_(connection) {
  connection_.BeginRepeatableReadTrans();
}

WriteTransaction::~WriteTransaction() {
  if (open_) IgnoreFailure([&] { connection_.RollbackTrans(); });
}

void WriteTransaction::Commit() {
  connection_.CommitTrans();
  open_ = false;
}

}  // namespace kelvo::detail
