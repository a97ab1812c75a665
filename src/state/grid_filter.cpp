#include "state/grid_filter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "component/captions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "host/append.h"
#include "kelvo/components.h"
#include "kelvo/db_connection.h"
#include "kelvo/error.h"
#include "runtime/iso_date.h"
#include "runtime/number_scan.h"
#include "runtime/string_ops.h"
#include "runtime/text.h"
#include "state/statement_signature.h"

namespace kelvo::detail {
namespace {

constexpr char kCrLf[] = "\r\n";

// The first value the request carries under the grid's parameter `suffix`: a name posted twice
// (a link's query and a form field) must not run together into one text.
std::optional<std::string> FirstValue(const DbViewState& s, std::string_view suffix) {
  const Request& request = PageRequest(s);
  const std::string name = ParameterName(s, suffix);
  for (const RequestCollection* collection : {&request.QueryString(), &request.Form()}) {
    if (const RequestCollection::Entry* entry = collection->Find(name);
        entry != nullptr && !entry->values.empty()) {
      return entry->values.front();
    }
  }
  return std::nullopt;
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct PostedFilters {
  std::vector<DbViewState::GridFilter> filters;  // column number as posted, name unset
  bool bad_name = false;                          // a Filter parameter naming no column number
};

// Every Vexmo<Tag>Filter<n> and Vexmo<Tag>Filter<n>Op of the request, one filter per column.
PostedFilters ReadPostedFilters(const DbViewState& s) {
  PostedFilters posted;
  const std::string prefix = ParameterName(s, "Filter");
  const Request& request = PageRequest(s);
  const auto filter_of = [&](std::int32_t column) -> DbViewState::GridFilter& {
    for (DbViewState::GridFilter& filter : posted.filters) {
      if (filter.column == column) return filter;
    }
    posted.filters.push_back({column, {}, {}, {}, {}});
    return posted.filters.back();
  };
  for (const RequestCollection* collection : {&request.QueryString(), &request.Form()}) {
    for (const RequestCollection::Entry& entry : collection->entries()) {
      if (entry.values.empty() || !StartsWithIgnoreCase(entry.key, prefix)) continue;
      std::string_view rest = std::string_view(entry.key).substr(prefix.size());
      const bool is_op = rest.size() > 2 && EqualsIgnoreCase(rest.substr(rest.size() - 2), "Op");
      const bool is_to = rest.size() > 2 && EqualsIgnoreCase(rest.substr(rest.size() - 2), "To");
      if (is_op || is_to) rest.remove_suffix(2);
      std::int32_t column = 0;
      const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), column);
      if (!AllDigits(rest) || error != std::errc() || end != rest.data() + rest.size()) {
        posted.bad_name = true;
        continue;
      }
      DbViewState::GridFilter& filter = filter_of(column);
      std::string& target = is_op ? filter.op : is_to ? filter.to : filter.value;
      if (target.empty()) target = entry.values.front();
    }
  }
  // A filter row posts every operator list; a filter without a value filters nothing.
  std::erase_if(posted.filters, [](const DbViewState::GridFilter& filter) {
    const std::string op = LCase(Trim(filter.op));
    return op != kOpEmpty && Trim(filter.value).empty() && Trim(filter.to).empty();
  });
  return posted;
}

// The column a list item names: its name (without regard to case) or its number.
std::optional<std::size_t> ColumnOf(const std::vector<ResultColumn>& columns,
                                    std::string_view item) {
  item = Trim(item);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (EqualsIgnoreCase(columns[i].name, item)) return i;
  }
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
  if (error == std::errc() && end == item.data() + item.size() && number >= 1 &&
      number <= columns.size()) {
    return number - 1;
  }
  return std::nullopt;
}

bool Lists(const std::vector<ResultColumn>& columns, std::string_view list, std::size_t index) {
  if (IsListBlank(list)) return false;
  for (std::size_t start = 0;;) {
    const std::size_t comma = list.find(',', start);
    if (ColumnOf(columns, list.substr(start, comma - start)) == index) return true;
    if (comma == std::string_view::npos) return false;
    start = comma + 1;
  }
}

}  // namespace

