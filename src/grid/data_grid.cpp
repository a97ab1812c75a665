#include "grid/data_grid.h"

#include <optional>
#include <string>

#include "component/accessible_markup.h"
#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "format/cell_tables.h"
#include "format/format_function.h"
#include "format/free_format_cell.h"
#include "format/std_field_display.h"
#include "grid/data_grid_header.h"
#include "grid/page_rows.h"
#include "kelvo/convert.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFailure = " in MakeDataGrid<br>";

// Each pair of adjacent blanks, left to right, becomes one blank.
std::string FoldBlankPairs(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ') ++i;
  }
  return out;
}

// A row or cell tag text: folded, with field values put in, trimmed, one blank in front.
std::string TagText(DbViewState& s, std::string_view tags, Recordset& recordset, std::int32_t row) {
  const std::string expanded = ReplaceFieldValuesFromTag(s, FoldBlankPairs(tags), recordset, row);
  const std::string_view trimmed = Trim(expanded);
  return trimmed.empty() ? std::string() : " " + std::string(trimmed);
}

// Writes the data rows of one page.
class RowWriter {
 public:
  RowWriter(DbViewState& s, Recordset& recordset) : s_(s), recordset_(recordset) {}

  void WriteRow(std::int32_t row);

 private:
  void ComputeRowTexts();
  void WriteIndexCell();
  void WriteDataCell(Field& field, int column);
  bool IsRepeatedValue(Field& field, int column);
  std::string CellText(Field& field, int column);
  // The parts of a record link that are the same on every row of the page: the state query
  // signs a carried count, which is kept rather than built again for each row.
  struct LinkParts {
    std::string start;  // the page and its state, up to the record's own parameters
    std::string key;    // "&PK="
    std::string order;  // "&OrderByFields=" and the order, encoded
    std::string direction;
    std::string bookmark;  // "&BookMark="
  };
  const LinkParts& Link();
  void AppendCellId(std::string& out, int column) const {
    out += " id=\"klv";
    out += s_.Tag;
    out += "cell_";
    out += std::to_string(row_);
    out += '_';
    out += std::to_string(column);
    out += "\" ";
  }

  DbViewState& s_;
  Recordset& recordset_;
  std::int32_t row_ = 0;
  std::int64_t record_ = 0;
  std::optional<LinkParts> link_;
  std::string parity_;
  std::string cell_;  // the cell being written, kept so that its buffer serves every cell
  std::string row_tags_;
  std::string cell_tags_;
};

void RowWriter::ComputeRowTexts() {
  const bool odd = row_ % 2 == 1;
  parity_ = odd ? "odd" : "even";
  record_ = std::int64_t{s_.mvarCurrRecord} + row_ - 1;
  GuardedStep(s_, kFailure, [&] {
    row_tags_ = TagText(s_, s_.GridTRTag + " " + (odd ? s_.GridTROddTag : s_.GridTREvenTag),
                        recordset_, row_);
  });
  GuardedStep(s_, kFailure, [&] {
    cell_tags_ = TagText(s_,
                         s_.TDTag + " " + s_.GridTDTag + " " + (odd ? s_.TDOddTag : s_.TDEvenTag) +
                             " " + (odd ? s_.GridTDOddTag : s_.GridTDEvenTag),
                         recordset_, row_);
  });
}

const RowWriter::LinkParts& RowWriter::Link() {
  if (!link_) {
    link_.emplace();
    link_->start = ScriptPath(s_) + "?" + ParameterName(s_, "FormDisplay=formOneRec") + "&" +
                   GetStateQuery(s_, s_.mvarCurrRecord);
    link_->key = "&" + ParameterName(s_, "PK=");
    link_->order = "&" + ParameterName(s_, "OrderByFields=") + UrlEncodeComponent(s_.OrderByFields);
    link_->direction = SortDirectionQuery(s_, s_.OrderByDesc);
    link_->bookmark = "&" + ParameterName(s_, "BookMark=");
  }
  return *link_;
}

void RowWriter::WriteIndexCell() {
  std::string id;
  AppendCellId(id, 0);
  const std::string number = std::to_string(record_);
  if (s_.GridLinkIndex != 0) {
    GuardedStep(s_, kFailure, [&] {
      if (s_.UseCSS) {
        const std::string head = GetGridColHeadAttributes(s_, 0);
        const std::string attributes = head.empty() ? std::string() : " " + head + " ";
        Write(s_, "<td" + id + "class=\"KLVOTableTD" + parity_ + "\"" + attributes + cell_tags_ +
                      ">" + number + "</td>");
      } else {
        Write(s_, "<td" + id + GetGridColAttributes(s_, 0) + cell_tags_ + ">" + number + "</td>");
      }
      Write(s_, kCrLf);
    });
    return;
  }
  GuardedStep(s_, kFailure, [&] {
    const LinkParts& link = Link();
    const std::string key = GetPKValueList(s_, recordset_);
    const std::string attributes = GetGridColAttributes(s_, 0);
    std::string& cell = cell_;
    cell.clear();
    cell += "<td";
    cell += id;
    if (s_.UseCSS) {
      cell += "class=\"KLVOTableTD";
      cell += parity_;
      cell += "\"";
    }
    cell += attributes;
    cell += cell_tags_;
    cell += s_.UseCSS ? "><a class=\"KLVOTable\" href=\"" : "><a href=\"";
    cell += link.start;
    cell += link.key;
    cell += key;
    cell += link.order;
    cell += link.direction;
    cell += link.bookmark;
    cell += number;
    cell += "\">";
    cell += number;
    cell += "</a></td>";
    cell += kCrLf;
    Write(s_, cell);
  });
}

