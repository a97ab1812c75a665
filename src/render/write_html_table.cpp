// The render driver: one pass from the posted request to the finished frame with exactly one
// renderer inside it.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "component/accessible_markup.h"
#include "component/captions.h"
#include "component/column_questions.h"
#include "component/db_view_state.h"
#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_data_access.h"
#include "edit/edit_form.h"
#include "edit/update_engine.h"
#include "grid/data_grid.h"
#include "grid/excel_export.h"
#include "grid/filter_row.h"
#include "grid/nav_bar.h"
#include "grid/record_view.h"
#include "kelvo/components.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "render/frame.h"
#include "render/record_position.h"
#include "state/grid_filter.h"
#include "state/paging.h"
#include "state/request_state.h"
#include "state/seek_paging.h"
#include "runtime/string_ops.h"

namespace kelvo {
namespace detail {
namespace {

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

std::shared_ptr<Recordset> NewRecordset() {
  auto recordset = std::dynamic_pointer_cast<Recordset>(CreateComponent("ADODB.Recordset"));
  if (!recordset) throw Error(errc::kClassNotRegistered, "ADODB.Recordset is not a recordset");
  return recordset;
}

const std::shared_ptr<Connection>& GridConnection(const DbViewState& s) {
  if (!s.VexmoConnection) {
    throw Error(errc::kObjectRequired, "Object required: the grid has no connection");
  }
  return s.VexmoConnection->Connection();
}

// One call of WriteHtmlTable: the decisions of the request and the recordsets it opened.
class RenderPass {
 public:
  explicit RenderPass(DbViewState& s) : s_(s), started_(std::chrono::steady_clock::now()) {}

  // Steps that run under the driver's failure handler. Returns true when the main recordset
  // is open and was made here, so that its close and the last rows run without the handler.
  bool RenderBody();
  void CloseAndFinish();
  void Abandon() {
    pk_recordset_.reset();
    if (!s_.mvarRecordsetSupplied) recordset_.reset();
  }
  const std::string& ordered_statement() const { return ordered_statement_; }

 private:
  void DecideMode();
  // What is left of CountTimeoutMs since the page started, in whole milliseconds rounded
  // down: the budget bounds the page's wait, and what the page did before it counted is
  // part of it.
  int CountBudgetLeftMs() const;
  void CountRecords();
  bool LastByPosition() const;
  int BudgetLeft() const;
  void ChooseStatement();
  void OpenMainRecordset();
  void OpenDisplayStatement();
  std::string OrderedGridStatement() const;
  bool OpenSoughtPage();
  void Position();
  void LocateKeyedRecord();
  void RenderForm();
  void RenderGrid();
  void WriteStateAndBottomBar();
  void CancelPendingAdd();
  void FinishRows();

