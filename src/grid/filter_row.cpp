#include "grid/filter_row.h"

#include <charconv>
#include <chrono>
#include <memory>
#include <optional>

#include "component/captions.h"
#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "kelvo/convert.h"
#include "kelvo/db_connection.h"
#include "runtime/iso_date.h"
#include "runtime/number_text.h"
#include "runtime/string_ops.h"
#include "runtime/text.h"
#include "state/grid_filter.h"
#include "state/request_state.h"

namespace kelvo::detail {
namespace {

constexpr char kCrLf[] = "\r\n";
constexpr long kFacetValues = 10;

// A link to the grid's first page under `filter_query`, in the grid's order.
std::string ViewUrl(const DbViewState& s, std::int64_t record, const std::string& filter_query) {
  return ScriptPath(s) + "?" + StateQueryFor(s, record, filter_query, false) + "&" +
         ParameterName(s, "OrderByFields=") + UrlEncodeComponent(s.OrderByFields) +
         SortDirectionQuery(s, s.OrderByDesc);
}

std::string FilterText(const DbViewState& s, const std::string& op) {
  if (op == kOpContains) return FilterText(s, FltContains);
  if (op == kOpEquals) return FilterText(s, FltEquals);
  if (op == kOpFrom) return FilterText(s, FltFrom);
  if (op == kOpTo) return FilterText(s, FltTo);
  return FilterText(s, FltEmpty);
}

// The text a filter reads back as the value, or nothing for a value a filter cannot name;
// decimals with the locale's separator, as the filter reads numbers.
std::optional<std::string> FilterValueText(const Variant& value, int type, const Locale& locale) {
  switch (value.type()) {
    case VarType::kString:
      return value.AsString();
    case VarType::kInt32:
      return std::to_string(value.AsInt32());
    case VarType::kInt64:
      return std::to_string(value.AsInt64());
    case VarType::kDecimal:
      return DecimalText(value.AsDecimal(), locale);
    case VarType::kDouble: {
      char text[32];
      const auto [end, error] = std::to_chars(text, text + sizeof text, value.AsDouble());
      if (error != std::errc()) return std::nullopt;
      const std::string written(text, end);
      if (written.find_first_not_of("-0123456789.") != std::string::npos) return std::nullopt;
      return ReplaceDecimalPoint(written, locale.decimal_separator);
    }
    case VarType::kDate:
      return IsoDateText(value.AsDate(),
                         type == ado::adDBDate ? IsoDateColumn::kDate : IsoDateColumn::kDateTime);
    default:
      return std::nullopt;
  }
}

// The values of a facet with their counts; nothing when grouping the rows runs past
// `budget_ms` (0: no limit), which the database then cancels.
std::optional<std::vector<FacetValue>> FacetValuesOf(DbViewState& s, const ResultColumn& column,
                                                     int budget_ms) {
  Connection& connection = *s.VexmoConnection->Connection();
  // Grouped as it compares, so that a type without equality of its own (JSON) groups by its text.
  const std::string grouped =
      connection.ComparableColumn(connection.QuoteIdentifier(column.name), column.type);
  const std::string query = "SELECT " + grouped + " AS KELVOVALUE, COUNT(*) AS KELVOCOUNT FROM (" +
                            FilteredStatement(s) + ") KELVOFACET GROUP BY " + grouped +
                            " ORDER BY COUNT(*) DESC, " + grouped;
  const std::optional<std::vector<std::vector<Variant>>> rows =
      connection.RowsWithin(query, s.mvarFilterParameters, kFacetValues, budget_ms);
  if (!rows) return std::nullopt;
  std::vector<FacetValue> values;
  for (const std::vector<Variant>& row : *rows) {
    const Variant& value = row.at(0);
    FacetValue facet;
    facet.count = CLng(row.at(1), PageLocale(s));
    if (value.IsNull()) {
      facet.shown = HtmlAttributeEncode(FormText(s, TxtEmpty));
      facet.op = kOpEmpty;
    } else {
      const std::optional<std::string> text = FilterValueText(value, column.type, PageLocale(s));
      if (!text) continue;
      facet.shown = HtmlAttributeEncode(CStr(value, PageLocale(s)));
      facet.op = kOpEquals;
      facet.value = *text;
    }
    values.push_back(std::move(facet));
  }
  return values;
}

void WriteSearchAndFilters(DbViewState& s, Recordset& recordset) {
  std::string row = "<tr><td class=\"KLVOTableSearch\">";
  row += kCrLf;
  row += "<div role=\"search\" class=\"KelvoSearch\">";
  row += kCrLf;
  if (!IsListBlank(s.SearchFields)) {
    const std::string id = ParameterName(s, "Search");
    row += "<label for=\"" + id + "\">" + HtmlAttributeEncode(FilterText(s, FltSearch)) +
           "</label> <input type=\"search\" class=\"KelvoInput\" id=\"" + id + "\" name=\"" + id +
           "\" value=\"" + HtmlAttributeEncode(s.mvarSearchText) + "\" maxlength=\"" +
           std::to_string(kMaxSearchLength) + "\">";
    row += kCrLf;
  }
  int column = 0;
  for (Field& field : recordset.Fields()) {
    ++column;
    const std::string name = field.Name();
    if (!NamesColumn(s.FilterFields, name, column)) continue;
    const DbViewState::GridFilter* applied = nullptr;
    for (const DbViewState::GridFilter& filter : s.mvarFilters) {
      if (filter.column == column) applied = &filter;
    }
    const std::string id = ParameterName(s, "Filter" + std::to_string(column));
    const int type = field.Type();
    row += "<span class=\"KelvoFilter\"><label for=\"" + id + "\">" +
           GetGridCaption(s, column, name) + "</label> <select class=\"KelvoInput\" id=\"" + id +
           "Op\" name=\"" + id + "Op\" aria-label=\"" + HtmlAttributeEncode(name) + "\">";
    for (const std::string& op : OperatorsFor(type)) {
      row += "<option value=\"" + op + "\"";
      if (applied != nullptr && applied->op == op) row += " selected";
      row += ">" + HtmlAttributeEncode(FilterText(s, op)) + "</option>";
    }
    row += "</select> <input type=\"" + std::string(IsDateType(type) ? "date" : "text") +
           "\" class=\"KelvoInput\" id=\"" + id + "\" name=\"" + id + "\" value=\"" +
           HtmlAttributeEncode(applied != nullptr ? applied->value : std::string()) + "\"";
    if (IsNumberType(type)) row += " inputmode=\"decimal\"";
    row += ">";
    if (IsNumberType(type) || IsDateType(type)) {
      // The upper bound of a range, taken with "from".
      row += " <input type=\"" + std::string(IsDateType(type) ? "date" : "text") +
             "\" class=\"KelvoInput\" name=\"" + id + "To\" aria-label=\"" +
             HtmlAttributeEncode(name + " " + FilterText(s, FltTo)) + "\" value=\"" +
             HtmlAttributeEncode(applied != nullptr ? applied->to : std::string()) + "\"";
      if (IsNumberType(type)) row += " inputmode=\"decimal\"";
      row += ">";
    }
    row += "</span>";
    row += kCrLf;
  }
  row += "<input type=\"submit\" class=\"KelvoInputBtn\" value=\"" +
         HtmlAttributeEncode(FilterText(s, FltSearchButton)) + "\">";
  row += kCrLf;
  if (!s.mvarFilterCondition.empty()) {
    row += "<a class=\"KelvoClearFilters\" href=\"" + ViewUrl(s, 1, {}) + "\">" +
           HtmlAttributeEncode(FilterText(s, FltClear)) + "</a>";
    row += kCrLf;
  }
  row += "<a class=\"KelvoViewLink\" href=\"" + ViewUrl(s, s.mvarCurrRecord, FilterQuery(s)) +
         "\">" + HtmlAttributeEncode(FilterText(s, FltLink)) + "</a>";
  row += kCrLf;
  row += "</div>";
  row += kCrLf;
  if (!s.mvarFilterStatus.empty()) {
    row += "<p class=\"KelvoSearchStatus\" role=\"status\">" +
           HtmlAttributeEncode(s.mvarFilterStatus) + "</p>";
    row += kCrLf;
  }
  row += "</td></tr>";
  row += kCrLf;
  Write(s, row);
}

void WriteFacets(DbViewState& s, const std::vector<Facet>& facets) {
  std::string row = "<tr><td class=\"KLVOTableFacets\">";
  row += kCrLf;
  for (const Facet& facet : facets) {
    row += "<div class=\"KelvoFacet\" role=\"group\" aria-label=\"" +
           HtmlAttributeEncode(facet.name) + "\"><span class=\"KelvoFacetName\">" +
           facet.caption + "</span>";
    for (const FacetValue& value : facet.values) {
      row += " <a href=\"" +
             ViewUrl(s, 1, FilterQuery(s, facet.column, value.op, value.value)) + "\">" +
             value.shown + "</a>&nbsp;(" + std::to_string(value.count) + ")";
    }
    row += "</div>";
    row += kCrLf;
  }
  row += "</td></tr>";
  row += kCrLf;
  Write(s, row);
}

}  // namespace

std::vector<Facet> ReadFacets(DbViewState& s, int budget_ms) {
  std::vector<Facet> facets;
  if (IsListBlank(s.FacetFields) || s.mvarStoredProc || s.mvarRecordsetSupplied ||
      !s.CountRecords || s.RecordCount < 0 || s.mvarCountEstimated) {
    return facets;
  }
  // The facets share the budget: each one has what those before it left.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(budget_ms);
  GuardedStep(s, " in ReadFacets<br>", [&] {
    const std::vector<ResultColumn>& columns = StatementColumns(s);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const auto column = static_cast<std::int32_t>(i + 1);
      if (!NamesColumn(s.FacetFields, columns[i].name, column)) continue;
      Facet facet;
      facet.column = column;
      facet.name = columns[i].name;
      facet.caption = GetGridCaption(s, facet.column, columns[i].name);
      if (s.RecordCount > 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        std::optional<std::vector<FacetValue>> values;
        if (budget_ms <= 0 || left.count() > 0) {
          values = FacetValuesOf(s, columns[i], budget_ms <= 0 ? 0 : static_cast<int>(left.count()));
        }
        if (!values) {
          if (!s.mvarFilterStatus.empty()) s.mvarFilterStatus += ' ';
          s.mvarFilterStatus += FilterStatus(s, FltFacetsSlow, facet.name);
          continue;
        }
        facet.values = std::move(*values);
      }
      facets.push_back(std::move(facet));
    }
  });
  return facets;
}

void WriteFilterRows(DbViewState& s, Recordset& recordset, const std::vector<Facet>& facets) {
  if (OffersFilterRow(s)) {
    WriteSearchAndFilters(s, recordset);
  } else if (!s.mvarFilterStatus.empty()) {
    Write(s, "<tr><td class=\"KLVOTableSearch\"><p class=\"KelvoSearchStatus\" role=\"status\">" +
                 HtmlAttributeEncode(s.mvarFilterStatus) + "</p></td></tr>");
    Write(s, kCrLf);
  }
  if (!facets.empty()) WriteFacets(s, facets);
}

void WriteNoRowsMatchRow(DbViewState& s) {
  Write(s, "<tr><td class=\"KLVOTableSearch\" role=\"status\">" +
               HtmlAttributeEncode(FilterText(s, FltNoRows)) + "</td></tr>");
  Write(s, kCrLf);
}

}  // namespace kelvo::detail