bool NamesColumn(std::string_view list, std::string_view name, std::int32_t number) {
  if (IsListBlank(list)) return false;
  for (std::size_t start = 0;;) {
    const std::size_t comma = list.find(',', start);
    const std::string_view item = Trim(list.substr(start, comma - start));
    if (EqualsIgnoreCase(item, name) || item == std::to_string(number)) return true;
    if (comma == std::string_view::npos) return false;
    start = comma + 1;
  }
}

namespace {

// The text as a LIKE pattern that finds it anywhere, its wildcards taken literally.
std::string ContainsPattern(std::string_view text) {
  std::string pattern = "%";
  for (const char c : text) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

struct Condition {
  std::string text;
  std::vector<Variant> parameters;
};

// A number as typed in the page locale's notation, the one the grid shows numbers in; a
// fraction when it has decimals that are not all zeros.
std::optional<Variant> ParseNumber(std::string_view text, const Locale& locale, bool& fraction) {
  const std::optional<ScannedNumber> scanned = ScanNumber(text, locale);
  if (!scanned) return std::nullopt;
  fraction = scanned->exponent < 0;
  if (!fraction) {
    if (const std::optional<std::int64_t> whole = RoundHalfEven(*scanned)) return Variant(*whole);
  }
  const std::optional<double> number = ToDouble(*scanned);
  if (!number || !std::isfinite(*number)) return std::nullopt;
  return Variant(*number);
}

// Why a filter was not applied: the status and the value it names.
struct Refusal {
  FilterSlot status = FltOutOfRange;
  std::string value;
};

// The condition of one filter; nothing, with the reason in `refused`, when it cannot be made.
std::optional<Condition> FilterCondition(const DbViewState& s, const ResultColumn& column,
                                         const std::string& op, const std::string& value,
                                         Refusal& refused) {
  const Connection& connection = *s.VexmoConnection->Connection();
  const std::string quoted = connection.QuoteIdentifier(column.name);
  const std::vector<std::string> offered = OperatorsFor(column.type);
  if (std::find(offered.begin(), offered.end(), op) == offered.end()) {
    refused = {FltNoSuchFilter, op};
    return std::nullopt;
  }
  if (op == kOpEmpty) {
    // Read as text, a column whose type takes no empty text (a uuid, an array) compares too.
    if (IsTextType(column.type)) {
      return Condition{"(" + quoted + " IS NULL OR " + connection.ColumnAsText(quoted) + " = ?)",
                       {Variant(std::string())}};
    }
    return Condition{quoted + " IS NULL", {}};
  }
  if (IsTextType(column.type)) {
    if (value.size() > kMaxSearchLength) {
      refused = {FltTextTooLong, {}};
      return std::nullopt;
    }
    if (op == kOpContains) {
      std::string pattern = ContainsPattern(value);
      std::string text = connection.LikeIgnoringCase(quoted, pattern);
      return Condition{std::move(text), {Variant(std::move(pattern))}};
    }
    // The text shown is what a user types: compared as text, a value that is no value of the
    // column's type (a uuid, JSON) matches nothing rather than failing the page.
    return Condition{connection.ColumnAsText(quoted) + " = ?", {Variant(value)}};
  }
  if (IsDateType(column.type)) {
    const std::optional<Date> date = ParseIsoDate(Trim(value));
    if (!date) {
      refused = {FltNotDate, value};
      return std::nullopt;
    }
    // A day without a time stands for the whole day.
    const bool whole_day = Trim(value).size() == 10;
    const Variant start = connection.StoredValue(Variant(*date), column.type);
    const Variant after = connection.StoredValue(Variant(Date{date->serial + 1}), column.type);
    if (op == kOpFrom) return Condition{quoted + " >= ?", {start}};
    if (op == kOpTo) {
      if (whole_day) return Condition{quoted + " < ?", {after}};
      return Condition{quoted + " <= ?", {start}};
    }
    if (whole_day) return Condition{"(" + quoted + " >= ? AND " + quoted + " < ?)", {start, after}};
    return Condition{quoted + " = ?", {start}};
  }
  bool fraction = false;
  const std::optional<Variant> number = ParseNumber(value, PageLocale(s), fraction);
  if (!number) {
    refused = {FltNotNumber, value};
    return std::nullopt;
  }
  if (IsWholeNumberType(column.type) && fraction) {
    // A whole-number column is compared with the whole numbers the bound reaches.
    const double bound = number->AsDouble();
    if (op == kOpEquals) return Condition{"1 = 0", {}};
    const double whole = op == kOpFrom ? std::ceil(bound) : std::floor(bound);
    if (std::fabs(whole) > 9.0e18) {
      refused = {FltOutOfRange, value};
      return std::nullopt;
    }
    return Condition{quoted + (op == kOpFrom ? " >= ?" : " <= ?"), {Variant(static_cast<std::int64_t>(whole))}};
  }
  const std::string comparison = op == kOpFrom ? " >= ?" : op == kOpTo ? " <= ?" : " = ?";
  return Condition{quoted + comparison, {*number}};
}

void AddCondition(DbViewState& s, Condition condition) {
  if (!s.mvarFilterCondition.empty()) s.mvarFilterCondition += " AND ";
  s.mvarFilterCondition += condition.text;
  s.mvarFilterParameters.insert(s.mvarFilterParameters.end(), condition.parameters.begin(),
                                condition.parameters.end());
}

// Text a user may have meant as a pattern; searches and "contains" filters match it as typed.
bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?%") != std::string_view::npos;
}

void Tell(DbViewState& s, const std::string& text) {
  if (!s.mvarFilterStatus.empty()) s.mvarFilterStatus += ' ';
  s.mvarFilterStatus += text;
}

void ApplySearch(DbViewState& s, const std::vector<ResultColumn>& columns, const std::string& text) {
  if (IsListBlank(s.SearchFields)) {
    AppendError(s, "The posted search was ignored: the grid offers no search", " in ReadGridFilter<br>");
    return;
  }
  if (text.size() > kMaxSearchLength) {
    Tell(s, FilterStatus(s, FltSearchTooLong, {}));
    return;
  }
  const bool every = Trim(s.SearchFields) == "*";
  Condition condition;
  const Connection& connection = *s.VexmoConnection->Connection();
  const std::string pattern = ContainsPattern(text);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!IsTextType(columns[i].type) || (!every && !Lists(columns, s.SearchFields, i))) continue;
    if (!condition.text.empty()) condition.text += " OR ";
    condition.text +=
        connection.LikeIgnoringCase(connection.QuoteIdentifier(columns[i].name), pattern);
    condition.parameters.push_back(Variant(pattern));
  }
  if (condition.parameters.empty()) {
    Tell(s, FilterStatus(s, FltNoTextColumn, {}));
    return;
  }
  condition.text = "(" + condition.text + ")";
  AddCondition(s, std::move(condition));
  s.mvarSearchText = text;
  if (HasWildcard(text)) Tell(s, FilterStatus(s, FltSearchAsTyped, {}, text));
}

