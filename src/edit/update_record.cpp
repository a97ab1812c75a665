#include "component/error_report.h"
#include "component/page_access.h"
#include "edit/edit_names.h"
#include "edit/failure_of.h"
#include "edit/posted_change.h"
#include "edit/update_engine.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

bool Allows(const DbViewState& s, std::string_view word) {
  return s.EditOptions.find(word) != std::string::npos;
}

std::string PostedButton(const DbViewState& s, std::string_view suffix) {
  return PostedValue(s, ParameterName(s, suffix)).value_or("");
}

}  // namespace

bool UpdateRecord(DbViewState& s) {
  bool result = true;
  bool deleting = false;
  PostedChange change;
  const auto failure = FailureOf([&] {
    // Only the edit form's own post changes data, never a link or a cookie.
    if (!PageRequest(s).IsPost()) return;
    const std::string update = PostedButton(s, "FormUpdate");
    const std::string remove = PostedButton(s, "FormDelete");
    if (update.empty() && remove.empty()) return;
    deleting = !Trim(remove).empty() && !s.DeleteSQL.empty();
    // The signed-in user's role may not write this page, whatever the form offers.
    if (!PageMayWrite(s)) {
      constexpr std::string_view kReadOnly = "Your role may not change this data";
      s.mvarStatusText = deleting ? DeleteFailedStatus(kReadOnly) : NotSavedStatus(kReadOnly);
      IgnoreFailure([&] { PageResponse(s).SetStatus(403); });
      result = false;
      return;
    }
    if (!Allows(s, "UPDATE")) return;
    if (s.EditPrimaryKeys.empty()) {
      constexpr std::string_view kNoKeys = "Kelvo property EditPrimaryKeys must be set!";
      AppendError(s, kNoKeys, "<br>");
      s.mvarStatusText = deleting ? DeleteFailedStatus(kNoKeys) : NotSavedStatus(kNoKeys);
      result = false;
      return;
    }
    change.inserting = !deleting && !Trim(PostedButton(s, "FormInsert")).empty();
    if (deleting && !Allows(s, "DELETE")) {
      throw Error(errc::kInvalidCall, "EditOptions does not allow deleting records");
    }
    if (change.inserting && !Allows(s, "ADD")) {
      throw Error(errc::kInvalidCall, "EditOptions does not allow adding records");
    }
    change.fields = ProbeStatement(s, s.EditSQL).fields;
    result = deleting ? DeletePostedRecord(s, change) : SavePostedRecord(s, change);
  });
  if (!failure) return result;
  std::string text_after = " in UpdateRecord.<br>";
  if (s.DisplayDebug) text_after += "sql='" + change.statement + "'<br>";
  AppendError(s, failure->description(), text_after);
  s.mvarStatusText = deleting ? DeleteFailedStatus(failure->description())
                              : NotSavedStatus(failure->description());
  return false;
}

}  // namespace kelvo::detail
