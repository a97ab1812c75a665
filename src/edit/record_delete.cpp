#include "component/captions.h"
#include "component/error_report.h"
#include "edit/edit_names.h"
#include "edit/failure_of.h"
#include "edit/posted_change.h"
#include "edit/record_hash.h"
#include "kelvo/error.h"

namespace kelvo::detail {
namespace {

// The record as the edit statement reads it, for its record check; null when it is gone.
std::shared_ptr<Recordset> ReadRecord(DbViewState& s, const PostedChange& change) {
  const KeyedStatement statement =
      KeyCondition(s, BaseStatement(s.EditSQL), PostedKeyTerms(s, change.fields));
  auto recordset = NewRecordset();
  recordset->SetMaxRecords(1);
  OpenBound(s, *recordset, statement.text, statement.parameters, ado::adOpenForwardOnly,
            ado::adLockReadOnly);
  if (recordset->Eof()) return nullptr;
  return recordset;
}

}  // namespace

bool DeleteNeedsConfirmation(const DbViewState& s) { return s.EditConfirmDelete; }

bool DeletePostedRecord(DbViewState& s, PostedChange& change) {
  const KeyedStatement statement = KeyCondition(s, s.DeleteSQL, PostedKeyTerms(s, change.fields));
  change.statement = statement.display;
  Connection& connection = *EditConnection(s);
  WriteTransaction transaction(connection);
  // A record that is already gone counts as deleted; one that stands is deleted only through
  // a form this server signed for it, showing it as it is now, and when confirmed.
  if (const std::shared_ptr<Recordset> record = ReadRecord(s, change)) {
    const PostedCheck check = CheckPostedVersion(s, *record);
    record->Close();
    if (check.outcome == PostedCheck::kRefused) {
      RefuseUnverifiedChange(s, check.signed_elsewhere);
      return false;
    }
    if (check.outcome == PostedCheck::kChanged) {
      RefuseChangedRecord(s);
      s.mvarShowStored = true;
      return false;
    }
    if (DeleteNeedsConfirmation(s) && PostedValue(s, DeleteConfirmName(s)).value_or("") != "1") {
      s.mvarDeleteUnconfirmed = true;
      return false;
    }
  }
  long deleted = 0;
  if (const auto failure =
          FailureOf([&] { deleted = connection.Execute(statement.text, statement.parameters); })) {
    if (failure->number() == errc::kConflict) {
      RefuseChangedRecord(s);
      s.mvarShowStored = true;
      return false;
    }
    s.mvarStatusText = DeleteFailedStatus(failure->description());
    return false;
  }
  // A key that is not unique must not delete more than the one record the user saw.
  if (deleted > 1) {
    throw Error(errc::kInvalidCall,
                "The key matches " + std::to_string(deleted) + " records; nothing was deleted");
  }
  transaction.Commit();
  s.mvarStatusText = "&nbsp;" + MessageText(s, MsgDeleted);
  return true;
}

}  // namespace kelvo::detail
