#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "component/captions.h"
#include "component/column_questions.h"
#include "component/dispatch_table.h"
#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_lookups.h"
#include "edit/edit_names.h"
#include "edit/editor_values.h"
#include "edit/failure_of.h"
#include "edit/field_rules.h"
#include "edit/new_pk_value.h"
#include "edit/posted_change.h"
#include "edit/record_hash.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

// A value as the audit trail writes it; nothing for NULL.
std::optional<std::string> RecordedText(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return std::nullopt;
  return AsText(value);
}

class RecordSave {
 public:
  RecordSave(DbViewState& s, PostedChange& change) : s_(s), change_(change) {}

  bool Run();

 private:
  bool Open(const KeyedStatement& statement);
  bool AddNew();
  bool CheckRecord();
  bool AssignFields();
  bool AssignField(Field& field, int column, const std::string& posted);
  void RefuseFieldsAtFault();
  bool IsUntouched(Field& field, int column, const std::string& posted);
  std::optional<std::size_t> KeyPosition(std::string_view name) const;
  bool Write();
  void RefuseChangedRecord(const RecordVersion& shown);
  void RememberSavedKey();

  DbViewState& s_;
  PostedChange& change_;
  std::vector<std::string> keys_;
  std::shared_ptr<Recordset> recordset_;
  RecordVersion shown_;  // the version the form showed, checked on reading
  // With AccessibleMarkup every field is checked, so that the refusal names each one at fault.
  struct Fault {
    int column;
    std::string name;
    RuleOutcome::Kind kind;
    std::string posted;
  };
  std::vector<Fault> faults_;
};

bool RecordSave::Run() {
  keys_ = KeyList(s_);
  const std::string base(BaseStatement(s_.EditSQL));
  KeyedStatement statement;
  if (change_.inserting) {
    // An insert needs the table's fields, none of its rows.
    statement.text = statement.display = base + " WHERE 1=0";
  } else {
    statement = KeyCondition(s_, base, PostedKeyTerms(s_, change_.fields));
  }
  change_.statement = statement.display;
  if (change_.inserting) {
    const PostedCheck check = CheckPostedInsert(s_);
    if (check.outcome == PostedCheck::kRefused) {
      RefuseUnverifiedChange(s_, check.signed_elsewhere);
      return false;
    }
  }
  WriteTransaction transaction(*EditConnection(s_));
  if (!Open(statement)) return false;
  if (!(change_.inserting ? AddNew() : CheckRecord())) return false;
  if (!AssignFields() || !Write()) return false;
  transaction.Commit();
  RememberSavedKey();
  recordset_->Close();
  s_.mvarStatusText = "&nbsp;" + MessageText(s_, change_.inserting ? MsgNewSaved : MsgSaved);
  return true;
}

bool RecordSave::Open(const KeyedStatement& statement) {
  recordset_ = NewRecordset();
  recordset_->SetCursorLocation(ado::adUseClient);
  // Two rows are enough to tell a key that is not unique.
  if (!change_.inserting) recordset_->SetMaxRecords(2);
  const auto failure = FailureOf([&] {
    OpenBound(s_, *recordset_, statement.text, statement.parameters, ado::adOpenKeyset,
              ado::adLockOptimistic);
  });
  if (!failure) return true;
  AppendError(s_,
              "Unable to open recordset. sql='" + statement.display + "' " + failure->description(),
              "<br>");
  s_.mvarStatusText = NotSavedStatus(failure->description());
  return false;
}

bool RecordSave::AddNew() {
  const auto failure = FailureOf([&] { recordset_->AddNew(); });
  if (!failure) return true;
  AppendError(s_, "Recordset does not support the AddNew method. " + failure->description(),
              "<br>");
  s_.mvarStatusText = NotSavedStatus(failure->description());
  return false;
}

bool RecordSave::CheckRecord() {
  if (recordset_->Eof()) {
    throw Error(errc::kNoCurrentRecord,
                "No record has the posted key; another user may have deleted it");
  }
  if (recordset_->RecordCount() > 1) {
    throw Error(errc::kInvalidCall, "The key matches more than one record; nothing was saved");
  }
  const PostedCheck check = CheckPostedVersion(s_, *recordset_);
  if (check.outcome == PostedCheck::kRefused) {
    RefuseUnverifiedChange(s_, check.signed_elsewhere);
    return false;
  }
  if (check.outcome == PostedCheck::kChanged) {
    RefuseChangedRecord(check.shown);
    return false;
  }
  shown_ = check.shown;
  return true;
}

std::optional<std::size_t> RecordSave::KeyPosition(std::string_view name) const {
  const std::string wanted = UCase(name);
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (UCase(keys_[i]) == wanted) return i;
  }
  return std::nullopt;
}

bool RecordSave::IsUntouched(Field& field, int column, const std::string& posted) {
  if (EditorKindOf(field.Type()) == EditorKind::kCheckBox) {
    return IsStoredTrue(s_, field) == !posted.empty();
  }
  return posted == AsBrowserPosts(PostedFormOf(s_, field, column), StoredEditorText(s_, field));
}