  DbViewState& s_;
  std::chrono::steady_clock::time_point started_;
  bool edit_wanted_ = false;
  bool add_wanted_ = false;
  bool by_key_ = false;          // the form's record is the one the request names by key
  bool record_missing_ = false;  // ... and no record has that key
  bool pk_recordset_used_ = false;
  bool positioned_at_open_ = false;  // the display recordset opened on the page's first record
  bool nav_top_ = false;
  bool nav_bottom_ = false;
  bool multi_record_form_ = false;
  bool selector_top_ = false;
  bool selector_bottom_ = false;
  std::string statement_;
  KeyedStatement keyed_statement_;  // the record the request names, its key values bound
  std::string form_statement_;
  std::string ordered_statement_;
  std::shared_ptr<Recordset> recordset_;
  std::shared_ptr<Recordset> pk_recordset_;
  std::int32_t rows_shown_ = 0;
  std::int32_t next_record_ = 0;
  NavBarMemo nav_bar_memo_;  // what the top bar made that the bottom bar repeats
  // What the page's count left of CountTimeoutMs: the facets and counting a record's place
  // share the budget.
  int count_budget_left_ms_ = 0;
  std::int32_t posted_record_ = 1;     // the first record of the page the request came from
  std::optional<SeekOrder> seek_order_;  // the grid's unique order when its pages can be sought
  std::vector<Facet> facets_;
};

void RenderPass::DecideMode() {
  const std::string display_type = UCase(s_.DisplayType);
  const std::string nav_bar = UCase(s_.DisplayNavBar);
  const std::string placement = LCase(s_.RecordsPerPageSelectPlacement);
  s_.mvarFormMode = Contains(display_type, "FORM") || s_.mvarFormOneRec ||
                    (Contains(display_type, "DEFAULT") && s_.RecordsPerPage == 1);
  multi_record_form_ = Contains(display_type, "FORM") && s_.RecordsPerPage > 1;
  const bool add_requested = IsPresent(s_, "FormAdd");
  edit_wanted_ =
      (IsPresent(s_, "FormEdit") || Contains(s_.EditOptions, "NOVIEW") || add_requested) &&
      Contains(s_.EditOptions, "UPDATE");
  // A new record is made only for the add form; the record view would have to move off it.
  add_wanted_ = add_requested && edit_wanted_ && s_.mvarFormMode;
  // A navigation button moves by position, and a page of forms shows its records by position;
  // a procedure or a supplied recordset cannot be narrowed.
  const bool navigating = IsPresent(s_, "NEXT.x") || IsPresent(s_, "PREV.x") ||
                          IsPresent(s_, "FIRST.x") || IsPresent(s_, "LAST.x");
  by_key_ = s_.mvarFormMode && !multi_record_form_ && !add_wanted_ && !navigating &&
            !s_.mvarStoredProc && !s_.mvarRecordsetSupplied && RequestNamesRecord(s_);
  nav_top_ = !Contains(nav_bar, "NONE") && (Contains(nav_bar, "TOP") || Contains(nav_bar, "BOTH"));
  nav_bottom_ =
      !Contains(nav_bar, "NONE") && (Contains(nav_bar, "BOTTOM") || Contains(nav_bar, "BOTH"));
  selector_top_ = s_.DisplayRecordsPerPageSelect && placement == "top";
  selector_bottom_ = s_.DisplayRecordsPerPageSelect && placement == "bottom";
}

// Last needs the true total to find the final page by position; a grid page that can be
// sought reads it by reverse order instead, numbered from the estimate.
bool RenderPass::LastByPosition() const {
  return !Trim(RequestValue(s_, "LAST.x")).empty() && !seek_order_;
}

int RenderPass::CountBudgetLeftMs() const {
  const auto spent = std::chrono::ceil<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started_);
  return std::max(1, s_.CountTimeoutMs - static_cast<int>(spent.count()));
}

// The budget of what the page counts after its records: what the count left of
// CountTimeoutMs, or what the page left of it when the count was carried; 0 without a budget.
int RenderPass::BudgetLeft() const {
  if (s_.CountTimeoutMs <= 0) return 0;
  return count_budget_left_ms_ > 0 ? count_budget_left_ms_ : CountBudgetLeftMs();
}

void RenderPass::CountRecords() {
  if (s_.RecordCount >= 1) return;
  if (!s_.CountRecords || s_.mvarStoredProc) {
    s_.RecordCount = -1;
  } else if (s_.mvarCarriedCount >= 0 && !(s_.mvarCarriedEstimated && LastByPosition())) {
    s_.RecordCount = s_.mvarCarriedCount;
    s_.mvarCountEstimated = s_.mvarCarriedEstimated;
  } else if (s_.CountTimeoutMs > 0) {
    const bool last = LastByPosition();
    const RecordTotal total = CountWithinBudget(GridConnection(s_), FilteredStatement(s_),
                                                last ? 0 : CountBudgetLeftMs(),
                                                s_.mvarFilterParameters, s_.CountCacheSeconds);
    count_budget_left_ms_ = CountBudgetLeftMs();
    s_.RecordCount = total.count;
    s_.mvarCountEstimated = total.estimated;
    if (total.count >= 0) StartCarryingCount(s_);
  } else {
    s_.RecordCount =
        GetRecordCount(GridConnection(s_), FilteredStatement(s_), s_.mvarFilterParameters,
                       s_.CountCacheSeconds);
    if (s_.RecordCount >= 0) StartCarryingCount(s_);
  }
}

void RenderPass::ChooseStatement() {
  statement_ = s_.sql;
  if (!s_.mvarFormMode) return;
  // After a failed save the edit form shows again, built on the statement it saves through.
  form_statement_ = edit_wanted_ || s_.mvarUpdateFailed ? s_.EditSQL : s_.FormSQL;
  if (!by_key_) return;
  keyed_statement_ = s_.mvarSeparateFormSql ? GetSqlPK(s_, form_statement_, false, nullptr)
                                            : GetRequestedRecordSql(s_, s_.sql);
  // A refused key has its ErrorMessage entry; the record is then found by position.
  if (keyed_statement_.empty()) {
    by_key_ = false;
    return;
  }
  statement_ = keyed_statement_.display;
}

void RenderPass::OpenMainRecordset() {
  if (s_.mvarRecordsetSupplied) {
    recordset_ = s_.ADORecordset;
    if (!recordset_) throw Error(errc::kObjectRequired, "Object required: no recordset was given");
    return;
  }
  recordset_ = NewRecordset();
  if (s_.mvarStoredProc) {
    // A static cursor knows its count, which a procedure cannot be wrapped to give.
    if (s_.CountRecords && s_.RecordCount == -1) {
      recordset_->SetCursorType(ado::adOpenStatic);
      recordset_->SetLockType(ado::adLockReadOnly);
    } else {
      recordset_->SetCursorType(ado::adOpenForwardOnly);
      recordset_->SetLockType(ado::adLockOptimistic);
    }
    recordset_->Open(s_.StoredProcCommand, -1, -1, -1);
  } else if (add_wanted_) {
    recordset_->SetMaxRecords(1);
    recordset_->SetCursorLocation(ado::adUseClient);
    recordset_->Open(s_.EditSQL, GridConnection(s_), ado::adOpenKeyset, ado::adLockOptimistic, -1);
    recordset_->AddNew();
  } else {
    OpenDisplayStatement();
  }
  if (!add_wanted_ && s_.CountRecords && s_.RecordCount == -1) {
    s_.RecordCount = recordset_->RecordCount();
  }
}

void RenderPass::OpenDisplayStatement() {
  if (Trim(RequestValue(s_, "LAST.x")).empty() && s_.CountRecords) {
    recordset_->SetMaxRecords(PageFetchLimit(s_));
  }
  if (by_key_) {
    ordered_statement_ = statement_;
    OpenBound(s_, *recordset_, keyed_statement_.text, keyed_statement_.parameters,
              ado::adOpenForwardOnly, ado::adLockReadOnly);
    return;
  }
  ordered_statement_ = OrderedGridStatement();
  CapToRecordLimit(s_);
  if (seek_order_) {
    s_.mvarSeekFields.clear();
    for (const SeekColumn& column : seek_order_->columns) s_.mvarSeekFields.push_back(column.field);
    s_.mvarSeekOrder = seek_order_->clause;
    if (OpenSoughtPage()) return;
  }
  // The page's first record is known before reading: let the database skip to it.
  recordset_->SetFirstRecord(FirstRecordToShow(s_));
  positioned_at_open_ = true;
  if (!s_.mvarFilterParameters.empty()) {
    OpenBound(s_, *recordset_, ordered_statement_, s_.mvarFilterParameters,
              ado::adOpenForwardOnly, ado::adLockReadOnly);
    return;
  }
  recordset_->Open(ordered_statement_, GridConnection(s_), ado::adOpenForwardOnly,
                   ado::adLockReadOnly, -1);
}

// The page next to the one posted from, read by its boundary values; false when it is to be
// found by position.
bool RenderPass::OpenSoughtPage() {
  const std::optional<SoughtStatement> sought = SeekStatement(s_, *seek_order_, posted_record_);
  if (!sought) return false;
  const long max_records = recordset_->MaxRecords();
  recordset_->SetMaxRecords(sought->max_records);
  try {
    OpenBound(s_, *recordset_, sought->text, sought->parameters, ado::adOpenForwardOnly,
              ado::adLockReadOnly);
  } catch (const Error&) {
    // A statement the database will not wrap is still read by position.
    recordset_ = NewRecordset();
    recordset_->SetMaxRecords(max_records);
    return false;
  }
  positioned_at_open_ = true;
  ordered_statement_ = sought->text;
  s_.mvarPageReadInReverse = sought->reversed && s_.mvarCountEstimated;
  return true;
}

std::string RenderPass::OrderedGridStatement() const {
  if (seek_order_) return FilteredStatement(s_) + " ORDER BY " + seek_order_->clause;
  std::string ordered = FilteredStatement(s_);
  if (!s_.OrderByFields.empty()) {
    ordered += " ORDER BY " + s_.OrderByFields;
    if (s_.OrderByDesc) ordered += " DESC ";
  }
  return ordered;
}

void RenderPass::Position() {
  if (add_wanted_) return;
  if (by_key_) {
    CapToRecordLimit(s_);
    LocateKeyedRecord();
    return;
  }
  if (!positioned_at_open_) {
    CapToRecordLimit(s_);
    PositionOnFirstRecord(s_, *recordset_);
  }
  if (!s_.mvarFormMode || !s_.mvarSeparateFormSql) return;
  const KeyedStatement one_record = GetSqlPK(s_, form_statement_, true, recordset_.get());
  if (one_record.empty()) return;
  pk_recordset_ = NewRecordset();
  pk_recordset_->SetMaxRecords(1);
  OpenBound(s_, *pk_recordset_, one_record.text, one_record.parameters, ado::adOpenForwardOnly,
            ado::adLockReadOnly);
  pk_recordset_used_ = true;
}

// The record's place in the grid's order, for the record texts and the navigation from it; a
// record deleted since it was named is said to be gone, never replaced by a neighbour.
void RenderPass::LocateKeyedRecord() {
  if (recordset_->Eof()) {
    record_missing_ = true;
    const std::string gone = "&nbsp;" + MessageText(s_, MsgNoLongerExists);
    s_.mvarStatusText = s_.mvarStatusText.empty() ? gone : s_.mvarStatusText + gone;
    return;
  }
  // The link's number and the count the page carries were taken together, when the link was
  // drawn: while that count is trusted, so is the number, and neither is taken again.
  if (s_.mvarCarriedCount >= 0 && !s_.mvarCarriedEstimated && s_.mvarCurrRecord >= 1 &&
      s_.mvarCurrRecord <= s_.mvarCarriedCount) {
    return;
  }
  // The count of all records ran past the budget just now; the count of those before this
  // one would most likely too, and the page would pay the budget twice.
  if (s_.mvarCountEstimated && s_.mvarCurrRecord >= 1) {
    s_.mvarPositionEstimated = true;
    return;
  }
  // A record of the grid's own statement in a unique order stands after the records that
  // compare before it: counted, not read.
  const std::optional<SeekOrder> order = s_.mvarSeparateFormSql ? std::nullopt : SeekOrderOf(s_);
  std::optional<KeyedPosition> counted;
  if (order) {
    counted = CountedRecordPosition(s_, *order, *recordset_, s_.mvarCurrRecord, BudgetLeft());
  }
  if (counted) {
    if (counted->estimated) {
      s_.mvarPositionEstimated = true;
    } else if (counted->record <= s_.RecordsMaxLimit) {
      s_.mvarCurrRecord = counted->record;
    }
    return;
  }
  const std::optional<std::int32_t> position =
      RecordPosition(s_, OrderedGridStatement(), *recordset_, s_.mvarCurrRecord);
  if (position) s_.mvarCurrRecord = *position;
}

void RenderPass::RenderForm() {
  Recordset& shown = pk_recordset_used_ ? *pk_recordset_ : *recordset_;
  // After the delete of the last record a form posted without script still asks for editing,
  // but there is nothing left to edit.
  const bool no_record = record_missing_ || (!add_wanted_ && shown.Eof());
  const bool editing = !no_record && (s_.mvarUpdateFailed || edit_wanted_);
  if (editing && s_.AccessibleMarkup) RenderEditButtonBar(s_, shown);
  if (multi_record_form_ && selector_top_) WriteTopSelectorRow(s_);
  // A record read by its key alone leaves no record after it to read: the count tells the
  // bottom bar whether there is one, as it tells the top bar.
  if ((nav_top_ || by_key_) && s_.CountRecords) next_record_ = TopOfFormWindow(s_);
  if (nav_top_ && s_.CountRecords) {
    Write(s_, BuildNavBar(s_, 1, next_record_, "Top", &nav_bar_memo_));
  }
  WriteFormCellStart(s_);
  if (record_missing_) {
    WriteStatusRow(s_, s_.mvarStatusText);
  } else if (editing) {
    RenderEditForm(s_, shown, rows_shown_);
  } else {
    MakeFormGrid(s_, shown, rows_shown_);
    // No record, so no button bar to carry the status: the delete of the last one says so here.
    if (rows_shown_ == 0 && !s_.mvarStatusText.empty()) WriteNoRecordRow(s_);
  }
  WriteBodyCellEnd(s_);
}

void RenderPass::RenderGrid() {
  // First in the form, so that Enter in the search box presses its button.
  WriteFilterRows(s_, *recordset_, facets_);
  if (selector_top_) WriteTopSelectorRow(s_);
  Response& response = PageResponse(s_);
  // An estimate may be stale: the rows read correct it, and the top bar waits for them, so
  // that it offers what the bottom bar offers. The page is still buffered, so the bar is
  // placed where it belongs.
  std::optional<std::size_t> top_bar_at;
  if (nav_top_ && s_.CountRecords) {
    next_record_ = TopOfGridWindow(s_);
    if (s_.mvarCountEstimated && !response.IsStreaming()) {
      top_bar_at = response.Buffered().size();
    } else {
      Write(s_, BuildNavBar(s_, 1, next_record_, "Top", &nav_bar_memo_));
    }
  }
  if (Contains(s_.EditOptions, "ADD")) WriteAddButtonRow(s_);
  WriteGridCellStart(s_, GetGridColumnSpan(s_, recordset_->Fields().Count()));
  MakeDataGrid(s_, *recordset_, rows_shown_);
  WriteBodyCellEnd(s_);
  if (rows_shown_ == 0 && !s_.mvarFilterCondition.empty()) WriteNoRowsMatchRow(s_);
  if (top_bar_at) {
    const std::int32_t next = WindowAfterRendering(s_, *recordset_, rows_shown_, next_record_);
    response.InsertBuffered(*top_bar_at, BuildNavBar(s_, 1, next, "Top", &nav_bar_memo_));
  }
}

void RenderPass::WriteStateAndBottomBar() {
  next_record_ = WindowAfterRendering(s_, *recordset_, rows_shown_, next_record_);
  Write(s_, HiddenInputsBetweenRows(s_, GetStateHiddenFields(s_)));
  if (nav_bottom_) Write(s_, BuildNavBar(s_, 1, next_record_, "", &nav_bar_memo_));
}

bool RenderPass::RenderBody() {
  ReadRequestState(s_);
  DecideMode();
  if (!s_.mvarFormMode) seek_order_ = SeekOrderOf(s_);
  CountRecords();
  ChooseStatement();
  posted_record_ = s_.mvarCurrRecord;
  ApplyNavCommand(s_);
  // Before the grid's rows are open, which a database may have to read ahead of another query.
  if (!s_.mvarFormMode) facets_ = ReadFacets(s_, BudgetLeft());
  OpenMainRecordset();
  Position();
  // A posted key's values are request text: encoded where the debug row shows them.
  const bool editing = s_.mvarFormMode && (s_.mvarUpdateFailed || edit_wanted_);
  // With AccessibleMarkup the visible Save is the first button (RenderForm); a delete waiting
  // for its confirmation still needs Enter to go back, not to delete.
  const bool default_button =
      editing && s_.EditEnterSaves && (!s_.AccessibleMarkup || s_.mvarDeleteUnconfirmed);
  WriteFrameHead(s_, s_.mvarFormMode, by_key_ ? HtmlAttributeEncode(statement_) : statement_,
                 editing, default_button ? EditFormDefaultButton(s_) : std::string());
  if (s_.mvarFormMode) {
    RenderForm();
  } else {
    RenderGrid();
  }
  WriteStateAndBottomBar();
  const bool close_unguarded =
      !s_.mvarRecordsetSupplied && recordset_->State() == ado::adStateOpen;
  if (close_unguarded) {
    CancelPendingAdd();
  } else {
    FinishRows();
  }
  return close_unguarded;
}

// The empty record of an add form is never stored by the driver.
void RenderPass::CancelPendingAdd() {
  IgnoreFailure([&] {
    if (recordset_->EditMode() != ado::adEditNone) recordset_->CancelUpdate();
  });
}

void RenderPass::CloseAndFinish() {
  recordset_->Close();
  recordset_.reset();
  FinishRows();
}

void RenderPass::FinishRows() {
  if (pk_recordset_used_) {
    pk_recordset_->Close();
    pk_recordset_.reset();
  }
  if ((multi_record_form_ || !s_.mvarFormMode) && selector_bottom_) WriteBottomSelectorRow(s_);
  WriteFrameEnd(s_);
}

}  // namespace
}  // namespace detail

