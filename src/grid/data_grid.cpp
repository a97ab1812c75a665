#include "grid/data_grid.h"

#include <charconv>
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

void AppendNumber(std::string& out, std::int64_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, result.ptr);
}

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

// A row or cell tag text, folded: with field values put in, trimmed, one blank in front.
std::string TagText(DbViewState& s, std::string_view folded, Recordset& recordset,
                    std::int32_t row) {
  const std::string expanded = ReplaceFieldValuesFromTag(s, folded, recordset, row);
  const std::string_view trimmed = Trim(expanded);
  return trimmed.empty() ? std::string() : " " + std::string(trimmed);
}

// The row or cell tags of one parity, folded once per page. Tags that name no field read the
// same on every row of their parity, so their text is kept from the first.
struct ParityTag {
  std::string folded;
  std::optional<std::string> kept;
};

// Writes the data rows of one page, each built in one buffer and written at once.
class RowWriter {
 public:
  RowWriter(DbViewState& s, Recordset& recordset) : s_(s), recordset_(recordset) {}

  void WriteRow(std::int32_t row);

 private:
  void ComputeRowTexts();
  std::string TagTextFor(ParityTag& tag);
  void AppendIndexCell();
  void AppendDataCell(Field& field, int column);
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
  // "<td", the cell's id and its class: all but the column number are the same for the row.
  void AppendCellStart(int column) {
    out_ += cell_id_;
    AppendNumber(out_, column);
    out_ += cell_class_;
  }

  DbViewState& s_;
  Recordset& recordset_;
  std::int32_t row_ = 0;
  std::int64_t record_ = 0;
  std::optional<LinkParts> link_;
  std::string_view parity_;
  // Indexed by parity: 0 odd, 1 even.
  std::optional<ParityTag> row_tag_[2];
  std::optional<ParityTag> cell_tag_[2];
  std::string row_tags_;
  std::string cell_tags_;
  std::string cell_id_;     // "<td id=" up to the column number, for the row being written
  std::string cell_class_;  // from the end of the id to the class, by parity
  std::string out_;  // the row being built, kept so that its buffer serves every row
};

std::string RowWriter::TagTextFor(ParityTag& tag) {
  if (tag.kept) return *tag.kept;
  std::string text = TagText(s_, tag.folded, recordset_, row_);
  if (tag.folded.find("##") == std::string::npos) tag.kept = text;
  return text;
}

