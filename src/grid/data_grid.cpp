#include "grid/data_grid.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

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
#include "host/append.h"
#include "kelvo/convert.h"
#include "state/request_state.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

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

// An answer a row asks of a column, kept for the page: it depends on the page's settings and
// the field's type only. One given with a reported failure is asked again on the next row,
// which reports it again as every row did.
template <class T>
struct Answer {
  T value{};
  bool kept = false;
};

struct ColumnAnswers {
  Answer<bool> shown;
  Answer<std::string> attributes;  // with the blank in front of them, where one is written
  Answer<std::int16_t> repeat_slot;
  Answer<bool> free_format;
  Answer<bool> format_function;
  Answer<bool> no_break;
  Answer<bool> numeric;
};

// Writes the data rows of one page, each built in one buffer and written at once. What is the
// same on every row is made once; the buffers keep their storage from row to row.
class RowWriter {
 public:
  RowWriter(DbViewState& s, Recordset& recordset, GridLinkStart& link_start);

  void WriteRow(std::int32_t row);

 private:
  template <class T, class Question>
  const T& Ask(Answer<T>& answer, Question&& question) {
    if (!answer.kept) {
      const std::size_t reported = s_.ErrorMessage.size();
      answer.value = question();
      answer.kept = s_.ErrorMessage.size() == reported;
    }
    return answer.value;
  }
  template <class Test>
  bool AskTest(Answer<bool>& answer, Test&& test) {
    return Ask(answer, [&] { return GuardedTest(s_, kFailure, test); });
  }
  void ComputeRowTexts();
  const std::string& TagTextFor(ParityTag& tag);
  void AppendIndexCell();
  void AppendDataCell(Field& field, int column, ColumnAnswers& answers);
  bool IsRepeatedValue(Field& field, int column, ColumnAnswers& answers);
  void AppendCellText(Field& field, int column, ColumnAnswers& answers);
  // The record link's text around the record's key, the same on every row of the page (the
  // state query signs a carried count, which is kept rather than built again for each row).
  struct LinkParts {
    std::string index_head;   // the index cell's link up to the key
    std::string index_tail;   // from the key to the bookmark's number
    std::string column_head;  // the same for the link on a data column, whose order differs
    std::string column_tail;
  };
  const LinkParts& Link();
  // "<td", the cell's id and its class: the row's part, then the column's for the parity.
  void AppendCellStart(int column) {
    out_ += cell_id_;
    std::vector<std::string>& ends = cell_ends_[parity_index_];
    const auto index = static_cast<std::size_t>(column);
    if (ends.size() <= index) ends.resize(std::max(index, columns_.size()) + 1);
    if (ends[index].empty()) {
      const std::string& cell_class = cell_classes_[parity_index_];
      ends[index].reserve(cell_class.size() + 12);
      ends[index] += host::DecimalText(column);
      ends[index] += cell_class;
    }
    out_ += ends[index];
  }
  // Most pages set no attributes or tags: an empty text is not appended at all.
  void AppendIfAny(const std::string& text) {
    if (!text.empty()) out_ += text;
  }
  void AppendRecordNumber() {
    out_.append(record_digits_, static_cast<std::size_t>(record_digits_end_ - record_digits_));
  }

  DbViewState& s_;
  Recordset& recordset_;
  GridLinkStart& link_start_;
  std::int32_t row_ = 0;
  std::optional<LinkParts> link_;
  PKValueList keys_;
  FieldReadBuffer read_;
  std::vector<ColumnAnswers> columns_;
  Answer<std::string> index_attributes_;
  // Indexed by parity: 0 odd, 1 even.
  std::optional<ParityTag> row_tag_[2];
  std::optional<ParityTag> cell_tag_[2];
  std::string row_classes_[2];   // from the end of the row's id to its class
  std::string cell_classes_[2];  // from the end of the cell's id to its class
  std::vector<std::string> cell_ends_[2];  // by column: its number, then the class
  int parity_index_ = 0;
  char record_digits_[24] = {};
  char* record_digits_end_ = record_digits_;
  std::string row_tags_;
  std::string cell_tags_;
  std::string row_start_;   // "<tr id=" up to the row number
  std::string cell_id_;     // "<td id=" up to the column number, for the row being written
  std::size_t cell_id_prefix_ = 0;  // the part of cell_id_ before the row number
  std::string tag_text_;  // a tag's text that names fields, made again for each row
  std::string key_;       // the record's key list
  std::string text_;      // a linked cell's text
  std::string out_;  // the row being built
};

