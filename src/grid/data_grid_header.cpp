#include "grid/data_grid_header.h"

#include <optional>
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

// The parts of the sort links that every column shares, built for the first sortable column.
struct SortLinkParts {
  std::string start;  // "<a", the class and the page with its state, up to the column number
  std::string bookmark;
  std::string image;
};

SortLinkParts MakeSortLinkParts(DbViewState& s, std::int32_t rows_shown) {
  SortLinkParts parts;
  parts.start = s.UseCSS ? "<a class=\"KLVOTableTH\" href=\"" : "<a href=\"";
  parts.start += ScriptPath(s);
  parts.start += '?';
  parts.start += GetStateQuery(s, 1);
  parts.start += '&';
  parts.start += ParameterName(s, "OrderByFields=");
  parts.bookmark = "&" + ParameterName(s, "BookMark=") +
                   std::to_string(std::int64_t{s.mvarCurrRecord} + rows_shown - 1);
  parts.image = "&nbsp;<img border=\"0\" src=\"" + s.ImageDir +
                (s.OrderByDesc ? "orderdesc.gif\"" : "orderasc.gif\"");
  if (s.AccessibleMarkup) {
    parts.image += " alt=\"" +
                   HtmlAttributeEncode(GridText(s, s.OrderByDesc ? TxtSortedDescending : TxtSortedAscending)) +
                   "\"";
  }
  parts.image += ">";
  return parts;
}

std::string SortLink(DbViewState& s, const SortLinkParts& parts, int column,
                     std::string_view caption) {
  const std::string number = std::to_string(column);
  std::string link = parts.start + number + parts.bookmark;
  // A click sorts another column ascending and toggles the direction of the sorted one; an
  // ascending link says so when the page's own order is descending.
  const bool sorted = s.OrderByFields == number;
  link += SortDirectionQuery(s, sorted && !s.OrderByDesc);
  link += "\">";
  link += sorted ? NoWrap(s, std::string(caption) + parts.image) : NoWrap(s, caption);
  link += "</a>";
  return link;
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
                       std::string_view tag_text, std::optional<SortLinkParts>& sort_link) {
  std::string width;
  GuardedStep(s, kFailure, [&] {
    const std::string item = GetListItem(s.GridCellWidths, column, "");
    if (!item.empty()) width = " width=\"" + item + "\"";
  });
  std::string text;
  GuardedStep(s, kFailure, [&] {
    const std::string caption = GetGridCaption(s, column, field.Name());
    if (!IsSortable(s, field, column)) {
      text = caption;
      return;
    }
    if (!sort_link) sort_link = MakeSortLinkParts(s, rows_shown);
    text = SortLink(s, *sort_link, column, caption);
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
  std::optional<SortLinkParts> sort_link;
  int column = 0;
  for (Field& field : recordset.Fields()) {
    ++column;
    if (!GuardedTest(s, kFailure, [&] { return IsGridColumnShown(s, field.Name(), column); })) {
      continue;
    }
    WriteColumnHeader(s, field, column, rows_shown, tag_text, sort_link);
  }
  GuardedStep(s, kFailure, [&] {
    Write(s, "</tr>");
    Write(s, kCrLf);
  });
}

}  // namespace kelvo::detail