void RowWriter::ComputeRowTexts() {
  const bool odd = row_ % 2 == 1;
  parity_ = odd ? "odd" : "even";
  record_ = std::int64_t{s_.mvarCurrRecord} + row_ - 1;
  cell_id_ = "<td id=\"klv";
  cell_id_ += s_.Tag;
  cell_id_ += "cell_";
  AppendNumber(cell_id_, row_);
  cell_id_ += '_';
  cell_class_ = "\" ";
  if (s_.UseCSS) {
    cell_class_ += "class=\"KLVOTableTD";
    cell_class_ += parity_;
    cell_class_ += '"';
  }
  std::optional<ParityTag>& row_tag = row_tag_[odd ? 0 : 1];
  std::optional<ParityTag>& cell_tag = cell_tag_[odd ? 0 : 1];
  if (!row_tag) {
    row_tag.emplace();
    row_tag->folded = FoldBlankPairs(s_.GridTRTag + " " + (odd ? s_.GridTROddTag : s_.GridTREvenTag));
    cell_tag.emplace();
    cell_tag->folded = FoldBlankPairs(s_.TDTag + " " + s_.GridTDTag + " " +
                                      (odd ? s_.TDOddTag : s_.TDEvenTag) + " " +
                                      (odd ? s_.GridTDOddTag : s_.GridTDEvenTag));
  }
  GuardedStep(s_, kFailure, [&] { row_tags_ = TagTextFor(*row_tag); });
  GuardedStep(s_, kFailure, [&] { cell_tags_ = TagTextFor(*cell_tag); });
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

void RowWriter::AppendIndexCell() {
  if (s_.GridLinkIndex != 0) {
    GuardedStep(s_, kFailure, [&] {
      if (s_.UseCSS) {
        const std::string head = GetGridColHeadAttributes(s_, 0);
        AppendCellStart(0);
        if (!head.empty()) {
          out_ += ' ';
          out_ += head;
          out_ += ' ';
        }
      } else {
        const std::string attributes = GetGridColAttributes(s_, 0);
        AppendCellStart(0);
        out_ += attributes;
      }
      out_ += cell_tags_;
      out_ += '>';
      AppendNumber(out_, record_);
      out_ += "</td>";
      out_ += kCrLf;
    });
    return;
  }
  GuardedStep(s_, kFailure, [&] {
    const LinkParts& link = Link();
    const std::string key = GetPKValueList(s_, recordset_);
    const std::string attributes = GetGridColAttributes(s_, 0);
    AppendCellStart(0);
    out_ += attributes;
    out_ += cell_tags_;
    out_ += s_.UseCSS ? "><a class=\"KLVOTable\" href=\"" : "><a href=\"";
    out_ += link.start;
    out_ += link.key;
    out_ += key;
    out_ += link.order;
    out_ += link.direction;
    out_ += link.bookmark;
    AppendNumber(out_, record_);
    out_ += "\">";
    AppendNumber(out_, record_);
    out_ += "</a></td>";
    out_ += kCrLf;
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
    const std::string key = GetPKValueList(s_, recordset_);
    std::string linked = s_.UseCSS ? "<a class=\"KLVOTable\" href=\"" : "<a href=\"";
    linked += link.start;
    linked += link.order;
    linked += link.key;
    linked += key;
    linked += link.direction;
    linked += link.bookmark;
    AppendNumber(linked, record_);
    linked += "\">";
    linked += text;
    linked += "</a>";
    text.swap(linked);
  }
  return text;
}

void RowWriter::AppendDataCell(Field& field, int column) {
  std::string attributes;
  GuardedStep(s_, kFailure, [&] {
    attributes = s_.UseCSS ? GetGridColHeadAttributes(s_, column) : GetGridColAttributes(s_, column);
  });
  const std::size_t cell_start = out_.size();
  AppendCellStart(column);
  if (s_.UseCSS && !attributes.empty()) out_ += ' ';
  out_ += attributes;
  out_ += cell_tags_;
  if (IsRepeatedValue(field, column)) {
    out_ += ">&nbsp;</td>";
    out_ += kCrLf;
    return;
  }
  // The opening tag is written whole or, when the field's type cannot be read, not at all.
  if (!GuardedStep(s_, kFailure,
                   [&] { out_ += IsNumericType(field.Type()) ? " align=\"right\">" : ">"; })) {
    out_.resize(cell_start);
  }
  std::string text;
  GuardedStep(s_, kFailure, [&] { text = CellText(field, column); });
  if (GuardedTest(s_, kFailure, [&] { return IsCellNoBr(s_, field.Name(), column); })) {
    text = NoWrap(s_, text);
  }
  out_ += text;
  out_ += "</td>";
  out_ += kCrLf;
}

void RowWriter::WriteRow(std::int32_t row) {
  row_ = row;
  ComputeRowTexts();
  out_.clear();
  out_ += "<tr id=\"klv";
  out_ += s_.Tag;
  out_ += "row_";
  AppendNumber(out_, row_);
  out_ += "\" ";
  if (s_.UseCSS) {
    out_ += "class=\"KLVOTableTR";
    out_ += parity_;
    out_ += '"';
  }
  out_ += row_tags_;
  out_ += '>';
  out_ += kCrLf;
  if (s_.GridDisplayIndex) AppendIndexCell();
  int column = 0;
  for (Field& field : recordset_.Fields()) {
    ++column;
    if (!GuardedTest(s_, kFailure, [&] { return IsGridColumnShown(s_, field.Name(), column); })) {
      continue;
    }
    AppendDataCell(field, column);
  }
  GuardedStep(s_, kFailure, [&] {
    if (row_ == 1) {
      s_.mvarCurrentRowValues = recordset_.GetRows();
    } else {
      recordset_.MoveNext();
    }
  });
  out_ += "</tr>";
  out_ += kCrLf;
  GuardedStep(s_, kFailure, [&] { Write(s_, out_); });
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