// Duplicate suppression: a value equal (ignoring case) to the last one shown in the column.
bool RowWriter::IsRepeatedValue(Field& field, int column) {
  const std::int16_t position = GetSuppressDupPosition(s_, field.Name(), column);
  if (position < 1) return false;
  return GuardedTest(s_, kFailure, [&] {
    auto& slot = s_.marrGridFieldsSupressDup.at(static_cast<std::size_t>(position) - 1);
    const Variant value = field.Value();
    const Locale& locale = PageLocale(s_);
    const bool repeated = !value.IsNull() && !slot.IsNull() &&
                          UCase(CStr(slot, locale)) == UCase(CStr(value, locale));
    slot = value;
    return repeated;
  });
}

std::string RowWriter::CellText(Field& field, int column) {
  if (GuardedTest(s_, kFailure, [&] { return HasFreeFormatCell(s_, column); })) {
    return GetFreeCellString(s_, recordset_, column, row_);
  }
  if (GuardedTest(s_, kFailure, [&] { return HasFormatCellFunction(s_, column); })) {
    return GetFormatCellString(s_, field, column);
  }
  std::string text = GetStdDbFieldString(s_, field);
  if (s_.GridLinkIndex == column) {
    const LinkParts& link = Link();
    std::string url = link.start + link.order + link.key + GetPKValueList(s_, recordset_);
    url += link.direction;
    url += link.bookmark + std::to_string(record_);
    text = "<a" + std::string(s_.UseCSS ? " class=\"KLVOTable\"" : "") + " href=\"" + url + "\">" +
           text + "</a>";
  }
  return text;
}

void RowWriter::WriteDataCell(Field& field, int column) {
  std::string attributes;
  GuardedStep(s_, kFailure, [&] {
    if (s_.UseCSS) {
      const std::string head = GetGridColHeadAttributes(s_, column);
      if (!head.empty()) attributes = " " + head;
    } else {
      attributes = GetGridColAttributes(s_, column);
    }
  });
  std::string& cell = cell_;
  cell.clear();
  cell += "<td";
  AppendCellId(cell, column);
  if (s_.UseCSS) {
    cell += "class=\"KLVOTableTD";
    cell += parity_;
    cell += '"';
  }
  cell += attributes;
  cell += cell_tags_;
  if (IsRepeatedValue(field, column)) {
    cell += ">&nbsp;</td>";
    cell += kCrLf;
    GuardedStep(s_, kFailure, [&] { Write(s_, cell); });
    return;
  }
  GuardedStep(s_, kFailure, [&] {
    cell += IsNumericType(field.Type()) ? " align=\"right\">" : ">";
    Write(s_, cell);
  });
  std::string text;
  GuardedStep(s_, kFailure, [&] { text = CellText(field, column); });
  if (GuardedTest(s_, kFailure, [&] { return IsCellNoBr(s_, field.Name(), column); })) {
    text = NoWrap(s_, text);
  }
  text += "</td>";
  text += kCrLf;
  GuardedStep(s_, kFailure, [&] { Write(s_, text); });
}

void RowWriter::WriteRow(std::int32_t row) {
  row_ = row;
  ComputeRowTexts();
  const std::string row_id = " id=\"klv" + s_.Tag + "row_" + std::to_string(row_) + "\" ";
  GuardedStep(s_, kFailure, [&] {
    Write(s_, s_.UseCSS ? "<tr" + row_id + "class=\"KLVOTableTR" + parity_ + "\"" + row_tags_ + ">"
                        : "<tr" + row_id + row_tags_ + ">");
    Write(s_, kCrLf);
  });
  if (s_.GridDisplayIndex) WriteIndexCell();
  int column = 0;
  for (Field& field : recordset_.Fields()) {
    ++column;
    if (!GuardedTest(s_, kFailure, [&] { return IsGridColumnShown(s_, field.Name(), column); })) {
      continue;
    }
    WriteDataCell(field, column);
  }
  GuardedStep(s_, kFailure, [&] {
    if (row_ == 1) {
      s_.mvarCurrentRowValues = recordset_.GetRows();
    } else {
      recordset_.MoveNext();
    }
  });
  GuardedStep(s_, kFailure, [&] {
    Write(s_, "</tr>");
    Write(s_, kCrLf);
  });
}

}  // namespace

void MakeDataGrid(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown) {
  if (s.DisplayHeader) WriteDataGridHeader(s, recordset, rows_shown);
  rows_shown = 0;
  RowWriter writer(s, recordset);
  while (HasAnotherPageRecord(s, recordset, rows_shown, kFailure)) {
    ++rows_shown;
    writer.WriteRow(rows_shown);
  }
}

}  // namespace kelvo::detail