bool RecordSave::AssignFields() {
  int column = 0;
  for (Field& field : recordset_->Fields()) {
    ++column;
    std::optional<std::string> posted;
    bool generated = false;
    const std::optional<std::size_t> key_position = KeyPosition(field.Name());
    if (change_.inserting && key_position && !Trim(s_.EditNewPKStatement).empty()) {
      const std::string item = NewPKStatementItem(s_, *key_position, keys_.size());
      if (LCase(item) == "autoincrement") continue;  // the database assigns it
      if (!Trim(item).empty()) {
        posted = GetNewPKValue(s_, item);
        generated = true;
      }
    }
    if (!generated) {
      // Only what the form showed is written: a field without an editor posts nothing.
      if (!IsSavedField(s_, field, column)) continue;
      // After another user's change the user took the stored value: it stays as it is.
      if (!change_.inserting && PostedValue(s_, ChoiceName(s_, field.Name())) == "stored") continue;
      posted = PostedValue(s_, EditorName(s_, field.Name()));
      if (EditorKindOf(field.Type()) == EditorKind::kCheckBox) {
        posted = posted.value_or("");  // an unticked box posts nothing
      } else if (!posted) {
        if (!change_.inserting) continue;
        posted = "";
      }
      // A new record's field that is still Empty is one the database fills (a serial or
      // identity key, a default): left blank, it is left out of the insert rather than
      // required. An unticked box is a choice, not a blank.
      const bool check_box = EditorKindOf(field.Type()) == EditorKind::kCheckBox;
      if (change_.inserting && posted->empty() && !check_box && field.Value().IsEmpty()) continue;
      if (!change_.inserting && IsUntouched(field, column, *posted)) continue;
      if (!change_.inserting && IsMultiLineText(s_, field)) {
        posted = WithStoredLineBreaks(*posted, StoredEditorText(s_, field));
      }
    }
    if (!AssignField(field, column, *posted)) return false;
  }
  if (faults_.empty()) return true;
  RefuseFieldsAtFault();
  return false;
}

void RecordSave::RefuseFieldsAtFault() {
  IgnoreFailure([&] { recordset_->CancelUpdate(); });
  std::string items;
  for (const Fault& fault : faults_) {
    s_.mvarFieldsAtFault.push_back(fault.name);
    std::string caption = GetFormCaption(s_, fault.column, fault.name);
    if (IsFormFieldShown(s_, fault.name, fault.column)) {
      caption = "<a href=\"#" + HtmlAttributeEncode(EditorTarget(s_, fault.name, fault.column)) +
                "\">" + caption +
                "</a>";
    }
    std::string reason(FormText(s_, TxtValueRequired));
    if (fault.kind != RuleOutcome::kRequired) {
      reason = HtmlAttributeEncode(fault.posted) + " " +
               std::string(FormText(
                   s_, fault.kind == RuleOutcome::kNotNumber ? TxtNotNumber : TxtNotDate));
    }
    items += "<li>" + caption + ": " + reason + "</li>";
  }
  // Only empty fields: the page's own not-saved message says what to do.
  const bool only_empty = std::all_of(faults_.begin(), faults_.end(), [](const Fault& fault) {
    return fault.kind == RuleOutcome::kRequired;
  });
  s_.mvarStatusText =
      (only_empty ? MessageText(s_, MsgNotSaved) : std::string(FormText(s_, TxtFieldsAtFault))) +
      "<ul class=\"KelvoFieldsAtFault\">" + items + "</ul>";
}

bool RecordSave::AssignField(Field& field, int column, const std::string& posted) {
  // A list without an empty choice asks for one of its rows, whatever the column accepts.
  const bool nullable =
      (field.Attributes() & ado::adFldIsNullable) != 0 && !IsRequiredLookup(s_, field.Name());
  RuleOutcome outcome = ApplyFieldRule(field.Type(), posted, nullable, PageLocale(s_));
  switch (outcome.kind) {
    case RuleOutcome::kAssign:
      change_.changes.push_back({field.Name(),
                                 change_.inserting ? std::nullopt : RecordedText(field.Value()),
                                 RecordedText(outcome.value)});
      field.SetValue(outcome.value);
      return true;
    case RuleOutcome::kSkip:
      return true;
    default:
      break;
  }
  if (s_.AccessibleMarkup) {
    faults_.push_back({column, field.Name(), outcome.kind, posted});
    return true;
  }
  switch (outcome.kind) {
    case RuleOutcome::kRequired:
      s_.mvarStatusText = "&nbsp;" + MessageText(s_, MsgNotSaved);
      IgnoreFailure([&] { recordset_->CancelUpdate(); });
      return false;
    case RuleOutcome::kNotNumber:
      s_.mvarStatusText = "&nbsp;" + HtmlAttributeEncode(posted) + " is not a number";
      return false;
    case RuleOutcome::kNotDate:
      s_.mvarStatusText = "&nbsp;" + HtmlAttributeEncode(posted) + " is not a valid date";
      return false;
    default:
      return false;
  }
}

bool RecordSave::Write() {
  const auto failure = FailureOf([&] { recordset_->Update(); });
  if (!failure) return true;
  if (failure->number() == errc::kConflict) {
    RefuseChangedRecord(shown_);
    return false;
  }
  AppendError(s_, "Update failed: " + failure->description(), "<br>");
  s_.mvarStatusText = NotSavedStatus(failure->description());
  return false;
}

void RecordSave::RefuseChangedRecord(const RecordVersion& shown) {
  detail::RefuseChangedRecord(s_);
  s_.mvarStartedFrom = shown.fields;
}

// The record as written, a new one's assigned key included: the form after the save shows it.
void RecordSave::RememberSavedKey() {
  std::vector<Variant> key;
  IgnoreFailure([&] {
    for (const std::string& name : keys_) {
      Variant value = recordset_->Fields().Item(name).Value();
      if (value.IsNull() || value.IsEmpty()) return;
      key.push_back(std::move(value));
    }
  });
  if (key.size() == keys_.size()) s_.mvarSavedKey = std::move(key);
}

}  // namespace

bool SavePostedRecord(DbViewState& s, PostedChange& change) { return RecordSave(s, change).Run(); }

}  // namespace kelvo::detail
