#include "component/column_questions.h"

#include <algorithm>
#include <string>

#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/web_encoding.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

// A column matches a list by its name or, failing that, by its number.
std::int16_t PositionInList(std::string_view list, std::string_view name, int column) {
  const std::int16_t by_name = IndexInList(list, name);
  return by_name > 0 ? by_name : IndexInList(list, std::to_string(column));
}

bool Matches(std::string_view list, std::string_view name, int column) {
  // Most lists are empty: asked for every cell, they answer before any text is made.
  if (IsListBlank(list)) return false;
  return SilentTest([&] { return PositionInList(list, name, column) > 0; });
}

bool IsStar(std::string_view list) { return Trim(list) == "*"; }

bool IsShown(std::string_view hide, std::string_view show, std::string_view name, int column) {
  if (!IsListBlank(hide)) return !Matches(hide, name, column);
  if (!IsListBlank(show)) return Matches(show, name, column);
  return true;
}

// The page's caption for the column (its own markup), else the field's name, which comes from
// the database and is encoded as stored values are.
std::string Caption(const DbViewState& s, std::string_view names, int column,
                    std::string_view field_name) {
  const auto name = [&] { return ShownValue(s.HtmlEncodeValues, std::string(field_name)); };
  if (IsListBlank(names)) return name();
  std::size_t start = 0;
  for (int i = 1; i < column; ++i) {
    const std::size_t comma = names.find(',', start);
    if (comma == std::string_view::npos) return name();
    start = comma + 1;
  }
  if (column < 1) return name();
  const std::string_view item = names.substr(start, names.find(',', start) - start);
  if (item.empty()) return name();
  if (Trim(item).empty()) return "&nbsp;";
  return std::string(item);
}

}  // namespace

bool IsFieldReadOnly(const DbViewState& s, std::string_view name, int column) {
  if (IsStar(s.EditFieldsReadOnly)) return true;
  return !IsListBlank(s.EditFieldsReadOnly) && Matches(s.EditFieldsReadOnly, name, column);
}

bool IsGridColumnShown(const DbViewState& s, std::string_view name, int column) {
  return IsShown(s.GridFieldsHide, s.GridFieldsShow, name, column);
}

bool IsFormFieldShown(const DbViewState& s, std::string_view name, int column) {
  return IsShown(s.FormFieldsHide, s.FormFieldsShow, name, column);
}

std::int16_t GetSuppressDupPosition(const DbViewState& s, std::string_view name, int column) {
  if (IsListBlank(s.GridFieldsSupressDup)) return 0;
  try {
    return PositionInList(s.GridFieldsSupressDup, name, column);
  } catch (const std::exception&) {
    return 0;
  }
}

bool IsCellNoBr(const DbViewState& s, std::string_view name, int column) {
  return IsStar(s.GridCellsNoBr) || Matches(s.GridCellsNoBr, name, column);
}

bool IsColumnNoSort(const DbViewState& s, std::string_view name, int column) {
  return IsStar(s.GridColsNoSort) || Matches(s.GridColsNoSort, name, column);
}

std::string GetGridCaption(const DbViewState& s, int column, std::string_view field_name) {
  return Caption(s, s.GridDisplayFieldNames, column, field_name);
}

std::string GetFormCaption(const DbViewState& s, int column, std::string_view field_name) {
  return Caption(s, s.FormDisplayFieldNames, column, field_name);
}

std::int16_t GetGridColumnSpan(const DbViewState& s, int field_count) {
  int span = field_count;
  if (!IsListBlank(s.GridFieldsHide)) {
    span -= CountOccurrences(s.GridFieldsHide, ",") + 1;
  } else if (!IsListBlank(s.GridFieldsShow)) {
    // Only listed columns are shown; never span more columns than the recordset has.
    span = std::min(field_count, CountOccurrences(s.GridFieldsShow, ",") + 1);
  }
  if (s.GridDisplayIndex) ++span;
  return static_cast<std::int16_t>(span);
}

}  // namespace kelvo::detail
