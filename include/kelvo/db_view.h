// DbView: the database grid a page creates, configures through properties and asks to render.
//
// One DbView serves one page request on the page's thread; it is not thread-safe and keeps
// nothing between requests. Lifecycle: create → OnStartPage(context) → set properties →
// WriteHtmlTable() → read ErrorMessage, RecordCount, FromRow, ToRow, CurrentMode,
// CurrentRecord → OnEndPage().
//
// Failures: rendering traps its own failures and appends "description in Procedure<br>"
// entries to ErrorMessage. Property setters and the calls named below as failing the call
// throw kelvo::Error.
#ifndef KELVO_DB_VIEW_H_
#define KELVO_DB_VIEW_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "kelvo/export.h"
#include "kelvo/object.h"

namespace kelvo {

class Command;
class DBConnection;
class Recordset;
class ScriptingContext;
namespace detail {
struct DbViewState;
}

class KELVO_EXPORT DbView final : public Object {
 public:
  // Sets every property to its default and the captions to English.
  DbView();
  ~DbView() override;

  // Page hooks. OnStartPage keeps the context; a context that is not a ScriptingContext is
  // recorded in ErrorMessage ("number:description in OnStartPage<br>"). OnEndPage releases a
  // connection the grid made from ConnectionString, releases the context and completes the
  // object context.
  void OnStartPage(const Variant& context);
  void OnEndPage();

  // Renders the grid (or record form, or export) into the page's response.
  void WriteHtmlTable();
  // Opens `connection` as ConnectionString and renders "SELECT * FROM " + `table`.
  void QHtmlTable(std::string_view connection, std::string_view table);

  // The accumulated failure entries; never cleared by the grid.
  const std::string& ErrorMessage() const;
  // "grid", "formview", "formedit" or "formadd" for the current request.
  std::string CurrentMode() const;
  // The value of field `column` (from 1) of the first record the last rendering showed; the
  // empty text while an add form is requested. Throws Error when no record was captured.
  Variant CurrentRecord(std::int16_t column) const;

  // Data sources. ConnectionString opens a new connection that the grid owns (fails the call
  // when the database refuses it). VexmoConnection is the page's shared connection.
  // StoredProcCommand and ADORecordset hand in a command or an open recordset, which stay the
  // page's; VexmoConnection must be set before StoredProcCommand.
  const std::string& ConnectionString() const;
  void SetConnectionString(std::string_view value);
  const std::shared_ptr<DBConnection>& VexmoConnection() const;
  void SetVexmoConnection(std::shared_ptr<DBConnection> value);
  const std::shared_ptr<Command>& StoredProcCommand() const;
  void SetStoredProcCommand(std::shared_ptr<Command> value);
  void SetADORecordset(std::shared_ptr<Recordset> value);

  // Captions: Language is "ENG", "GER" or "NOR" (exact case; other values are ignored). The
  // three lists replace the caption (12 items), button (5) and message (3 to 5) tables; a
  // list with too few items is reported in ErrorMessage and ignored, and message slots a list
  // does not reach keep their texts.
  const std::string& Language() const;
  void SetLanguage(std::string_view value);
  void SetLanguageString(std::string_view value);
  void SetLanguageBtnString(std::string_view value);
  void SetLangUpdString(std::string_view value);
  // The search and filter texts (10 items): the search box label, its button, the operators
  // contains, equals, from, to and is empty, the empty result, the link that clears the
  // filters and the link to the view shown. Up to 11 more items replace the statuses, in
  // order: a search too long, a search with no text column, a filter the column does not
  // offer, a filter text too long, not a number, not a date, out of range, search and filters
  // refused on a procedure, facets left out as too slow, and a search and a "contains" filter
  // whose text holds *, ? or %, matched as typed; in them "%1" stands for the column and "%2"
  // for the value. Items are split at every comma, so a text of the list holds none.
  void SetLanguageFilterString(std::string_view value);

