#include "kelvo/db_view.h"

#include <algorithm>

#include "component/captions.h"
#include "component/db_view_state.h"
#include "component/property_setters.h"

namespace kelvo {

DbView::DbView() : s_(std::make_unique<detail::DbViewState>()) { detail::SetLanguage(*s_, "ENG"); }

DbView::~DbView() = default;

const std::string& DbView::ErrorMessage() const { return s_->ErrorMessage; }

const std::string& DbView::Language() const { return s_->Language; }
void DbView::SetLanguage(std::string_view value) { detail::SetLanguage(*s_, value); }
void DbView::SetLanguageString(std::string_view value) { detail::SetLanguageString(*s_, value); }
void DbView::SetLanguageBtnString(std::string_view value) {
  detail::SetLanguageBtnString(*s_, value);
}
void DbView::SetLangUpdString(std::string_view value) { detail::SetLangUpdString(*s_, value); }
void DbView::SetLanguageFilterString(std::string_view value) {
  detail::SetLanguageFilterString(*s_, value);
}

void DbView::SetSql(std::string_view value) { detail::SetSql(*s_, value); }
void DbView::SetFormSQL(std::string_view value) { detail::SetFormSql(*s_, value); }
void DbView::SetEditSQL(std::string_view value) { detail::SetEditSql(*s_, value); }
void DbView::SetEditOptions(std::string_view value) { detail::SetEditOptions(*s_, value); }
void DbView::SetTableTag(std::string_view value) { detail::SetTableTag(*s_, value); }
void DbView::SetGridTableTag(std::string_view value) { detail::SetGridTableTag(*s_, value); }
void DbView::SetWidth(std::string_view value) { detail::SetWidth(*s_, value); }
void DbView::SetGridDisplayFieldNames(std::string_view value) {
  detail::SetGridDisplayFieldNames(*s_, value);
}
void DbView::SetDisplayNavBar(std::string_view value) { detail::SetDisplayNavBar(*s_, value); }
void DbView::SetGridFieldsSupressDup(std::string_view value) {
  detail::SetGridFieldsSupressDup(*s_, value);
}

std::int32_t DbView::RecordsPerPage() const { return s_->RecordsPerPage; }
void DbView::SetRecordsPerPage(std::int32_t value) { detail::SetRecordsPerPage(*s_, value); }

std::string DbView::DisplayNavBarFirstLastBtn() const {
  return s_->DisplayNavBarFirstLastBtn ? "True" : "False";
}
void DbView::SetDisplayNavBarFirstLastBtn(std::string_view value) {
  detail::SetDisplayNavBarFirstLastBtn(*s_, value);
}

const std::string& DbView::sql() const { return s_->sql; }
const std::string& DbView::FormSQL() const { return s_->FormSQL; }
const std::string& DbView::EditSQL() const { return s_->EditSQL; }
const std::string& DbView::DeleteSQL() const { return s_->DeleteSQL; }
void DbView::SetDeleteSQL(std::string_view value) { s_->DeleteSQL = std::string(value); }
bool DbView::PersistentSQL() const { return s_->PersistentSQL; }
void DbView::SetPersistentSQL(bool value) { s_->PersistentSQL = value; }
const std::string& DbView::EditOptions() const { return s_->EditOptions; }
const std::string& DbView::EditPrimaryKeys() const { return s_->EditPrimaryKeys; }
void DbView::SetEditPrimaryKeys(std::string_view value) { s_->EditPrimaryKeys = std::string(value); }
const std::string& DbView::EditNewPKStatement() const { return s_->EditNewPKStatement; }
void DbView::SetEditNewPKStatement(std::string_view value) { s_->EditNewPKStatement = std::string(value); }
const std::string& DbView::EditConfirmDeleteString() const { return s_->EditConfirmDeleteString; }
void DbView::SetEditConfirmDeleteString(std::string_view value) { s_->EditConfirmDeleteString = std::string(value); }
const std::string& DbView::EditFieldsReadOnly() const { return s_->EditFieldsReadOnly; }
void DbView::SetEditFieldsReadOnly(std::string_view value) { s_->EditFieldsReadOnly = std::string(value); }
bool DbView::EditPerformUpdates() const { return s_->EditPerformUpdates; }
void DbView::SetEditPerformUpdates(bool value) { s_->EditPerformUpdates = value; }
bool DbView::EditConfirmDelete() const { return s_->EditConfirmDelete; }
void DbView::SetEditConfirmDelete(bool value) { s_->EditConfirmDelete = value; }
bool DbView::EditConfirmLeave() const { return s_->EditConfirmLeave; }
void DbView::SetEditConfirmLeave(bool value) { s_->EditConfirmLeave = value; }
bool DbView::EditEnterSaves() const { return s_->EditEnterSaves; }
bool DbView::SeekPaging() const { return s_->SeekPaging; }
void DbView::SetSeekPaging(bool value) { s_->SeekPaging = value; }
bool DbView::AccessibleMarkup() const { return s_->AccessibleMarkup; }
void DbView::SetAccessibleMarkup(bool value) { s_->AccessibleMarkup = value; }
const std::string& DbView::SearchFields() const { return s_->SearchFields; }
void DbView::SetSearchFields(std::string_view value) { s_->SearchFields = value; }
const std::string& DbView::FilterFields() const { return s_->FilterFields; }
void DbView::SetFilterFields(std::string_view value) { s_->FilterFields = value; }
const std::string& DbView::FacetFields() const { return s_->FacetFields; }
void DbView::SetFacetFields(std::string_view value) { s_->FacetFields = value; }
const std::string& DbView::GridLabel() const { return s_->GridLabel; }
void DbView::SetGridLabel(std::string_view value) { s_->GridLabel = std::string(value); }
void DbView::SetEditEnterSaves(bool value) { s_->EditEnterSaves = value; }
const std::string& DbView::RequiredFieldIndicator() const { return s_->RequiredFieldIndicator; }
void DbView::SetRequiredFieldIndicator(std::string_view value) { s_->RequiredFieldIndicator = std::string(value); }
std::int32_t DbView::RecordsMaxLimit() const { return s_->RecordsMaxLimit; }
void DbView::SetRecordsMaxLimit(std::int32_t value) { s_->RecordsMaxLimit = value; }
std::int32_t DbView::RecordCount() const { return s_->RecordCount; }
void DbView::SetRecordCount(std::int32_t value) { s_->RecordCount = value; }
bool DbView::CountRecords() const { return s_->CountRecords; }
void DbView::SetCountRecords(bool value) { s_->CountRecords = value; }
std::int32_t DbView::CountTimeoutMs() const { return s_->CountTimeoutMs; }
void DbView::SetCountTimeoutMs(std::int32_t value) { s_->CountTimeoutMs = std::max(0, value); }
std::int32_t DbView::CountCacheSeconds() const { return s_->CountCacheSeconds; }
void DbView::SetCountCacheSeconds(std::int32_t value) { s_->CountCacheSeconds = std::max(0, value); }
std::int32_t DbView::FromRow() const { return s_->FromRow; }
std::int32_t DbView::ToRow() const { return s_->ToRow; }
const std::string& DbView::DisplayNavBar() const { return s_->DisplayNavBar; }
const std::string& DbView::DisplayNavBarTextOptions() const { return s_->DisplayNavBarTextOptions; }
void DbView::SetDisplayNavBarTextOptions(std::string_view value) { s_->DisplayNavBarTextOptions = std::string(value); }
bool DbView::DisableNavBarLastPageBtn() const { return s_->DisableNavBarLastPageBtn; }
void DbView::SetDisableNavBarLastPageBtn(bool value) { s_->DisableNavBarLastPageBtn = value; }
bool DbView::DisplayRecordsPerPageSelect() const { return s_->DisplayRecordsPerPageSelect; }
void DbView::SetDisplayRecordsPerPageSelect(bool value) { s_->DisplayRecordsPerPageSelect = value; }
const std::string& DbView::RecordsPerPageOptions() const { return s_->RecordsPerPageOptions; }
void DbView::SetRecordsPerPageOptions(std::string_view value) { s_->RecordsPerPageOptions = std::string(value); }
const std::string& DbView::RecordsPerPageSelectPlacement() const { return s_->RecordsPerPageSelectPlacement; }
void DbView::SetRecordsPerPageSelectPlacement(std::string_view value) { s_->RecordsPerPageSelectPlacement = std::string(value); }
const std::string& DbView::OrderByFields() const { return s_->OrderByFields; }
void DbView::SetOrderByFields(std::string_view value) { s_->OrderByFields = std::string(value); }
bool DbView::OrderByDesc() const { return s_->OrderByDesc; }
void DbView::SetOrderByDesc(bool value) { s_->OrderByDesc = value; }
const std::string& DbView::Tag() const { return s_->Tag; }
void DbView::SetTag(std::string_view value) { s_->Tag = std::string(value); }
const std::string& DbView::DisplayType() const { return s_->DisplayType; }
void DbView::SetDisplayType(std::string_view value) { s_->DisplayType = std::string(value); }
bool DbView::UseCSS() const { return s_->UseCSS; }
void DbView::SetUseCSS(bool value) { s_->UseCSS = value; }
bool DbView::DisplayHeader() const { return s_->DisplayHeader; }
void DbView::SetDisplayHeader(bool value) { s_->DisplayHeader = value; }
bool DbView::DisplayDebug() const { return s_->DisplayDebug; }
void DbView::SetDisplayDebug(bool value) { s_->DisplayDebug = value; }
bool DbView::DisplayExcelIcon() const { return s_->DisplayExcelIcon; }
void DbView::SetDisplayExcelIcon(bool value) { s_->DisplayExcelIcon = value; }
bool DbView::ExcelDeclareUtf8() const { return s_->ExcelDeclareUtf8; }
void DbView::SetExcelDeclareUtf8(bool value) { s_->ExcelDeclareUtf8 = value; }
const std::string& DbView::ImageDir() const { return s_->ImageDir; }
void DbView::SetImageDir(std::string_view value) { s_->ImageDir = std::string(value); }
const std::string& DbView::FooterText() const { return s_->FooterText; }
void DbView::SetFooterText(std::string_view value) { s_->FooterText = std::string(value); }
const std::string& DbView::TableTag() const { return s_->TableTag; }
const std::string& DbView::GridTableTag() const { return s_->GridTableTag; }
const std::string& DbView::FormTableTag() const { return s_->FormTableTag; }
void DbView::SetFormTableTag(std::string_view value) { s_->FormTableTag = std::string(value); }
const std::string& DbView::Width() const { return s_->Width; }
const std::string& DbView::THTag() const { return s_->THTag; }
void DbView::SetTHTag(std::string_view value) { s_->THTag = std::string(value); }
const std::string& DbView::TDTag() const { return s_->TDTag; }
void DbView::SetTDTag(std::string_view value) { s_->TDTag = std::string(value); }
const std::string& DbView::TDOddTag() const { return s_->TDOddTag; }
void DbView::SetTDOddTag(std::string_view value) { s_->TDOddTag = std::string(value); }
const std::string& DbView::TDEvenTag() const { return s_->TDEvenTag; }
void DbView::SetTDEvenTag(std::string_view value) { s_->TDEvenTag = std::string(value); }
const std::string& DbView::GridTRTag() const { return s_->GridTRTag; }
void DbView::SetGridTRTag(std::string_view value) { s_->GridTRTag = std::string(value); }
const std::string& DbView::GridTREvenTag() const { return s_->GridTREvenTag; }
void DbView::SetGridTREvenTag(std::string_view value) { s_->GridTREvenTag = std::string(value); }
const std::string& DbView::GridTROddTag() const { return s_->GridTROddTag; }
void DbView::SetGridTROddTag(std::string_view value) { s_->GridTROddTag = std::string(value); }
const std::string& DbView::GridTDTag() const { return s_->GridTDTag; }
void DbView::SetGridTDTag(std::string_view value) { s_->GridTDTag = std::string(value); }
const std::string& DbView::GridTDOddTag() const { return s_->GridTDOddTag; }
void DbView::SetGridTDOddTag(std::string_view value) { s_->GridTDOddTag = std::string(value); }
const std::string& DbView::GridTDEvenTag() const { return s_->GridTDEvenTag; }
void DbView::SetGridTDEvenTag(std::string_view value) { s_->GridTDEvenTag = std::string(value); }
const std::string& DbView::FormTDTag() const { return s_->FormTDTag; }
void DbView::SetFormTDTag(std::string_view value) { s_->FormTDTag = std::string(value); }
const std::string& DbView::GridCellWidths() const { return s_->GridCellWidths; }
void DbView::SetGridCellWidths(std::string_view value) { s_->GridCellWidths = std::string(value); }
const std::string& DbView::FormCellWidths() const { return s_->FormCellWidths; }
void DbView::SetFormCellWidths(std::string_view value) { s_->FormCellWidths = std::string(value); }
std::int32_t DbView::MemoFieldLimit() const { return s_->MemoFieldLimit; }
void DbView::SetMemoFieldLimit(std::int32_t value) { s_->MemoFieldLimit = value; }
bool DbView::HtmlEncodeValues() const { return s_->HtmlEncodeValues; }
void DbView::SetHtmlEncodeValues(bool value) { s_->HtmlEncodeValues = value; }
bool DbView::ShowBinarySize() const { return s_->ShowBinarySize; }
void DbView::SetShowBinarySize(bool value) { s_->ShowBinarySize = value; }
const std::string& DbView::GridDisplayFieldNames() const { return s_->GridDisplayFieldNames; }
const std::string& DbView::FormDisplayFieldNames() const { return s_->FormDisplayFieldNames; }
void DbView::SetFormDisplayFieldNames(std::string_view value) { s_->FormDisplayFieldNames = std::string(value); }
const std::string& DbView::GridFieldsShow() const { return s_->GridFieldsShow; }
void DbView::SetGridFieldsShow(std::string_view value) { s_->GridFieldsShow = std::string(value); }
const std::string& DbView::GridFieldsHide() const { return s_->GridFieldsHide; }
void DbView::SetGridFieldsHide(std::string_view value) { s_->GridFieldsHide = std::string(value); }
const std::string& DbView::FormFieldsShow() const { return s_->FormFieldsShow; }
void DbView::SetFormFieldsShow(std::string_view value) { s_->FormFieldsShow = std::string(value); }
const std::string& DbView::FormFieldsHide() const { return s_->FormFieldsHide; }
void DbView::SetFormFieldsHide(std::string_view value) { s_->FormFieldsHide = std::string(value); }
const std::string& DbView::GridColsNoSort() const { return s_->GridColsNoSort; }
void DbView::SetGridColsNoSort(std::string_view value) { s_->GridColsNoSort = std::string(value); }
const std::string& DbView::GridCellsNoBr() const { return s_->GridCellsNoBr; }
void DbView::SetGridCellsNoBr(std::string_view value) { s_->GridCellsNoBr = std::string(value); }
bool DbView::GridDisplayIndex() const { return s_->GridDisplayIndex; }
void DbView::SetGridDisplayIndex(bool value) { s_->GridDisplayIndex = value; }
std::int16_t DbView::GridLinkIndex() const { return s_->GridLinkIndex; }
void DbView::SetGridLinkIndex(std::int16_t value) { s_->GridLinkIndex = value; }
const std::string& DbView::GridFieldsSupressDup() const { return s_->GridFieldsSupressDup; }
const std::string& DbView::GridFreeFormatCellDataFieldDelimiter() const { return s_->GridFreeFormatCellDataFieldDelimiter; }
void DbView::SetGridFreeFormatCellDataFieldDelimiter(std::string_view value) { s_->GridFreeFormatCellDataFieldDelimiter = std::string(value); }
const std::string& DbView::GridFreeFormatCellColumnDelimiter() const { return s_->GridFreeFormatCellColumnDelimiter; }
void DbView::SetGridFreeFormatCellColumnDelimiter(std::string_view value) { s_->GridFreeFormatCellColumnDelimiter = std::string(value); }
bool DbView::ApplyCellFormattingToForm() const { return s_->ApplyCellFormattingToForm; }
void DbView::SetApplyCellFormattingToForm(bool value) { s_->ApplyCellFormattingToForm = value; }
bool DbView::ApplyColFormattingToForm() const { return s_->ApplyColFormattingToForm; }
void DbView::SetApplyColFormattingToForm(bool value) { s_->ApplyColFormattingToForm = value; }

}  // namespace kelvo
