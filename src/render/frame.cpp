#include "render/frame.h"

#include <string>

#include "component/captions.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "grid/nav_bar.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {

namespace {

// An edit form with AccessibleMarkup is not checked by the browser (see WriteFrameHead).
std::string FormStart(const DbViewState& s, bool editing) {
  std::string start = "<form name=\"FormKelvoGrid" + s.Tag + "\" id=\"FormKelvoGrid" + s.Tag +
                      "\" action=\"" + ScriptPath(s) + "\" method=\"post\"" +
                      (editing && s.AccessibleMarkup ? " novalidate" : "") + ">" + std::string(kCrLf);
  // A signed-in user's posts must carry the session's token (hex digits, safe as written).
  if (const std::string& token = PageFormToken(s); !token.empty()) {
    start += "<input type=\"hidden\" name=\"kelvo_token\" value=\"" + token + "\">" +
             std::string(kCrLf);
  }
  return start;
}

// The Add button: it opens the add form at the current page's place.
std::string AddControl(DbViewState& s) {
  std::string url = ScriptPath(s) + "?" + ParameterName(s, "FormDisplay=formOneRec") + "&" +
                    GetStateQuery(s, s.mvarCurrRecord);
  url += "&" + ParameterName(s, "OrderByFields=") + UrlEncodeComponent(s.OrderByFields);
  url += SortDirectionQuery(s, s.OrderByDesc);
  // No rows are shown yet, so the bookmark is the record before the page.
  url += "&" + ParameterName(s, "BookMark=") + std::to_string(std::int64_t{s.mvarCurrRecord} - 1);
  url += "&" + ParameterName(s, "FormAdd=1");
  if (s.AccessibleMarkup) {
    // A link opens the add form with script off too.
    return std::string(s.UseCSS ? "<a class=\"KelvoInputBtn\" href=\"" : "<a href=\"") +
           HtmlAttributeEncode(url) + "\">" + HtmlAttributeEncode(ButtonText(s, BtnAdd)) + "</a>";
  }
  return std::string(s.UseCSS ? "<input class=\"KelvoInputBtn\" Value=\"" : "<input Value=\"") +
         ButtonText(s, BtnAdd) + "\" type=\"button\" onclick=\"window.location='" + url + "'\">";
}

}  // namespace

void WriteFrameHead(DbViewState& s, bool form_mode, std::string_view statement, bool editing,
                    std::string_view form_start_text) {
  std::string head = "\r\n\r\n<!-- Kelvo data grid -->\r\n\r\n";
  // A form may not sit directly inside a table: with accessible markup it holds the frame, which
  // only lays out the grid's parts.
  if (s.AccessibleMarkup) head += FormStart(s, editing) + std::string(form_start_text);
  head += "<table";
  if (s.AccessibleMarkup) head += " role=\"presentation\"";
  head += " border=\"0\" cellspacing=\"0\" cellpadding=\"0\"";
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
  if (!s.AccessibleMarkup) Write(s, FormStart(s, editing) + std::string(form_start_text));
}

void WriteTopSelectorRow(DbViewState& s) {
  Write(s, s.UseCSS ? "<tr><td width=\"100%\" class=\"KLVOTableHeader\">" : "<tr><td width=\"100%\">");
  Write(s, kCrLf);
  WriteRecordsPerPageSelect(s);
  Write(s, "</td></tr>");
  Write(s, kCrLf);
}

void WriteAddButtonRow(DbViewState& s) {
  Write(s, "<tr><td width=\"100%\"><table width=\"100%\" cellspacing=0 cellpadding=0>");
  Write(s, kCrLf);
  // The bar's table has one column.
  const std::string_view span = s.AccessibleMarkup ? "" : " colspan=2";
  Write(s, "<tr><td" + std::string(span) + (s.UseCSS ? " class=\"KelvoEditBtnBar\">" : ">"));
  Write(s, kCrLf);
  Write(s, AddControl(s));
  Write(s, kCrLf);
  Write(s, "</td></tr>");
  Write(s, kCrLf);
  Write(s, "</table></td></tr>");
  Write(s, kCrLf);
}

void WriteNoRecordRow(DbViewState& s) {
  std::string row = s.mvarStatusText;
  // With no record left there is no button bar: the status offers what is still possible.
  if (s.EditOptions.find("ADD") != std::string::npos) row += "&nbsp;" + AddControl(s);
  WriteStatusRow(s, row);
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
  if (!s.AccessibleMarkup) {
    Write(s, "cols=\"" + std::to_string(column_count) + "\">");
  } else {
    // Named for assistive technology; a column count is no HTML attribute.
    Write(s, s.GridLabel.empty() ? std::string(">")
                                 : " aria-label=\"" + HtmlAttributeEncode(s.GridLabel) + "\">");
  }
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
  if (s.AccessibleMarkup) {
    Write(s, "</table>");
    Write(s, kCrLf);
    Write(s, "</form>");
    return;
  }
  Write(s, "</form>");
  Write(s, kCrLf);
  Write(s, "</table>");
}

}  // namespace kelvo::detail