  // Lookup lists of the edit form: the editor of `field_name` becomes a select list of
  // `link_field` values (the stored value) captioned by `display_field`, read from
  // `lookup_table` ordered by `order_by` (may be empty); `allow_nulls` offers an empty first
  // choice. The texts are stored as given and put into the lookup query, so they must come
  // from the page, never from a request. A later call for the same field is never used.
  void AddEditLookup(std::string_view field_name, std::string_view lookup_table,
                     std::string_view link_field, std::string_view display_field,
                     std::string_view order_by, bool allow_nulls);
  // The stored definition of the field's first lookup ("CountryId,Countries,Id,Name,Name,1"),
  // matched without regard to case; "" when the field has none.
  std::string EditLookupAsString(std::string_view field_name) const;

  // Per-column tables; column 0 is the index column, fields count from 1. Templates mark
  // field names with GridFreeFormatCellDataFieldDelimiter; SetGridFreeFormatCell replaces all
  // templates from "column,template,column,template...". Reading a column without an entry
  // gives "". Failures are reported in ErrorMessage, not thrown.
  void SetGridFreeFormatCell(std::string_view value);
  std::string GridFreeFormatCellByCol(std::int16_t column);
  void SetGridFreeFormatCellByCol(std::int16_t column, std::string_view value);
  std::string GridFormatCellFunction(std::int16_t column);
  void SetGridFormatCellFunction(std::int16_t column, std::string_view value);
  std::string GridColAttributes(std::int16_t column);
  void SetGridColAttributes(std::int16_t column, std::string_view value);
  std::string GridColHeadAttributes(std::int16_t column);
  void SetGridColHeadAttributes(std::int16_t column, std::string_view value);

