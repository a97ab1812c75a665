#include "grid/data_grid_header.h"

#include <charconv>
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

// The parts of the sort links that every column shares, built for the first sortable column.
struct SortLinkParts {
  std::string start;  // "<a", the class and the page with its state, up to the column number
  std::string bookmark;
  std::string image;
};

SortLinkParts MakeSortLinkParts(DbViewState& s, std::int32_t rows_shown,
                                GridLinkStart& link_start) {
  SortLinkParts parts;
  const std::string& path = link_start.Path(s);
  const std::string& query = link_start.StateQuery(s, 1);
  parts.start.reserve(path.size() + query.size() + 64);
  parts.start = s.UseCSS ? "<a class=\"KLVOTableTH\" href=\"" : "<a href=\"";
  parts.start += path;
  parts.start += '?';
  parts.start += query;
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

// What the heading cells of one header share.
struct HeaderParts {
  std::string tag_text;
  std::optional<bool> statement_sorts;  // kept once answered without a reported failure
  std::optional<SortLinkParts> sort_link;
  std::string text;  // the heading's caption or sort link
  std::string cell;  // the heading cell being built
};

// A column is sortable unless the statement already sorts, the data come from a procedure,
// the column holds long data the engine cannot sort, or the page said so. A test that fails
// counts as holding, so the column then gets its plain caption.
bool IsSortable(DbViewState& s, Field& field, int column, HeaderParts& parts) {
  bool statement_sorts = false;
  if (parts.statement_sorts) {
    statement_sorts = *parts.statement_sorts;
  } else {
    const std::size_t reported = s.ErrorMessage.size();
    statement_sorts = GuardedTest(s, kFailure, [&] {
      return UCase(s.sql).find("ORDER BY") != std::string::npos || s.mvarStoredProc;
    });
    if (s.ErrorMessage.size() == reported) parts.statement_sorts = statement_sorts;
  }
  if (statement_sorts) return false;
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

void AppendSortLink(DbViewState& s, const SortLinkParts& parts, int column,
                    std::string_view caption, std::string& out) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, column).ptr;
  const std::string_view number(digits, static_cast<std::size_t>(end - digits));
  out += parts.start;
  out += number;
  out += parts.bookmark;
  // A click sorts another column ascending and toggles the direction of the sorted one; an
  // ascending link says so when the page's own order is descending.
  const bool sorted = s.OrderByFields == number;
  out += SortDirectionQuery(s, sorted && !s.OrderByDesc);
  out += "\">";
  out += NoWrapOpen(s);
  out += caption;
  if (sorted) out += parts.image;
  out += NoWrapClose(s);
  out += "</a>";
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
                       HeaderParts& parts, GridLinkStart& link_start) {
  std::string width;
  GuardedStep(s, kFailure, [&] {
    const std::string item = GetListItem(s.GridCellWidths, column, "");
    if (!item.empty()) width = " width=\"" + item + "\"";
  });
  std::string& text = parts.text;
  text.clear();
  const bool made = GuardedStep(s, kFailure, [&] {
    const std::string caption = GetGridCaption(s, column, field.Name());
    if (!IsSortable(s, field, column, parts)) {
      text = caption;
      return;
    }
    if (!parts.sort_link) parts.sort_link = MakeSortLinkParts(s, rows_shown, link_start);
    AppendSortLink(s, *parts.sort_link, column, caption, text);
  });
  if (!made) text.clear();
  std::string attributes = " ";
  GuardedStep(s, kFailure, [&] { attributes = HeadAttributes(s, column); });
  GuardedStep(s, kFailure, [&] {
    std::string& cell = parts.cell;
    cell = "<th";
    cell += attributes;
    cell += parts.tag_text;
    cell += HeadingScope(s, column);
    cell += IsNumericType(field.Type()) ? "align=\"right\"" : "align=\"left\"";
    if (s.UseCSS) cell += " class=\"KLVOTableTH\"";
    cell += width;
    cell += '>';
    cell += text;
    cell += "</th>";
    cell += kCrLf;
    Write(s, cell);
  });
}

}  // namespace

const std::string& GridLinkStart::Path(const DbViewState& s) {
  if (!path_) path_ = ScriptPath(s);
  return *path_;
}

const std::string& GridLinkStart::StateQuery(const DbViewState& s, std::int64_t record) {
  if (!query_ || query_record_ != record) {
    query_ = GetStateQuery(s, record);
    query_record_ = record;
  }
  return *query_;
}

void WriteDataGridHeader(DbViewState& s, Recordset& recordset, std::int32_t rows_shown,
                         GridLinkStart& link_start) {
  HeaderParts parts;
  // Room for a usual heading, which then never grows step by step.
  parts.text.reserve(512);
  parts.cell.reserve(512);
  parts.tag_text = s.THTag.empty() ? std::string() : " " + s.THTag + " ";
  const std::string& tag_text = parts.tag_text;
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
    WriteColumnHeader(s, field, column, rows_shown, parts, link_start);
  }
  GuardedStep(s, kFailure, [&] {
    Write(s, "</tr>");
    Write(s, kCrLf);
  });
}

}  // namespace kelvo::detail
