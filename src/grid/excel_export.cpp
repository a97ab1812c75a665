#include "grid/excel_export.h"

#include <memory>
#include <string>
#include <vector>

#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_data_access.h"
#include "format/cell_tables.h"
#include "format/format_function.h"
#include "format/std_field_display.h"
#include "kelvo/components.h"
#include "kelvo/error.h"
#include "state/grid_filter.h"
#include "state/request_state.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUtf8Meta =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
// Output is held back until this much is ready, so that a failure in opening the result or in
// its first rows can still replace the download with an error page.
constexpr std::size_t kHoldBackBytes = 64 * 1024;
// Rows go to the response in batches of about this size: a write per row would cost the
// streaming response a lock and a wake-up of the sending thread for every row.
constexpr std::size_t kBatchBytes = 32 * 1024;

struct ExportColumn {
  Field* field;
  int number;
  std::string attributes;
  bool right_aligned;
  bool formatted;
};

std::vector<ExportColumn> ShownColumns(DbViewState& s, Recordset& recordset) {
  std::vector<ExportColumn> columns;
  int number = 0;
  for (Field& field : recordset.Fields()) {
    ++number;
    if (!IsGridColumnShown(s, field.Name(), number)) continue;
    columns.push_back({&field, number, GetGridColAttributes(s, number), IsNumericType(field.Type()),
                       HasFormatCellFunction(s, number)});
  }
  return columns;
}

// Writes the complete rows collected; starts sending once enough is held back.
void Flush(Response& response, std::string& rows) {
  response.Write(rows);
  rows.clear();
  if (!response.IsStreaming() && response.Buffered().size() >= kHoldBackBytes) {
    response.StartStreaming();
  }
}

void ReportFailure(DbViewState& s, std::string_view description) {
  Response& response = PageResponse(s);
  if (!response.IsStreaming()) {
    response.Clear();
    response.RemoveHeader("content-disposition");
    response.SetContentType("text/html");
    response.SetStatus(500);
    response.Write(
        "<!DOCTYPE html>\r\n<html><head><title>Export failed</title></head><body>"
        "<p>The export failed: " +
        HtmlAttributeEncode(description) + "</p></body></html>");
    return;
  }
  response.Write("<tr><td>The export is incomplete: " + HtmlAttributeEncode(description) +
                 "</td></tr>\r\n</table>");
}

}  // namespace

void WriteExcelRows(DbViewState& s, Recordset& recordset) {
  struct Exporting {
    explicit Exporting(DbViewState& state) : s(state) { s.mvarExporting = true; }
    ~Exporting() { s.mvarExporting = false; }
    DbViewState& s;
  } exporting(s);
  Response& response = PageResponse(s);
  const std::vector<ExportColumn> columns = ShownColumns(s, recordset);
  std::string rows;
  rows.reserve(kBatchBytes + 4096);
  if (s.DisplayHeader) {
    rows += "<tr>";
    rows += kCrLf;
    for (const ExportColumn& column : columns) {
      rows += "<th " + GetGridColHeadAttributes(s, column.number) + s.THTag + " >" +
              ShownValue(s.HtmlEncodeValues, column.field->Name()) + "</th>";
      rows += kCrLf;
    }
    rows += "</tr>";
    rows += kCrLf;
  }
  const std::string odd_tags = s.TDTag + " " + s.TDOddTag;
  const std::string even_tags = s.TDTag + " " + s.TDEvenTag;
  // The rows before a failure are whole and go out ahead of the failure's report.
  std::size_t complete = rows.size();
  try {
    for (std::int64_t count = 0;
         !recordset.Eof() && count < s.RecordsMaxLimit && response.IsClientConnected();) {
      ++count;
      const std::string& tags = count % 2 == 1 ? odd_tags : even_tags;
      rows += "<tr>";
      rows += kCrLf;
      for (const ExportColumn& column : columns) {
        rows += "<td ";
        rows += tags;
        rows += ' ';
        rows += column.attributes;
        rows += column.right_aligned ? " align=\"right\" >" : " >";
        rows += column.formatted ? GetFormatCellString(s, *column.field, column.number)
                                 : GetStdDbFieldString(s, *column.field);
        rows += "</td>";
        rows += kCrLf;
      }
      rows += "</tr>";
      rows += kCrLf;
      if (rows.size() >= kBatchBytes) Flush(response, rows);
      complete = rows.size();
      recordset.MoveNext();
    }
  } catch (...) {
    if (rows.size() > complete) rows.resize(complete);
    Flush(response, rows);
    throw;
  }
  Flush(response, rows);
}

void WriteExcelTable(DbViewState& s) {
  std::shared_ptr<Recordset> opened;
  try {
    ReadRequestState(s);
    Response& response = PageResponse(s);
    // The text is UTF-8; when the grid declares it, the response says so for programs that read
    // the header, and the document for those that open the saved file.
    response.SetContentType(s.ExcelDeclareUtf8 ? "application/vnd.ms-excel; charset=utf-8"
                                               : "application/vnd.ms-excel");
    response.AddHeader("content-disposition", "attachment; filename=KelvoExcelExport.xls");
    std::shared_ptr<Recordset> recordset = s.ADORecordset;
    if (!s.mvarRecordsetSupplied) {
      std::string source = FilteredStatement(s);
      if (!s.OrderByFields.empty()) {
        source += " ORDER BY " + s.OrderByFields;
        if (s.OrderByDesc) source += " DESC ";
      }
      if (!s.VexmoConnection) {
        throw Error(errc::kObjectRequired, "Object required: the grid has no connection");
      }
      opened = std::dynamic_pointer_cast<Recordset>(CreateComponent("ADODB.Recordset"));
      if (!opened) throw Error(errc::kClassNotRegistered, "ADODB.Recordset is not a recordset");
      if (s.mvarFilterParameters.empty()) {
        opened->Open(source, s.VexmoConnection->Connection(), ado::adOpenForwardOnly,
                     ado::adLockReadOnly, -1);
      } else {
        OpenBound(s, *opened, source, s.mvarFilterParameters, ado::adOpenForwardOnly,
                  ado::adLockReadOnly);
      }
      recordset = opened;
    }
    if (!recordset) throw Error(errc::kObjectRequired, "Object required: no recordset was given");
    if (s.ExcelDeclareUtf8) {
      response.Write(kUtf8Meta);
      response.Write(kCrLf);
    }
    response.Write("<table border=1>");
    response.Write(kCrLf);
    WriteExcelRows(s, *recordset);
    response.Write("</table>");
    if (opened) opened->Close();
  } catch (const std::exception& failure) {
    AppendError(s, failure.what(), " in WriteExcelTable<br>");
    IgnoreFailure([&] { ReportFailure(s, failure.what()); });
    return;
  }
  PageResponse(s).End();
}

}  // namespace kelvo::detail