void ApplyFilters(DbViewState& s, const std::vector<ResultColumn>& columns,
                  PostedFilters posted) {
  bool bad_column = posted.bad_name;
  bool ignored_bound = false;
  for (DbViewState::GridFilter& filter : posted.filters) {
    const std::size_t index = static_cast<std::size_t>(filter.column) - 1;
    if (filter.column < 1 || index >= columns.size() ||
        !(Lists(columns, s.FilterFields, index) || Lists(columns, s.FacetFields, index))) {
      bad_column = true;
      continue;
    }
    filter.name = columns[index].name;
    filter.op = LCase(Trim(filter.op));
    if (filter.op.empty()) filter.op = OperatorsFor(columns[index].type).front();
    if (filter.op == kOpEmpty) filter.value.clear();
    // An upper bound goes with "from" only; alone it is the "to" filter.
    if (filter.op != kOpFrom && !Trim(filter.to).empty()) ignored_bound = true;
    if (filter.op != kOpFrom) filter.to.clear();
    if (Trim(filter.value).empty() && !filter.to.empty()) {
      filter.op = kOpTo;
      filter.value = std::move(filter.to);
      filter.to.clear();
    }
    if (filter.op != kOpEmpty && Trim(filter.value).empty()) continue;
    Refusal refused;
    std::optional<Condition> condition;
    std::optional<Condition> upper;
    try {
      condition = FilterCondition(s, columns[index], filter.op, filter.value, refused);
      if (condition && !Trim(filter.to).empty()) {
        upper = FilterCondition(s, columns[index], kOpTo, filter.to, refused);
        if (!upper) condition.reset();
      }
    } catch (const Error&) {
      // The value does not convert to what the column stores; the lower bound was made when
      // the upper one failed.
      refused = {FltOutOfRange, condition ? filter.to : filter.value};
      condition.reset();
    }
    if (!condition) {
      Tell(s, FilterStatus(s, refused.status, filter.name, refused.value));
      continue;
    }
    AddCondition(s, std::move(*condition));
    if (upper) AddCondition(s, std::move(*upper));
    if (filter.op == kOpContains && HasWildcard(filter.value)) {
      Tell(s, FilterStatus(s, FltFilterAsTyped, filter.name, filter.value));
    }
    s.mvarFilters.push_back(std::move(filter));
  }
  if (bad_column) {
    AppendError(s, "A posted filter was ignored: it names no column the grid filters",
                " in ReadGridFilter<br>");
  }
  if (ignored_bound) {
    AppendError(s, "A posted upper bound was ignored: it goes with the filter \"from\" only",
                " in ReadGridFilter<br>");
  }
}

