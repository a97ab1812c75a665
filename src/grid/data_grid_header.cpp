#include "grid/data_grid_header.h"

#include <string>

#include "component/accessible_markup.h"
#include "component/captions.h"
#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "format/cell_tables.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFailure = " in MakeDataGrid<br>";

bool IsLongDataType(int type) {
  return type == ado::adLongVarChar || type == ado::adLongVarWChar ||
         type == ado::adLongVarBinary;
}

// A column is sortable unless the statement already sorts, the data come from a procedure,
// the column holds long data the engine cannot sort, or the page said so. A test that fails
// counts as holding, so the column then gets its plain caption.
bool IsSortable(DbViewState& s, Field& field, int column) {
  if (GuardedTest(s, kFailure, [&] {
        return UCase(s.sql).find("ORDER BY") != std::string::npos || s.mvarStoredProc;
      })) {
    return false;
  }
  if (GuardedTest(s, kFailure, [&] {
        if (!s.VexmoConnection) {
          throw Error(errc::kObjectRequired, "Object required: the grid has no connection");
        }
        return s.VexmoConnection->DatabaseEngine() != "SQLA" && IsLongDataType(field.Type());
      })) {
    return false;
  }
  return !GuardedTest(s, kFailure, [&] { return IsColumnNoSort(s, field.Name(), column); });
}

std::string SortLink(DbViewState& s, int column, std::string_view caption,
                     std::int32_t rows_shown) {
  const std::string link_class = s.UseCSS ? " class=\"KLVOTableTH\"" : "";
  const std::string start =
      "<a" + link_class + " href=\"" + ScriptPath(s) + "?" + GetStateQuery(s, 1) + "&" +
      ParameterName(s, "OrderByFields=") + std::to_string(column) + "&" +
      ParameterName(s, "BookMark=") +
      std::to_string(std::int64_t{s.mvarCurrRecord} + rows_shown - 1);
  std::string image = "&nbsp;<img border=\"0\" src=\"" + s.ImageDir +
                      (s.OrderByDesc ? "orderdesc.gif\"" : "orderasc.gif\"");
  if (s.AccessibleMarkup) {
    image += " alt=\"" +
             HtmlAttributeEncode(GridText(s, s.OrderByDesc ? TxtSortedDescending : TxtSortedAscending)) +
             "\"";
  }
  image += ">";
  const std::string label(caption);
  // A click sorts another column ascending and toggles the direction of the sorted one; an
  // ascending link says so when the page's own order is descending.
  if (s.OrderByFields != std::to_string(column)) {
    return start + SortDirectionQuery(s, false) + "\">" + NoWrap(s, label) + "</a>";
  }
  return start + SortDirectionQuery(s, !s.OrderByDesc) + "\">" + NoWrap(s, label + image) + "</a>";
}

// With accessible markup a heading names its column, and the sorted one its direction.
std::string HeadingScope(const DbViewState& s, int column) {
  if (!s.AccessibleMarkup) return std::string();
  std::string scope = "scope=\"col\" ";
  if (column > 0 && s.OrderByFields == std::to_string(column)) {
    scope += s.OrderByDesc ? "aria-sort=\"descending\" " : "aria-sort=\"ascending\" ";
  }
  return scope;
}

std::string HeadAttributes(DbViewState& s, int column) {
  const std::string attributes = GetGridColHeadAttributes(s, column);
  return attributes.empty() ? " " : " " + attributes + " ";
}

void WriteColumnHeader(DbViewState& s, Field& field, int column, std::int32_t rows_shown,
                       std::string_view tag_text) {
  std::string width;
  GuardedStep(s, kFailure, [&] {
    const std::string item = GetListItem(s.GridCellWidths, column, "");
    if (!item.empty()) width = " width=\"" + item + "\"";
  });
  std::string text;
  GuardedStep(s, kFailure, [&] {
    const std::string caption = GetGridCaption(s, column, field.Name());
    text = IsSortable(s, field, column) ? SortLink(s, column, caption, rows_shown) : caption;
  });
  std::string attributes = " ";
  GuardedStep(s, kFailure, [&] { attributes = HeadAttributes(s, column); });
  GuardedStep(s, kFailure, [&] {
    std::string alignment = IsNumericType(field.Type()) ? "align=\"right\"" : "align=\"left\"";
    if (s.UseCSS) alignment += " class=\"KLVOTableTH\"";
    Write(s, "<th" + attributes + std::string(tag_text) + HeadingScope(s, column) + alignment + width +
                 ">" + text + "</th>");
    Write(s, kCrLf);
  });
}

}  // namespace

void WriteDataGridHeader(DbViewState& s, Recordset& recordset, std::int32_t rows_shown) {
  const std::string tag_text = s.THTag.empty() ? std::string() : " " + s.THTag + " ";
  GuardedStep(s, kFailure, [&] {
    Write(s, s.UseCSS ? "<tr class=\"KLVOTableTR\">" : "<tr>");
    Write(s, kCrLf);
  });
  if (s.GridDisplayIndex) {
    GuardedStep(s, kFailure, [&] {
      Write(s, "<th" + HeadAttributes(s, 0) + tag_text + HeadingScope(s, 0) +
                   (s.UseCSS ? "class=\"KLVOTableTH\">#</th>" : ">#</th>"));
      Write(s, kCrLf);
    });
  }
  int column = 0;
  for (Field& field : recordset.Fields()) {
    ++column;
    if (!GuardedTest(s, kFailure, [&] { return IsGridColumnShown(s, field.Name(), column); })) {
      continue;
    }
    WriteColumnHeader(s, field, column, rows_shown, tag_text);
  }
  GuardedStep(s, kFailure, [&] {
    Write(s, "</tr>");
    Write(s, kCrLf);
  });
}

}  // namespace kelvo::detail