void DbView::WriteHtmlTable() {
  detail::DbViewState& s = *s_;
  if (!detail::RequestValue(s, "ToExcel.x").empty()) {
    Response& response = detail::PageResponse(s);
    response.Clear();
    detail::WriteExcelTable(s);
    response.End();
  }
  s.mvarUpdateFailed = false;
  s.mvarChangedByOther = false;
  s.mvarStartedFrom.clear();
  s.mvarShowStored = false;
  s.mvarDeleteUnconfirmed = false;
  s.mvarSavedKey.clear();
  s.mvarPositionEstimated = false;
  s.mvarSeekFields.clear();
  s.mvarPageFirstValues.clear();
  s.mvarPageLastValues.clear();
  s.mvarPageReadInReverse = false;
  s.mvarNavAnnounced = false;
  if ((!detail::RequestValue(s, "FormUpdate").empty() ||
       !detail::RequestValue(s, "FormDelete").empty()) &&
      s.EditPerformUpdates) {
    s.mvarUpdateFailed = !detail::UpdateRecord(s);
  }

  detail::RenderPass pass(s);
  bool close_unguarded = false;
  try {
    close_unguarded = pass.RenderBody();
  } catch (const std::exception& failure) {
    std::string text_after = " in WriteHTMLTable.<br>";
    if (s.DisplayDebug) text_after += "sql='" + pass.ordered_statement() + "'<br>";
    detail::AppendError(s, failure.what(), text_after);
    pass.Abandon();
    return;
  }
  // Closing the recordset and the last rows run outside the handler: a failure there fails
  // the call.
  if (close_unguarded) pass.CloseAndFinish();
}

}  // namespace kelvo