RowWriter::RowWriter(DbViewState& s, Recordset& recordset, GridLinkStart& link_start)
    : s_(s), recordset_(recordset), link_start_(link_start), keys_(s, recordset) {
  // These texts are made in storage of their size (and the cell id's of its row number).
  row_start_.reserve(s_.Tag.size() + 16);
  row_start_ = "<tr id=\"klv";
  row_start_ += s_.Tag;
  row_start_ += "row_";
  cell_id_.reserve(s_.Tag.size() + 40);
  cell_id_ = "<td id=\"klv";
  cell_id_ += s_.Tag;
  cell_id_ += "cell_";
  cell_id_prefix_ = cell_id_.size();
  // Room for a usual row, which then never grows it step by step.
  out_.reserve(2048);
  for (int odd = 0; odd < 2; ++odd) {
    std::string& row_class = row_classes_[odd];
    std::string& cell_class = cell_classes_[odd];
    row_class.reserve(32);
    cell_class.reserve(32);
    row_class = "\" ";
    cell_class = "\" ";
    if (s_.UseCSS) {
      row_class += "class=\"KLVOTableTR";
      row_class += odd == 0 ? "odd" : "even";
      row_class += '"';
      cell_class += "class=\"KLVOTableTD";
      cell_class += odd == 0 ? "odd" : "even";
      cell_class += '"';
    }
  }
}

const std::string& RowWriter::TagTextFor(ParityTag& tag) {
  if (tag.kept) return *tag.kept;
  tag_text_ = TagText(s_, tag.folded, recordset_, row_);
  if (tag.folded.find("##") == std::string::npos) tag.kept = tag_text_;
  return tag_text_;
}

void RowWriter::ComputeRowTexts() {
  const bool odd = row_ % 2 == 1;
  const std::int64_t record = std::int64_t{s_.mvarCurrRecord} + row_ - 1;
  record_digits_end_ =
      std::to_chars(record_digits_, record_digits_ + sizeof record_digits_, record).ptr;
  cell_id_.resize(cell_id_prefix_);
  cell_id_ += host::DecimalText(row_);
  cell_id_ += '_';
  parity_index_ = odd ? 0 : 1;
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
    const std::string_view anchor =
        s_.UseCSS ? "<a class=\"KLVOTable\" href=\"" : "<a href=\"";
    const std::string& path = link_start_.Path(s_);
    const std::string form = ParameterName(s_, "FormDisplay=formOneRec");
    const std::string& query = link_start_.StateQuery(s_, s_.mvarCurrRecord);
    const std::string key = "&" + ParameterName(s_, "PK=");
    const std::string order =
        "&" + ParameterName(s_, "OrderByFields=") + UrlEncodeComponent(s_.OrderByFields);
    std::string tail = SortDirectionQuery(s_, s_.OrderByDesc) + "&" + ParameterName(s_, "BookMark=");
    // Each part is made in storage of its final size.
    const std::size_t start_size = anchor.size() + path.size() + form.size() + query.size() + 2;
    LinkParts parts;
    parts.index_head.reserve(1 + start_size + key.size());
    parts.index_head += '>';
    parts.index_head += anchor;
    parts.index_head += path;
    parts.index_head += '?';
    parts.index_head += form;
    parts.index_head += '&';
    parts.index_head += query;
    parts.column_head.reserve(start_size + order.size() + key.size());
    parts.column_head.append(parts.index_head, 1);
    parts.column_head += order;
    parts.column_head += key;
    parts.index_head += key;
    parts.index_tail.reserve(order.size() + tail.size());
    parts.index_tail += order;
    parts.index_tail += tail;
    parts.column_tail = std::move(tail);
    link_ = std::move(parts);
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
      AppendRecordNumber();
      out_ += "</td>\r\n";
    });
    return;
  }
  GuardedStep(s_, kFailure, [&] {
    const LinkParts& link = Link();
    key_.clear();
    keys_.AppendTo(key_);
    const std::string& attributes =
        Ask(index_attributes_, [&] { return GetGridColAttributes(s_, 0); });
    AppendCellStart(0);
    AppendIfAny(attributes);
    AppendIfAny(cell_tags_);
    out_ += link.index_head;
    out_ += key_;
    out_ += link.index_tail;
    AppendRecordNumber();
    out_ += "\">";
    AppendRecordNumber();
    out_ += "</a></td>\r\n";
  });
}

