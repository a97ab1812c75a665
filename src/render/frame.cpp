#include "render/frame.h"

#include <string>

#include "component/captions.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "grid/nav_bar.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {

void WriteFrameHead(DbViewState& s, bool form_mode, std::string_view statement, bool editing) {
  std::string head = "\r\n\r\n<!-- Kelvo data grid -->\r\n\r\n";
  head += "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"";
  if (!form_mode && !s.Width.empty()) head += " width=\"" + s.Width + "\" ";
  head += ">";
  head += kCrLf;
  Write(s, head);
  if (s.DisplayDebug) {
    Write(s,
          "<tr><td style=\"padding:4px;background-color:white;color:black;border:solid 1px "
          "black\" class=\"KLVOTableHeader\">");
    Write(s, kCrLf);
    Write(s, statement);
    Write(s, "</td></tr><tr><td>&nbsp;</td></tr>");
    Write(s, kCrLf);
  }
  Write(s, "<form name=\"FormKelvoGrid" + s.Tag + "\" id=\"FormKelvoGrid" + s.Tag +
               "\" action=\"" + ScriptPath(s) + "\" method=\"post\"" +
               (editing && s.AccessibleMarkup ? " novalidate" : "") + ">");
  Write(s, kCrLf);
  // A signed-in user's posts must carry the session's token (hex digits, safe as written).
  if (const std::string& token = PageFormToken(s); !token.empty()) {
    Write(s, "<input type=\"hidden\" name=\"kelvo_token\" value=\"" + token + "\">");
    Write(s, kCrLf);
  }
}

void WriteTopSelectorRow(DbViewState& s) {
  Write(s, s.UseCSS ? "<tr><td width=\"100%\" class=\"KLVOTableHeader\">" : "<tr><td width=\"100%\">");
  Write(s, kCrLf);
  WriteRecordsPerPageSelect(s);
  Write(s, "</td></tr>");
  Write(s, kCrLf);
}

void WriteAddButtonRow(DbViewState& s) {
  std::string url = ScriptPath(s) + "?" + ParameterName(s, "FormDisplay=formOneRec") + "&" +
                    GetStateQuery(s, s.mvarCurrRecord);
  url += "&" + ParameterName(s, "OrderByFields=") + UrlEncodeComponent(s.OrderByFields);
  url += SortDirectionQuery(s, s.OrderByDesc);
  // No rows are shown yet, so the bookmark is the record before the page.
  url += "&" + ParameterName(s, "BookMark=") + std::to_string(std::int64_t{s.mvarCurrRecord} - 1);
  url += "&" + ParameterName(s, "FormAdd=1");

  Write(s, "<tr><td width=\"100%\"><table width=\"100%\" cellspacing=0 cellpadding=0>");
  Write(s, kCrLf);
  Write(s, s.UseCSS ? "<tr><td colspan=2 class=\"KelvoEditBtnBar\">" : "<tr><td colspan=2>");
  Write(s, kCrLf);
  Write(s, s.UseCSS ? "<input class=\"KelvoInputBtn\" Value=\"" : "<input Value=\"");
  Write(s, ButtonText(s, BtnAdd));
  Write(s, "\" type=\"button\" onclick=\"window.location='" + url + "'\">");
  Write(s, kCrLf);
  Write(s, "</td></tr>");
  Write(s, kCrLf);
  Write(s, "</table></td></tr>");
  Write(s, kCrLf);
}

void WriteFormCellStart(DbViewState& s) {
  Write(s, "<tr><td valign=top align=left>");
  Write(s, kCrLf);
  Write(s, s.UseCSS ? "<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
                      "class=\"KLVOTableFormOuter\" >"
                    : "<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\">");
  Write(s, kCrLf);
}

void WriteGridCellStart(DbViewState& s, std::int16_t column_count) {
  std::string attributes = s.TableTag + " " + s.GridTableTag;
  attributes = Trim(attributes).empty() ? std::string() : " " + attributes + " ";
  Write(s, "<tr><td valign=top align=left>");
  Write(s, kCrLf);
  Write(s, s.UseCSS ? "<table width=\"100%\" class=\"KLVOTable\"" : "<table width=\"100%\"");
  Write(s, attributes);
  Write(s, "cols=\"" + std::to_string(column_count) + "\">");
  Write(s, kCrLf);
}

void WriteStatusRow(DbViewState& s, std::string_view status) {
  Write(s, s.UseCSS ? "<tr><td class=\"KelvoEditBtnBar\">" : "<tr><td>");
  Write(s, status);
  Write(s, "</td></tr>");
  Write(s, kCrLf);
}

void WriteBodyCellEnd(DbViewState& s) {
  Write(s, "</table></td></tr>");
  Write(s, kCrLf);
}

void WriteBottomSelectorRow(DbViewState& s) {
  Write(s, "<tr><td class=\"KLVOTableFooter\">");
  Write(s, kCrLf);
  WriteRecordsPerPageSelect(s);
  Write(s, "</td></tr>");
  Write(s, kCrLf);
}

void WriteFrameEnd(DbViewState& s) {
  if (!s.FooterText.empty()) {
    Write(s, "<tr><td class=\"KLVOTableInfoFooter\">" + s.FooterText + "</td></tr>");
  }
  Write(s, "</form>");
  Write(s, kCrLf);
  Write(s, "</table>");
}

}  // namespace kelvo::detail