  // Properties. Setters that do more than store are described where they are implemented;
  // RecordsPerPage ignores values at or above RecordsMaxLimit and fails with an overflow above
  // 32767; DisplayNavBarFirstLastBtn takes and returns "True"/"False".
  const std::string& sql() const;
  void SetSql(std::string_view value);
  const std::string& FormSQL() const;
  void SetFormSQL(std::string_view value);
  const std::string& EditSQL() const;
  void SetEditSQL(std::string_view value);
  const std::string& DeleteSQL() const;
  void SetDeleteSQL(std::string_view value);
  bool PersistentSQL() const;
  void SetPersistentSQL(bool value);
  const std::string& EditOptions() const;
  void SetEditOptions(std::string_view value);
  const std::string& EditPrimaryKeys() const;
  void SetEditPrimaryKeys(std::string_view value);
  const std::string& EditNewPKStatement() const;
  void SetEditNewPKStatement(std::string_view value);
  const std::string& EditConfirmDeleteString() const;
  void SetEditConfirmDeleteString(std::string_view value);
  const std::string& EditFieldsReadOnly() const;
  void SetEditFieldsReadOnly(std::string_view value);
  bool EditPerformUpdates() const;
  void SetEditPerformUpdates(bool value);
  // A delete must be confirmed by a posted field (default false; page files and the table
  // browser set it): the Delete button's dialog asks with EditConfirmDeleteString, or the
  // language's question when that is empty, and sets the field; a delete posted without it
  // shows a confirmation form instead, so that nothing is deleted unconfirmed without script.
  bool EditConfirmDelete() const;
  void SetEditConfirmDelete(bool value);
  // In the edit and add forms, paging, List, the export and the other buttons ask before
  // leaving changes unsaved, by a small script written into the page (default false; page
  // files and the table browser set it).
  bool EditConfirmLeave() const;
  void SetEditConfirmLeave(bool value);
  // Enter in an editor of the edit or add form saves (default false; page files and the table
  // browser set it): a hidden Save button is written first in the form, ahead of the
  // navigation bar, so that it is the form's default button.
  bool EditEnterSaves() const;
  void SetEditEnterSaves(bool value);
  // Next, Previous and Last read their page by the sort values of the page shown rather than
  // by skipping the records before it, so that a deep page costs what the first one costs
  // (default false; page files and the table browser set it). Applies to the grid when
  // EditPrimaryKeys names the key, which is appended to the sort order to make it unique; the
  // page carries its first and last sort values, signed, in a hidden input.
  bool SeekPaging() const;
  void SetSeekPaging(bool value);
  // Markup that assistive technology can read and validators accept (default false, which keeps
  // the documented bytes; page files and the table browser set it): text alternatives on
  // images and image buttons, header scope and sort state, a named grid and navigation bar,
  // labelled controls, no form directly inside a table.
  bool AccessibleMarkup() const;
  void SetAccessibleMarkup(bool value);
  // Search and filters (default empty: none). SearchFields lists the result columns (names or
  // numbers) a search box above the grid searches, "*" every text column; the request's
  // Vexmo<Tag>Search text matches rows where any of them contains it, without regard to case.
  // FilterFields lists the columns that offer a filter: contains or equals for text, from or
  // to for numbers and dates, is empty for any (Vexmo<Tag>Filter<n> and Vexmo<Tag>Filter<n>Op,
  // n the column number). FacetFields lists columns whose ten most frequent values, counted
  // under the search and filters, are shown as links that add that filter. Count, paging,
  // record view, editing and export see the rows that match; a procedure or a supplied
  // recordset refuses them.
  const std::string& SearchFields() const;
  void SetSearchFields(std::string_view value);
  const std::string& FilterFields() const;
  void SetFilterFields(std::string_view value);
  const std::string& FacetFields() const;
  void SetFacetFields(std::string_view value);
  // The grid table's accessible name, written encoded as its aria-label when AccessibleMarkup
  // is on and this is not empty (default empty; page files and the table browser set the
  // page's title).
  const std::string& GridLabel() const;
  void SetGridLabel(std::string_view value);
  const std::string& RequiredFieldIndicator() const;
  void SetRequiredFieldIndicator(std::string_view value);
  std::int32_t RecordsPerPage() const;
  void SetRecordsPerPage(std::int32_t value);
  std::int32_t RecordsMaxLimit() const;
  void SetRecordsMaxLimit(std::int32_t value);
  std::int32_t RecordCount() const;
  void SetRecordCount(std::int32_t value);
  bool CountRecords() const;
  void SetCountRecords(bool value);
  // Milliseconds the count may run before it is cancelled and the database's estimate is shown
  // instead ("about 1,200,000"). Default 0: no budget, the count always finishes.
  std::int32_t CountTimeoutMs() const;
  void SetCountTimeoutMs(std::int32_t value);
  // Seconds a count carried in the page (signed with its statement) is used instead of
  // counting again; a save, insert or delete through the grid drops it. Default 0: never.
  std::int32_t CountCacheSeconds() const;
  void SetCountCacheSeconds(std::int32_t value);
  std::int32_t FromRow() const;
  std::int32_t ToRow() const;
  const std::string& DisplayNavBar() const;
  void SetDisplayNavBar(std::string_view value);
  const std::string& DisplayNavBarTextOptions() const;
  void SetDisplayNavBarTextOptions(std::string_view value);
  std::string DisplayNavBarFirstLastBtn() const;
  void SetDisplayNavBarFirstLastBtn(std::string_view value);
  bool DisableNavBarLastPageBtn() const;
  void SetDisableNavBarLastPageBtn(bool value);
  bool DisplayRecordsPerPageSelect() const;
  void SetDisplayRecordsPerPageSelect(bool value);
  const std::string& RecordsPerPageOptions() const;
  void SetRecordsPerPageOptions(std::string_view value);
  const std::string& RecordsPerPageSelectPlacement() const;
  void SetRecordsPerPageSelectPlacement(std::string_view value);
  const std::string& OrderByFields() const;
  void SetOrderByFields(std::string_view value);
  bool OrderByDesc() const;
  void SetOrderByDesc(bool value);
  const std::string& Tag() const;
  void SetTag(std::string_view value);
  const std::string& DisplayType() const;
  void SetDisplayType(std::string_view value);
  bool UseCSS() const;
  void SetUseCSS(bool value);
  bool DisplayHeader() const;
  void SetDisplayHeader(bool value);
  bool DisplayDebug() const;
  void SetDisplayDebug(bool value);
  bool DisplayExcelIcon() const;
  void SetDisplayExcelIcon(bool value);
  // The spreadsheet download says that its text is UTF-8, in its content type and in a meta
  // element before its table. Default false: the download's bytes stay as they were.
  bool ExcelDeclareUtf8() const;
  void SetExcelDeclareUtf8(bool value);
  const std::string& ImageDir() const;
  void SetImageDir(std::string_view value);
  const std::string& FooterText() const;
  void SetFooterText(std::string_view value);
  const std::string& TableTag() const;
  void SetTableTag(std::string_view value);
  const std::string& GridTableTag() const;
  void SetGridTableTag(std::string_view value);
  const std::string& FormTableTag() const;
  void SetFormTableTag(std::string_view value);
  const std::string& Width() const;
  void SetWidth(std::string_view value);
  const std::string& THTag() const;
  void SetTHTag(std::string_view value);
  const std::string& TDTag() const;
  void SetTDTag(std::string_view value);
  const std::string& TDOddTag() const;
  void SetTDOddTag(std::string_view value);
  const std::string& TDEvenTag() const;
  void SetTDEvenTag(std::string_view value);
  const std::string& GridTRTag() const;
  void SetGridTRTag(std::string_view value);
  const std::string& GridTREvenTag() const;
  void SetGridTREvenTag(std::string_view value);
  const std::string& GridTROddTag() const;
  void SetGridTROddTag(std::string_view value);
  const std::string& GridTDTag() const;
  void SetGridTDTag(std::string_view value);
  const std::string& GridTDOddTag() const;
  void SetGridTDOddTag(std::string_view value);
  const std::string& GridTDEvenTag() const;
  void SetGridTDEvenTag(std::string_view value);
  const std::string& FormTDTag() const;
  void SetFormTDTag(std::string_view value);
  const std::string& GridCellWidths() const;
  void SetGridCellWidths(std::string_view value);
  const std::string& FormCellWidths() const;
  void SetFormCellWidths(std::string_view value);
  std::int32_t MemoFieldLimit() const;
  void SetMemoFieldLimit(std::int32_t value);
  // Stored values (and field names shown as captions) are written HTML-encoded wherever the
  // grid, the record view, the cell templates and the export write them. Default false: values
  // reach the page as stored, for pages that keep markup in their data.
  bool HtmlEncodeValues() const;
  void SetHtmlEncodeValues(bool value);
  // A long-binary column's value is shown as its size, "(blob, 1,234 bytes)". Default false:
  // such a column shows blank. A binary value in a column of another type (SQLite lets any
  // column hold one) shows its size either way.
  bool ShowBinarySize() const;
  void SetShowBinarySize(bool value);
  const std::string& GridDisplayFieldNames() const;
  void SetGridDisplayFieldNames(std::string_view value);
  const std::string& FormDisplayFieldNames() const;
  void SetFormDisplayFieldNames(std::string_view value);
  const std::string& GridFieldsShow() const;
  void SetGridFieldsShow(std::string_view value);
  const std::string& GridFieldsHide() const;
  void SetGridFieldsHide(std::string_view value);
  const std::string& FormFieldsShow() const;
  void SetFormFieldsShow(std::string_view value);
  const std::string& FormFieldsHide() const;
  void SetFormFieldsHide(std::string_view value);
  const std::string& GridColsNoSort() const;
  void SetGridColsNoSort(std::string_view value);
  const std::string& GridCellsNoBr() const;
  void SetGridCellsNoBr(std::string_view value);
  bool GridDisplayIndex() const;
  void SetGridDisplayIndex(bool value);
  std::int16_t GridLinkIndex() const;
  void SetGridLinkIndex(std::int16_t value);
  const std::string& GridFieldsSupressDup() const;
  void SetGridFieldsSupressDup(std::string_view value);
  const std::string& GridFreeFormatCellDataFieldDelimiter() const;
  void SetGridFreeFormatCellDataFieldDelimiter(std::string_view value);
  const std::string& GridFreeFormatCellColumnDelimiter() const;
  void SetGridFreeFormatCellColumnDelimiter(std::string_view value);
  bool ApplyCellFormattingToForm() const;
  void SetApplyCellFormattingToForm(bool value);
  bool ApplyColFormattingToForm() const;
  void SetApplyColFormattingToForm(bool value);

  std::string_view ClassName() const override { return "DbView"; }
  // Every member above, by name without regard to case.
  Variant Invoke(std::string_view member, CallKind kind, std::span<const Variant> args) override;
  std::string_view ArgumentNames(std::string_view member) const override;

  // The grid's state, for Kelvo's own subsystems.
  detail::DbViewState& state() { return *s_; }
  const detail::DbViewState& state() const { return *s_; }

 private:
  std::unique_ptr<detail::DbViewState> s_;
};

}  // namespace kelvo

#endif  // KELVO_DB_VIEW_H_