std::string ViewStamp(const DbViewState& s) {
  return SignStatement(PageSigningSecret(s), "view\n" + s.Tag + "\n" + FilteredStatementIdentity(s))
      .substr(0, 16);
}

std::string HiddenInput(std::string_view name, std::string_view value) {
  return "<input type=\"hidden\" name=\"" + HtmlAttributeEncode(name) + "\" value=\"" +
         HtmlAttributeEncode(value) + "\">" + kCrLf;
}

}  // namespace

bool IsDateType(int type) {
  return type == ado::adDate || type == ado::adDBDate || type == ado::adDBTimeStamp;
}

std::vector<std::string> OperatorsFor(int type) {
  if (IsTextType(type)) return {kOpContains, kOpEquals, kOpEmpty};
  if (IsNumberType(type) || IsDateType(type)) return {kOpFrom, kOpTo, kOpEquals, kOpEmpty};
  return {kOpEmpty};
}

const std::vector<ResultColumn>& StatementColumns(DbViewState& s) {
  if (s.mvarStatementColumns) return *s.mvarStatementColumns;
  if (!s.VexmoConnection) throw Error(errc::kObjectRequired, "Object required: the grid has no connection");
  // The description the connection keeps of an earlier run of the statement, else a probe.
  const std::shared_ptr<Connection>& connection = s.VexmoConnection->Connection();
  if (connection && connection->State() == ado::adStateOpen) {
    if (auto kept = connection->KeptColumns(s.sql)) {
      std::vector<ResultColumn> columns;
      for (Connection::KeptColumn& column : *kept) columns.push_back({std::move(column.name), column.type});
      return s.mvarStatementColumns.emplace(std::move(columns));
    }
  }
  auto probe = std::dynamic_pointer_cast<Recordset>(CreateComponent("ADODB.Recordset"));
  if (!probe) throw Error(errc::kClassNotRegistered, "ADODB.Recordset is not a recordset");
  probe->SetMaxRecords(1);
  probe->Open(s.sql, s.VexmoConnection->Connection(), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
  std::vector<ResultColumn> columns;
  for (const Field& field : probe->Fields()) columns.push_back({field.Name(), field.Type()});
  probe->Close();
  return s.mvarStatementColumns.emplace(std::move(columns));
}

void ReadGridFilter(DbViewState& s) {
  s.mvarSearchText.clear();
  s.mvarFilters.clear();
  s.mvarFilterCondition.clear();
  s.mvarFilterParameters.clear();
  s.mvarFilterStatus.clear();
  s.mvarStatementColumns.reset();
  s.mvarViewChanged = false;
  const std::string search = FirstValue(s, "Search").value_or(std::string());
  PostedFilters posted = ReadPostedFilters(s);
  if (!Trim(search).empty() || !posted.filters.empty() || posted.bad_name) {
    if (s.mvarStoredProc || s.mvarRecordsetSupplied) {
      Tell(s, FilterStatus(s, FltProcedure, {}));
      AppendError(s, "The posted search and filters were refused: the grid's rows come from a procedure",
                  " in ReadGridFilter<br>");
    } else {
      const std::vector<ResultColumn>& columns = StatementColumns(s);
      if (!Trim(search).empty()) ApplySearch(s, columns, std::string(Trim(search)));
      if (!posted.filters.empty() || posted.bad_name) ApplyFilters(s, columns, std::move(posted));
    }
  }
  if (const std::optional<std::string> view = FirstValue(s, "View")) {
    s.mvarViewChanged = *view != ViewStamp(s);
  }
}

std::string FilteredStatement(const DbViewState& s) {
  if (s.mvarFilterCondition.empty()) return s.sql;
  return "SELECT * FROM (" + s.sql + ") KELVOFILTER WHERE " + s.mvarFilterCondition;
}

std::string FilteredStatementIdentity(const DbViewState& s) {
  std::string identity;
  AppendFilteredStatementIdentity(identity, s);
  return identity;
}

void AppendFilteredStatementIdentity(std::string& out, const DbViewState& s) {
  out += s.sql;
  if (s.mvarFilterCondition.empty()) return;
  host::AppendAll(out, "\nfilter\n", s.mvarFilterCondition, "\n", s.mvarSearchText);
  for (const DbViewState::GridFilter& filter : s.mvarFilters) {
    host::AppendAll(out, "\n", host::DecimalText(filter.column), " ", filter.op, " ", filter.value);
    if (!filter.to.empty()) host::AppendAll(out, "\nto ", filter.to);
  }
}

bool OffersFilterRow(const DbViewState& s) {
  return (!IsListBlank(s.SearchFields) || !IsListBlank(s.FilterFields)) && !s.mvarStoredProc &&
         !s.mvarRecordsetSupplied;
}

std::string FilterQuery(const DbViewState& s, std::int32_t column, const std::string& op,
                        const std::string& value) {
  std::string query;
  if (!s.mvarSearchText.empty()) {
    query += "&" + ParameterName(s, "Search=") + UrlEncodeComponent(s.mvarSearchText);
  }
  const auto add = [&](std::int32_t number, const std::string& filter_op, const std::string& text,
                       const std::string& to) {
    const std::string name = ParameterName(s, "Filter" + std::to_string(number));
    query += "&" + name + "=" + UrlEncodeComponent(text) + "&" + name + "Op=" + filter_op;
    if (!to.empty()) query += "&" + name + "To=" + UrlEncodeComponent(to);
  };
  for (const DbViewState::GridFilter& filter : s.mvarFilters) {
    if (filter.column != column) add(filter.column, filter.op, filter.value, filter.to);
  }
  if (column > 0 && !op.empty()) add(column, op, value, {});
  return query;
}

std::string FilterHiddenFields(const DbViewState& s) {
  const bool row_posts = OffersFilterRow(s) && !s.mvarFormMode;
  std::string fields;
  if (!s.mvarSearchText.empty() && !(row_posts && !IsListBlank(s.SearchFields))) {
    fields += HiddenInput(ParameterName(s, "Search"), s.mvarSearchText);
  }
  for (const DbViewState::GridFilter& filter : s.mvarFilters) {
    if (row_posts && NamesColumn(s.FilterFields, filter.name, filter.column)) continue;
    const std::string name = ParameterName(s, "Filter" + std::to_string(filter.column));
    fields += HiddenInput(name, filter.value);
    fields += HiddenInput(name + "Op", filter.op);
    if (!filter.to.empty()) fields += HiddenInput(name + "To", filter.to);
  }
  if (row_posts) fields += HiddenInput(ParameterName(s, "View"), ViewStamp(s));
  return fields;
}

}  // namespace kelvo::detail
