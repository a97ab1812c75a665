// The dispatch interface of DbView: every public member by name, without regard to case.
#include <array>

#include "component/dispatch_table.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"

namespace kelvo {
namespace {

using detail::AsBool;
using detail::AsInt16;
using detail::AsInt32;
using detail::AsObject;
using detail::AsText;
using detail::RequireArguments;
using Member = detail::DispatchMember<DbView>;

const Member kMembers[] = {
    {"OnStartPage", "sc", nullptr, nullptr,
     [](DbView& v, std::span<const Variant> a) {
       RequireArguments(a, 1, "OnStartPage");
       v.OnStartPage(a[0]);
       return Variant();
     }},
    {"OnEndPage", "", nullptr, nullptr,
     [](DbView& v, std::span<const Variant> a) {
       RequireArguments(a, 0, "OnEndPage");
       v.OnEndPage();
       return Variant();
     }},
    {"WriteHtmlTable", "", nullptr, nullptr,
     [](DbView& v, std::span<const Variant> a) {
       RequireArguments(a, 0, "WriteHtmlTable");
       v.WriteHtmlTable();
       return Variant();
     }},
    {"QHtmlTable", "Connection,Table", nullptr, nullptr,
     [](DbView& v, std::span<const Variant> a) {
       RequireArguments(a, 2, "QHtmlTable");
       v.QHtmlTable(AsText(a[0]), AsText(a[1]));
       return Variant();
     }},
    {"ErrorMessage", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ErrorMessage()); }},
    {"CurrentMode", "", [](DbView& v, std::span<const Variant>) { return Variant(v.CurrentMode()); }},
    {"CurrentRecord", "Column",
     [](DbView& v, std::span<const Variant> a) { return v.CurrentRecord(AsInt16(a[0])); }},
    {"ConnectionString", "",
     [](DbView& v, std::span<const Variant>) { return Variant(v.ConnectionString()); },
     [](DbView& v, std::span<const Variant> a) { v.SetConnectionString(AsText(a.back())); }},
    {"VexmoConnection", "",
     [](DbView& v, std::span<const Variant>) { return Variant(v.VexmoConnection()); },
     [](DbView& v, std::span<const Variant> a) {
       v.SetVexmoConnection(AsObject<DBConnection>(a.back()));
     }},
    {"StoredProcCommand", "",
     [](DbView& v, std::span<const Variant>) { return Variant(v.StoredProcCommand()); },
     [](DbView& v, std::span<const Variant> a) {
       v.SetStoredProcCommand(AsObject<Command>(a.back()));
     }},
    {"ADORecordset", "", nullptr,
     [](DbView& v, std::span<const Variant> a) { v.SetADORecordset(AsObject<Recordset>(a.back())); }},
    {"Language", "", [](DbView& v, std::span<const Variant>) { return Variant(v.Language()); },
     [](DbView& v, std::span<const Variant> a) { v.SetLanguage(AsText(a.back())); }},
    {"LanguageString", "", nullptr,
     [](DbView& v, std::span<const Variant> a) { v.SetLanguageString(AsText(a.back())); }},
    {"LanguageBtnString", "", nullptr,
     [](DbView& v, std::span<const Variant> a) { v.SetLanguageBtnString(AsText(a.back())); }},
    {"LanguageFilterString", "", nullptr,
     [](DbView& v, std::span<const Variant> a) { v.SetLanguageFilterString(AsText(a.back())); }},
    {"GridFreeFormatCell", "", nullptr,
     [](DbView& v, std::span<const Variant> a) { v.SetGridFreeFormatCell(AsText(a.back())); }},
    {"GridFreeFormatCellByCol", "Column",
     [](DbView& v, std::span<const Variant> a) {
       return Variant(v.GridFreeFormatCellByCol(AsInt16(a[0])));
     },
     [](DbView& v, std::span<const Variant> a) {
       v.SetGridFreeFormatCellByCol(AsInt16(a[0]), AsText(a[1]));
     }},
    {"GridFormatCellFunction", "Column",
     [](DbView& v, std::span<const Variant> a) {
       return Variant(v.GridFormatCellFunction(AsInt16(a[0])));
     },
     [](DbView& v, std::span<const Variant> a) {
       v.SetGridFormatCellFunction(AsInt16(a[0]), AsText(a[1]));
     }},
    {"GridColAttributes", "Column",
     [](DbView& v, std::span<const Variant> a) {
       return Variant(v.GridColAttributes(AsInt16(a[0])));
     },
     [](DbView& v, std::span<const Variant> a) {
       v.SetGridColAttributes(AsInt16(a[0]), AsText(a[1]));
     }},
    {"GridColHeadAttributes", "Column",
     [](DbView& v, std::span<const Variant> a) {
       return Variant(v.GridColHeadAttributes(AsInt16(a[0])));
     },
     [](DbView& v, std::span<const Variant> a) {
       v.SetGridColHeadAttributes(AsInt16(a[0]), AsText(a[1]));
     }},
    {"AddEditLookup", "FieldName,LookupTable,LinkField,DisplayField,OrderBy,AllowNulls", nullptr,
     nullptr,
     [](DbView& v, std::span<const Variant> a) {
       RequireArguments(a, 6, "AddEditLookup");
       v.AddEditLookup(AsText(a[0]), AsText(a[1]), AsText(a[2]), AsText(a[3]), AsText(a[4]),
                       AsBool(a[5]));
       return Variant();
     }},
    {"EditLookupAsString", "FieldName",
     [](DbView& v, std::span<const Variant> a) {
       return Variant(v.EditLookupAsString(AsText(a[0])));
     }},
    {"LangUpdString", "", nullptr,
     [](DbView& v, std::span<const Variant> a) { v.SetLangUpdString(AsText(a.back())); }},
    {"sql", "", [](DbView& v, std::span<const Variant>) { return Variant(v.sql()); },
     [](DbView& v, std::span<const Variant> a) { v.SetSql(AsText(a.back())); }},
    {"FormSQL", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormSQL()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormSQL(AsText(a.back())); }},
    {"EditSQL", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditSQL()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditSQL(AsText(a.back())); }},
    {"DeleteSQL", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DeleteSQL()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDeleteSQL(AsText(a.back())); }},
    {"PersistentSQL", "", [](DbView& v, std::span<const Variant>) { return Variant(v.PersistentSQL()); },
     [](DbView& v, std::span<const Variant> a) { v.SetPersistentSQL(AsBool(a.back())); }},
    {"EditOptions", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditOptions()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditOptions(AsText(a.back())); }},
    {"EditPrimaryKeys", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditPrimaryKeys()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditPrimaryKeys(AsText(a.back())); }},
    {"EditNewPKStatement", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditNewPKStatement()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditNewPKStatement(AsText(a.back())); }},
    {"EditConfirmDeleteString", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditConfirmDeleteString()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditConfirmDeleteString(AsText(a.back())); }},
    {"EditFieldsReadOnly", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditFieldsReadOnly()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditFieldsReadOnly(AsText(a.back())); }},
    {"EditPerformUpdates", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditPerformUpdates()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditPerformUpdates(AsBool(a.back())); }},
    {"EditConfirmDelete", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditConfirmDelete()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditConfirmDelete(AsBool(a.back())); }},
    {"EditConfirmLeave", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditConfirmLeave()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditConfirmLeave(AsBool(a.back())); }},
    {"SeekPaging", "", [](DbView& v, std::span<const Variant>) { return Variant(v.SeekPaging()); },
     [](DbView& v, std::span<const Variant> a) { v.SetSeekPaging(AsBool(a.back())); }},
    {"AccessibleMarkup", "", [](DbView& v, std::span<const Variant>) { return Variant(v.AccessibleMarkup()); },
     [](DbView& v, std::span<const Variant> a) { v.SetAccessibleMarkup(AsBool(a.back())); }},
    {"SearchFields", "", [](DbView& v, std::span<const Variant>) { return Variant(v.SearchFields()); },
     [](DbView& v, std::span<const Variant> a) { v.SetSearchFields(AsText(a.back())); }},
    {"FilterFields", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FilterFields()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFilterFields(AsText(a.back())); }},
    {"FacetFields", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FacetFields()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFacetFields(AsText(a.back())); }},
    {"GridLabel", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridLabel()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridLabel(AsText(a.back())); }},
    {"EditEnterSaves", "", [](DbView& v, std::span<const Variant>) { return Variant(v.EditEnterSaves()); },
     [](DbView& v, std::span<const Variant> a) { v.SetEditEnterSaves(AsBool(a.back())); }},
    {"RequiredFieldIndicator", "", [](DbView& v, std::span<const Variant>) { return Variant(v.RequiredFieldIndicator()); },
     [](DbView& v, std::span<const Variant> a) { v.SetRequiredFieldIndicator(AsText(a.back())); }},
    {"RecordsPerPage", "", [](DbView& v, std::span<const Variant>) { return Variant(v.RecordsPerPage()); },
     [](DbView& v, std::span<const Variant> a) { v.SetRecordsPerPage(AsInt32(a.back())); }},
    {"RecordsMaxLimit", "", [](DbView& v, std::span<const Variant>) { return Variant(v.RecordsMaxLimit()); },
     [](DbView& v, std::span<const Variant> a) { v.SetRecordsMaxLimit(AsInt32(a.back())); }},
    {"RecordCount", "", [](DbView& v, std::span<const Variant>) { return Variant(v.RecordCount()); },
     [](DbView& v, std::span<const Variant> a) { v.SetRecordCount(AsInt32(a.back())); }},
    {"CountRecords", "", [](DbView& v, std::span<const Variant>) { return Variant(v.CountRecords()); },
     [](DbView& v, std::span<const Variant> a) { v.SetCountRecords(AsBool(a.back())); }},
    {"CountTimeoutMs", "", [](DbView& v, std::span<const Variant>) { return Variant(v.CountTimeoutMs()); },
     [](DbView& v, std::span<const Variant> a) { v.SetCountTimeoutMs(AsInt32(a.back())); }},
    {"CountCacheSeconds", "", [](DbView& v, std::span<const Variant>) { return Variant(v.CountCacheSeconds()); },
     [](DbView& v, std::span<const Variant> a) { v.SetCountCacheSeconds(AsInt32(a.back())); }},
    {"FromRow", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FromRow()); }},
    {"ToRow", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ToRow()); }},
    {"DisplayNavBar", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayNavBar()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayNavBar(AsText(a.back())); }},
    {"DisplayNavBarTextOptions", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayNavBarTextOptions()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayNavBarTextOptions(AsText(a.back())); }},
    {"DisplayNavBarFirstLastBtn", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayNavBarFirstLastBtn()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayNavBarFirstLastBtn(AsText(a.back())); }},
    {"DisableNavBarLastPageBtn", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisableNavBarLastPageBtn()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisableNavBarLastPageBtn(AsBool(a.back())); }},
    {"DisplayRecordsPerPageSelect", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayRecordsPerPageSelect()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayRecordsPerPageSelect(AsBool(a.back())); }},
    {"RecordsPerPageOptions", "", [](DbView& v, std::span<const Variant>) { return Variant(v.RecordsPerPageOptions()); },
     [](DbView& v, std::span<const Variant> a) { v.SetRecordsPerPageOptions(AsText(a.back())); }},
    {"RecordsPerPageSelectPlacement", "", [](DbView& v, std::span<const Variant>) { return Variant(v.RecordsPerPageSelectPlacement()); },
     [](DbView& v, std::span<const Variant> a) { v.SetRecordsPerPageSelectPlacement(AsText(a.back())); }},
    {"OrderByFields", "", [](DbView& v, std::span<const Variant>) { return Variant(v.OrderByFields()); },
     [](DbView& v, std::span<const Variant> a) { v.SetOrderByFields(AsText(a.back())); }},
    {"OrderByDesc", "", [](DbView& v, std::span<const Variant>) { return Variant(v.OrderByDesc()); },
     [](DbView& v, std::span<const Variant> a) { v.SetOrderByDesc(AsBool(a.back())); }},
    {"Tag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.Tag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetTag(AsText(a.back())); }},
    {"DisplayType", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayType()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayType(AsText(a.back())); }},
    {"UseCSS", "", [](DbView& v, std::span<const Variant>) { return Variant(v.UseCSS()); },
     [](DbView& v, std::span<const Variant> a) { v.SetUseCSS(AsBool(a.back())); }},
    {"DisplayHeader", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayHeader()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayHeader(AsBool(a.back())); }},
    {"DisplayDebug", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayDebug()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayDebug(AsBool(a.back())); }},
    {"DisplayExcelIcon", "", [](DbView& v, std::span<const Variant>) { return Variant(v.DisplayExcelIcon()); },
     [](DbView& v, std::span<const Variant> a) { v.SetDisplayExcelIcon(AsBool(a.back())); }},
    {"ExcelDeclareUtf8", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ExcelDeclareUtf8()); },
     [](DbView& v, std::span<const Variant> a) { v.SetExcelDeclareUtf8(AsBool(a.back())); }},
    {"ImageDir", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ImageDir()); },
     [](DbView& v, std::span<const Variant> a) { v.SetImageDir(AsText(a.back())); }},
    {"FooterText", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FooterText()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFooterText(AsText(a.back())); }},
    {"TableTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.TableTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetTableTag(AsText(a.back())); }},
    {"GridTableTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTableTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTableTag(AsText(a.back())); }},
    {"FormTableTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormTableTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormTableTag(AsText(a.back())); }},
    {"Width", "", [](DbView& v, std::span<const Variant>) { return Variant(v.Width()); },
     [](DbView& v, std::span<const Variant> a) { v.SetWidth(AsText(a.back())); }},
    {"THTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.THTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetTHTag(AsText(a.back())); }},
    {"TDTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.TDTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetTDTag(AsText(a.back())); }},
    {"TDOddTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.TDOddTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetTDOddTag(AsText(a.back())); }},
    {"TDEvenTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.TDEvenTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetTDEvenTag(AsText(a.back())); }},
    {"GridTRTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTRTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTRTag(AsText(a.back())); }},
    {"GridTREvenTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTREvenTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTREvenTag(AsText(a.back())); }},
    {"GridTROddTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTROddTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTROddTag(AsText(a.back())); }},
    {"GridTDTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTDTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTDTag(AsText(a.back())); }},
    {"GridTDOddTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTDOddTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTDOddTag(AsText(a.back())); }},
    {"GridTDEvenTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridTDEvenTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridTDEvenTag(AsText(a.back())); }},
    {"FormTDTag", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormTDTag()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormTDTag(AsText(a.back())); }},
    {"GridCellWidths", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridCellWidths()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridCellWidths(AsText(a.back())); }},
    {"FormCellWidths", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormCellWidths()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormCellWidths(AsText(a.back())); }},
    {"MemoFieldLimit", "", [](DbView& v, std::span<const Variant>) { return Variant(v.MemoFieldLimit()); },
     [](DbView& v, std::span<const Variant> a) { v.SetMemoFieldLimit(AsInt32(a.back())); }},
    {"HtmlEncodeValues", "", [](DbView& v, std::span<const Variant>) { return Variant(v.HtmlEncodeValues()); },
     [](DbView& v, std::span<const Variant> a) { v.SetHtmlEncodeValues(AsBool(a.back())); }},
    {"ShowBinarySize", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ShowBinarySize()); },
     [](DbView& v, std::span<const Variant> a) { v.SetShowBinarySize(AsBool(a.back())); }},
    {"GridDisplayFieldNames", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridDisplayFieldNames()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridDisplayFieldNames(AsText(a.back())); }},
    {"FormDisplayFieldNames", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormDisplayFieldNames()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormDisplayFieldNames(AsText(a.back())); }},
    {"GridFieldsShow", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridFieldsShow()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridFieldsShow(AsText(a.back())); }},
    {"GridFieldsHide", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridFieldsHide()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridFieldsHide(AsText(a.back())); }},
    {"FormFieldsShow", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormFieldsShow()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormFieldsShow(AsText(a.back())); }},
    {"FormFieldsHide", "", [](DbView& v, std::span<const Variant>) { return Variant(v.FormFieldsHide()); },
     [](DbView& v, std::span<const Variant> a) { v.SetFormFieldsHide(AsText(a.back())); }},
    {"GridColsNoSort", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridColsNoSort()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridColsNoSort(AsText(a.back())); }},
    {"GridCellsNoBr", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridCellsNoBr()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridCellsNoBr(AsText(a.back())); }},
    {"GridDisplayIndex", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridDisplayIndex()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridDisplayIndex(AsBool(a.back())); }},
    {"GridLinkIndex", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridLinkIndex()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridLinkIndex(AsInt16(a.back())); }},
    {"GridFieldsSupressDup", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridFieldsSupressDup()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridFieldsSupressDup(AsText(a.back())); }},
    {"GridFreeFormatCellDataFieldDelimiter", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridFreeFormatCellDataFieldDelimiter()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridFreeFormatCellDataFieldDelimiter(AsText(a.back())); }},
    {"GridFreeFormatCellColumnDelimiter", "", [](DbView& v, std::span<const Variant>) { return Variant(v.GridFreeFormatCellColumnDelimiter()); },
     [](DbView& v, std::span<const Variant> a) { v.SetGridFreeFormatCellColumnDelimiter(AsText(a.back())); }},
    {"ApplyCellFormattingToForm", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ApplyCellFormattingToForm()); },
     [](DbView& v, std::span<const Variant> a) { v.SetApplyCellFormattingToForm(AsBool(a.back())); }},
    {"ApplyColFormattingToForm", "", [](DbView& v, std::span<const Variant>) { return Variant(v.ApplyColFormattingToForm()); },
     [](DbView& v, std::span<const Variant> a) { v.SetApplyColFormattingToForm(AsBool(a.back())); }},
};

}  // namespace

Variant DbView::Invoke(std::string_view member, CallKind kind, std::span<const Variant> args) {
  return detail::DispatchCall<DbView>(*this, kMembers, member, kind, args);
}

std::string_view DbView::ArgumentNames(std::string_view member) const {
  return detail::FindMember<DbView>(kMembers, member).arguments;
}

}  // namespace kelvo