// Duplicate suppression: a value equal (ignoring case) to the last one shown in the column.
bool RowWriter::IsRepeatedValue(Field& field, int column, ColumnAnswers& answers) {
  const std::int16_t position =
      Ask(answers.repeat_slot, [&] { return GetSuppressDupPosition(s_, field.Name(), column); });
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

void RowWriter::AppendCellText(Field& field, int column, ColumnAnswers& answers) {
  if (AskTest(answers.free_format, [&] { return HasFreeFormatCell(s_, column); })) {
    out_ += GetFreeCellString(s_, recordset_, column, row_);
    return;
  }
  if (AskTest(answers.format_function, [&] { return HasFormatCellFunction(s_, column); })) {
    out_ += GetFormatCellString(s_, field, column);
    return;
  }
  if (s_.GridLinkIndex != column) {
    AppendStdDbFieldString(s_, field, read_, out_);
    return;
  }
  text_.clear();
  AppendStdDbFieldString(s_, field, read_, text_);
  const LinkParts& link = Link();
  key_.clear();
  keys_.AppendTo(key_);
  out_ += link.column_head;
  out_ += key_;
  out_ += link.column_tail;
  AppendRecordNumber();
  out_ += "\">";
  out_ += text_;
  out_ += "</a>";
}

void RowWriter::AppendDataCell(Field& field, int column, ColumnAnswers& answers) {
  const std::string& attributes = Ask(answers.attributes, [&] {
    std::string text;
    GuardedStep(s_, kFailure, [&] {
      text = s_.UseCSS ? GetGridColHeadAttributes(s_, column) : GetGridColAttributes(s_, column);
    });
    if (s_.UseCSS && !text.empty()) text.insert(0, 1, ' ');
    return text;
  });
  AppendCellStart(column);
  AppendIfAny(attributes);
  AppendIfAny(cell_tags_);
  if (IsRepeatedValue(field, column, answers)) {
    out_ += ">&nbsp;</td>\r\n";
    return;
  }
  out_ += Ask(answers.numeric, [&] { return IsNumericType(field.Type()); }) ? " align=\"right\">"
                                                                              : ">";
  // Asked before the text is written, which it encloses; the question never reports.
  const bool no_break =
      AskTest(answers.no_break, [&] { return IsCellNoBr(s_, field.Name(), column); });
  if (no_break) out_ += NoWrapOpen(s_);
  const std::size_t text_start = out_.size();
  if (!GuardedStep(s_, kFailure, [&] { AppendCellText(field, column, answers); })) {
    out_.resize(text_start);
  }
  if (no_break) out_ += NoWrapClose(s_);
  out_ += "</td>\r\n";
}

void RowWriter::WriteRow(std::int32_t row) {
  row_ = row;
  ComputeRowTexts();
  out_.clear();
  out_ += row_start_;
  out_ += host::DecimalText(row_);
  out_ += row_classes_[parity_index_];
  AppendIfAny(row_tags_);
  out_ += ">\r\n";
  if (s_.GridDisplayIndex) AppendIndexCell();
  FieldCollection& fields = recordset_.Fields();
  columns_.resize(static_cast<std::size_t>(fields.Count()));
  int column = 0;
  for (Field& field : fields) {
    ColumnAnswers& answers = columns_[static_cast<std::size_t>(column)];
    ++column;
    if (!AskTest(answers.shown, [&] { return IsGridColumnShown(s_, field.Name(), column); })) {
      continue;
    }
    AppendDataCell(field, column, answers);
  }
  GuardedStep(s_, kFailure, [&] {
    if (row_ == 1) {
      s_.mvarCurrentRowValues = recordset_.GetRows();
    } else {
      recordset_.MoveNext();
    }
  });
  out_ += "</tr>\r\n";
  GuardedStep(s_, kFailure, [&] { Write(s_, out_); });
}

}  // namespace

void MakeDataGrid(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown) {
  GridLinkStart link_start;
  if (s.DisplayHeader) WriteDataGridHeader(s, recordset, rows_shown, link_start);
  rows_shown = 0;
  RowWriter writer(s, recordset, link_start);
  while (HasAnotherPageRecord(s, recordset, rows_shown, kFailure)) {
    ++rows_shown;
    writer.WriteRow(rows_shown);
  }
}

}  // namespace kelvo::detail
