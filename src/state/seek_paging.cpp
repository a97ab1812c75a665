#include "state/seek_paging.h"

#include <algorithm>
#include <charconv>

#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "kelvo/components.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"
#include "runtime/text.h"
#include "state/grid_filter.h"
#include "state/sort_fields.h"
#include "state/statement_signature.h"

namespace kelvo::detail {
namespace {

constexpr char kSeparator = '|';
// After a value type: the column is declared NOT NULL.
constexpr char kNeverNull = '!';

bool IsPlainNameCharacter(char c, bool first) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         (!first && c >= '0' && c <= '9');
}

// The field a sort item names: a plain name, or a double-quoted one holding word characters
// only. Nothing for column numbers, qualified and bracketed names.
std::optional<std::string> NamedField(std::string_view name) {
  const bool quoted = name.size() > 2 && name.front() == '"' && name.back() == '"';
  if (quoted) name = name.substr(1, name.size() - 2);
  if (name.empty()) return std::nullopt;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!IsPlainNameCharacter(name[i], i == 0 && !quoted)) return std::nullopt;
  }
  return std::string(name);
}

std::vector<std::string_view> SplitList(std::string_view list) {
  std::vector<std::string_view> items;
  for (std::size_t start = 0;;) {
    const std::size_t comma = list.find(',', start);
    items.push_back(Trim(list.substr(start, comma - start)));
    if (comma == std::string_view::npos) return items;
    start = comma + 1;
  }
}

// The statement's result field names, read from a result of no rows; nothing when it cannot
// be read. LIMIT 0, not a false condition: under WHERE 1 = 0 PostgreSQL still starts parallel
// workers for a large table's scan, which cost 10 ms on every sorted page.
std::optional<std::vector<std::string>> ResultFieldNames(const DbViewState& s) {
  std::vector<std::string> names;
  try {
    auto recordset = std::dynamic_pointer_cast<Recordset>(CreateComponent("ADODB.Recordset"));
    if (!recordset) return std::nullopt;
    recordset->Open("SELECT * FROM (" + s.sql + ") KELVOALIAS LIMIT 0",
                    s.VexmoConnection->Connection(), ado::adOpenForwardOnly, ado::adLockReadOnly,
                    -1);
    FieldCollection& fields = recordset->Fields();
    for (int i = 0; i < fields.Count(); ++i) names.push_back(fields.Item(i).Name());
    recordset->Close();
  } catch (const Error&) {
    return std::nullopt;
  }
  return names;
}

// The column a sort item numbers (a header link sorts by number), by its result field name:
// the name a seek condition compares, written as a key name is. Nothing when the number names
// no field, or a field whose name is not unique or not one a sort list may carry.
std::optional<SeekColumn> NumberedColumn(const DbViewState& s, std::string_view item,
                                         std::optional<std::vector<std::string>>& names) {
  long number = 0;
  const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
  if (error != std::errc() || end != item.data() + item.size() || number < 1) return std::nullopt;
  if (!names) names = ResultFieldNames(s);
  if (!names || number > static_cast<long>(names->size())) return std::nullopt;
  const std::string& name = (*names)[static_cast<std::size_t>(number - 1)];
  if (std::count_if(names->begin(), names->end(), [&](const std::string& other) {
        return EqualsIgnoreCase(other, name);
      }) != 1) {
    return std::nullopt;
  }
  const bool plain = NamedField(name) && name == LCase(name);
  std::string sql = plain ? name : s.VexmoConnection->Connection()->QuoteIdentifier(name);
  if (!IsSafeSortList(sql)) return std::nullopt;
  return SeekColumn{std::move(sql), name};
}

// The sort list's columns; false for an item a seek cannot name.
bool AddSortColumns(const DbViewState& s, std::vector<SeekColumn>& columns) {
  if (Trim(s.OrderByFields).empty()) return true;
  const std::vector<std::string_view> items = SplitList(s.OrderByFields);
  std::optional<std::vector<std::string>> names;
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string_view item = items[i];
    const std::size_t blank = item.find(' ');
    std::string direction;
    if (blank != std::string_view::npos) {
      direction = UCase(Trim(item.substr(blank)));
      item = item.substr(0, blank);
      if (direction != "ASC" && direction != "DESC") return false;
    }
    SeekColumn column;
    if (const std::optional<std::string> field = NamedField(item)) {
      column = {std::string(item), *field};
    } else if (std::optional<SeekColumn> numbered = NumberedColumn(s, item, names)) {
      column = std::move(*numbered);
    } else {
      return false;
    }
    column.descending = direction == "DESC";
    if (i + 1 == items.size() && s.OrderByDesc) {
      // "x DESC DESC" is no order a database takes.
      if (!direction.empty()) return false;
      column.descending = true;
    }
    columns.push_back(std::move(column));
  }
  return true;
}

bool NamesField(const std::vector<SeekColumn>& columns, std::string_view field) {
  return std::any_of(columns.begin(), columns.end(),
                     [&](const SeekColumn& column) { return EqualsIgnoreCase(column.field, field); });
}

std::string OrderClause(const std::vector<SeekColumn>& columns, bool reversed) {
  std::string clause;
  for (const SeekColumn& column : columns) {
    if (!clause.empty()) clause += ", ";
    clause += column.sql;
    if (column.descending != reversed) clause += " DESC";
  }
  return clause;
}

bool IsCarriedType(int type) {
  return IsWholeNumberType(type) || IsTextType(type) || type == ado::adBoolean ||
         type == ado::adDecimal || type == ado::adNumeric || type == ado::adVarNumeric;
}

// Whether EncodedValue can carry the value.
bool IsEncodable(const Variant& value) {
  switch (value.type()) {
    case VarType::kNull:
    case VarType::kBoolean:
    case VarType::kInt32:
    case VarType::kInt64:
    case VarType::kDecimal:
    case VarType::kString:
      return true;
    default:
      return false;
  }
}

// Whether the comma list `keys` names the field, ignoring case and blanks around names.
bool IsKeyName(std::string_view keys, std::string_view name) {
  for (std::size_t start = 0;;) {
    const std::size_t comma = keys.find(',', start);
    if (EqualsIgnoreCase(Trim(keys.substr(start, comma - start)), name)) return true;
    if (comma == std::string_view::npos) return false;
    start = comma + 1;
  }
}

// A value as the page carries it: "n" for Null, else a kind letter and the exact text, with
// the separators escaped.
std::optional<std::string> EncodedValue(const Variant& value) {
  std::string text;
  switch (value.type()) {
    case VarType::kNull:
      return "n";
    case VarType::kBoolean:
      return value.AsBool() ? "b1" : "b0";
    case VarType::kInt32:
      return "i" + std::to_string(value.AsInt32());
    case VarType::kInt64:
      return "i" + std::to_string(value.AsInt64());
    case VarType::kDecimal:
      return "d" + value.AsDecimal().text;
    case VarType::kString:
      text = "s";
      for (const char c : value.AsString()) {
        if (c == '%' || c == ',' || c == ':' || c == kSeparator) {
          static constexpr char kHex[] = "0123456789ABCDEF";
          text += '%';
          text += kHex[static_cast<unsigned char>(c) >> 4];
          text += kHex[static_cast<unsigned char>(c) & 0x0F];
        } else {
          text += c;
        }
      }
      return text;
    default:
      return std::nullopt;
  }
}

std::optional<Variant> DecodedValue(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::string_view rest = text.substr(1);
  switch (text.front()) {
    case 'n':
      return Variant::Null();
    case 'b':
      return Variant(rest == "1");
    case 'i': {
      std::int64_t number = 0;
      const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
      if (error != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
      return Variant(number);
    }
    case 'd':
      return Variant(Decimal{std::string(rest)});
    case 's': {
      std::string decoded;
      for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
          decoded += rest[i];
          continue;
        }
        unsigned value = 0;
        if (i + 2 >= rest.size()) return std::nullopt;
        const auto [end, error] = std::from_chars(rest.data() + i + 1, rest.data() + i + 3, value, 16);
        if (error != std::errc() || end != rest.data() + i + 3) return std::nullopt;
        decoded += static_cast<char>(value);
        i += 2;
      }
      return Variant(std::move(decoded));
    }
    default:
      return std::nullopt;
  }
}

// What the signature covers besides the values: the grid, its statement, its order and the
// page the values belong to, so that values are used only for the page that wrote them.
std::string SignedText(const DbViewState& s, std::string_view order, std::int32_t record,
                       std::string_view body) {
  std::string text = s.Tag;
  text += '\n' + FilteredStatementIdentity(s);
  text += '\n' + std::string(order);
  text += '\n' + std::to_string(record);
  text += '\n' + std::to_string(s.RecordsPerPage);
  text += '\n' + std::string(body);
  return text;
}

struct Boundary {
  std::vector<int> types;
  std::vector<bool> never_null;  // declared NOT NULL
  std::vector<Variant> first;
  std::vector<Variant> last;
};

// The posted boundaries of page `record`, or nothing when they fail their check.
std::optional<Boundary> ReadBoundary(const DbViewState& s, const SeekOrder& order,
                                     std::string_view posted, std::int32_t record) {
  const std::size_t bar = posted.rfind(kSeparator);
  if (bar == std::string_view::npos) return std::nullopt;
  const std::string_view body = posted.substr(0, bar);
  if (!IsStatementSignatureValid(PageSigningSecret(s), SignedText(s, order.clause, record, body),
                                 posted.substr(bar + 1))) {
    return std::nullopt;
  }
  Boundary boundary;
  for (const std::string_view item : SplitList(body)) {
    const std::size_t first_colon = item.find(':');
    const std::size_t second_colon = item.find(':', first_colon + 1);
    if (second_colon == std::string_view::npos) return std::nullopt;
    std::string_view type_text = item.substr(0, first_colon);
    const bool never_null = type_text.ends_with(kNeverNull);
    if (never_null) type_text.remove_suffix(1);
    int type = 0;
    const auto [end, error] =
        std::from_chars(type_text.data(), type_text.data() + type_text.size(), type);
    if (error != std::errc() || end != type_text.data() + type_text.size() || !IsCarriedType(type)) {
      return std::nullopt;
    }
    std::optional<Variant> first = DecodedValue(item.substr(first_colon + 1, second_colon - first_colon - 1));
    std::optional<Variant> last = DecodedValue(item.substr(second_colon + 1));
    if (!first || !last) return std::nullopt;
    boundary.types.push_back(type);
    boundary.never_null.push_back(never_null);
    boundary.first.push_back(std::move(*first));
    boundary.last.push_back(std::move(*last));
  }
  if (boundary.types.size() != order.columns.size()) return std::nullopt;
  return boundary;
}

// The side of a boundary a seek reads: the records after `values` (or before them, `after`
// false) in the order.
struct SeekSide {
  const Connection& connection;
  const SeekOrder& order;
  const Boundary& boundary;
  const std::vector<Variant>& values;
  bool after;

  bool Descending(std::size_t i) const { return order.columns[i].descending == after; }
  // Whether column i's NULLs lie behind the values, where no record read from here is.
  bool NullsBehind(std::size_t i) const {
    return connection.NullsSortFirst() != Descending(i) || order.columns[i].key ||
           boundary.never_null[i];
  }
  Variant Bound(std::size_t i) const {
    return connection.StoredValue(values[i], boundary.types[i]);
  }
  std::string Beyond(std::size_t i, bool or_equal) const {
    return order.columns[i].sql + (Descending(i) ? " <" : " >") + (or_equal ? "= ?" : " ?");
  }
};

// One condition of a seek, its placeholders' values in order.
struct SeekBranch {
  std::string condition;
  std::vector<Variant> parameters;
  // The condition holds the first column to NULL: the rest of the order orders its records,
  // which an index on the key serves where one on the first column alone cannot.
  bool first_null = false;
};

// The records beyond the side's values among those equal on the columns before `from`: for
// each column from there, the earlier ones equal and this one beyond. NULL takes the place the
// database gives it, which no comparison with a value reaches; a column declared NOT NULL
// needs no NULL branch.
std::string BeyondChain(const SeekSide& side, std::size_t from, std::vector<Variant>& parameters) {
  std::string condition;
  std::string equal;
  std::vector<Variant> equal_parameters;
  for (std::size_t i = from; i < side.order.columns.size(); ++i) {
    const std::string& sql = side.order.columns[i].sql;
    const bool is_null = side.values[i].IsNull();
    std::string beyond;
    std::vector<Variant> beyond_parameters = equal_parameters;
    if (is_null) {
      if (side.NullsBehind(i)) beyond = sql + " IS NOT NULL";
    } else {
      beyond = side.Beyond(i, false);
      if (!side.NullsBehind(i)) beyond = "(" + beyond + " OR " + sql + " IS NULL)";
      beyond_parameters.push_back(side.Bound(i));
    }
    if (!beyond.empty()) {
      if (!condition.empty()) condition += " OR ";
      condition += "(" + equal + beyond + ")";
      parameters.insert(parameters.end(), beyond_parameters.begin(), beyond_parameters.end());
    }
    if (is_null) {
      equal += sql + " IS NULL AND ";
    } else {
      equal += sql + " = ? AND ";
      equal_parameters.push_back(side.Bound(i));
    }
  }
  return condition.empty() ? "1 = 0" : condition;
}

// The conditions whose records together are those beyond the side's values, each one a range
// or a NULL test on the first column that an index on it serves in the order's direction: a
// NULL test joined to a comparison by OR is answered by reading every record. The records
// equal on the first column and beyond on the rest go with the range, or with the NULL test
// when the boundary's first value is NULL; the NULLs or the values lying beyond them make a
// second condition.
std::vector<SeekBranch> SeekBranches(const SeekSide& side) {
  std::vector<SeekBranch> branches(1);
  SeekBranch& near = branches.front();
  const std::string& first = side.order.columns.front().sql;
  if (side.order.columns.size() == 1) {
    near.condition = BeyondChain(side, 0, near.parameters);
    return branches;
  }
  if (side.values.front().IsNull()) {
    near.condition = first + " IS NULL AND (" + BeyondChain(side, 1, near.parameters) + ")";
    near.first_null = true;
    if (side.NullsBehind(0)) branches.push_back({first + " IS NOT NULL", {}});
    return branches;
  }
  near.parameters = {side.Bound(0), side.Bound(0), side.Bound(0)};
  near.condition = side.Beyond(0, true) + " AND (" + side.Beyond(0, false) + " OR (" + first +
                   " = ? AND (" + BeyondChain(side, 1, near.parameters) + ")))";
  if (!side.NullsBehind(0)) branches.push_back({first + " IS NULL", {}, true});
  return branches;
}

std::string Wrapped(const DbViewState& s) {
  return "SELECT * FROM (" + FilteredStatement(s) + ") KELVOALIAS";
}

// The records of the wrapped statement that meet one of `branches`, in the order (reversed
// when `reversed`). Branches are read each under its own order and limit of `rows`, so that
// each is a read of an index, and merged; the filter's placeholders come first in each, its
// condition sitting inside the wrapped statement.
std::string BranchRecords(const DbViewState& s, const SeekOrder& order,
                          const std::vector<SeekBranch>& branches, bool reversed,
                          std::int32_t rows, std::vector<Variant>& parameters) {
  const std::string clause = " ORDER BY " + OrderClause(order.columns, reversed);
  const std::vector<SeekColumn> rest(order.columns.begin() + 1, order.columns.end());
  std::string text;
  for (std::size_t i = 0; i < branches.size(); ++i) {
    parameters.insert(parameters.end(), s.mvarFilterParameters.begin(),
                      s.mvarFilterParameters.end());
    parameters.insert(parameters.end(), branches[i].parameters.begin(),
                      branches[i].parameters.end());
    const std::string read =
        Wrapped(s) + " WHERE " + branches[i].condition +
        (branches[i].first_null ? " ORDER BY " + OrderClause(rest, reversed) : clause);
    if (branches.size() == 1) return read;
    if (i > 0) text += " UNION ALL ";
    text += "SELECT * FROM (" + read + " LIMIT " + std::to_string(rows) + ") KELVOSEEK" +
            std::to_string(i + 1);
  }
  return "SELECT * FROM (" + text + ") KELVOSEEK" + clause;
}

// The last `rows` records of `records` read in reverse and shown in the grid's order.
std::string ReversedPage(const SeekOrder& order, std::string_view records, std::int32_t rows) {
  return "SELECT * FROM (" + std::string(records) + " LIMIT " + std::to_string(rows) +
         ") KELVOPAGE ORDER BY " + order.clause;
}

}  // namespace

std::optional<SeekOrder> SeekOrderOf(const DbViewState& s) {
  if (!s.SeekPaging || Trim(s.EditPrimaryKeys).empty() || s.mvarStoredProc ||
      s.mvarRecordsetSupplied || !s.VexmoConnection) {
    return std::nullopt;
  }
  SeekOrder order;
  if (!AddSortColumns(s, order.columns)) return std::nullopt;
  const bool descending = !order.columns.empty() && order.columns.back().descending;
  const Connection& connection = *s.VexmoConnection->Connection();
  for (const std::string_view key : SplitList(s.EditPrimaryKeys)) {
    if (NamesField(order.columns, key)) {
      for (SeekColumn& column : order.columns) column.key |= EqualsIgnoreCase(column.field, key);
      continue;
    }
    const bool plain = NamedField(key) && key == LCase(key);
    std::string sql = plain ? std::string(key) : connection.QuoteIdentifier(key);
    if (!IsSafeSortList(sql)) return std::nullopt;
    order.columns.push_back({std::move(sql), std::string(key), descending, true});
  }
  order.clause = OrderClause(order.columns, false);
  return order;
}

void NotePageRecord(DbViewState& s, Recordset& recordset, std::int32_t rows_shown) {
  if (s.mvarSeekFields.empty()) return;
  const std::size_t count = s.mvarSeekFields.size();
  const bool first = rows_shown == 0;
  // Each record's values are read over the last one's, which keeps their storage; only the
  // first record of the page gives the types, which are the same on every record.
  std::vector<Variant>& values = s.mvarPageLastValues;
  values.resize(count);
  if (first) {
    s.mvarPageTypes.clear();
    s.mvarPageNeverNull.clear();
  }
  try {
    for (std::size_t i = 0; i < count; ++i) {
      const std::string& name = s.mvarSeekFields[i];
      Field* field = recordset.Fields().Find(name);
      if (field == nullptr || !IsCarriedType(field->Type())) throw Error(errc::kTypeMismatch, "");
      field->ReadValue(values[i]);
      const bool null = values[i].IsNull();
      if (!first && !null) {
        if (!IsEncodable(values[i])) throw Error(errc::kTypeMismatch, "");
        continue;
      }
      const bool is_key = IsKeyName(s.EditPrimaryKeys, name);
      if (is_key && null) throw Error(errc::kInvalidUseOfNull, "");
      if (!IsEncodable(values[i])) throw Error(errc::kTypeMismatch, "");
      if (first) {
        s.mvarPageTypes.push_back(field->Type());
        // A key is never Null anyway.
        s.mvarPageNeverNull.push_back(!is_key && (field->Attributes() & ado::adFldIsNullable) == 0);
      }
    }
  } catch (const Error&) {
    s.mvarSeekFields.clear();
    return;
  }
  if (first) s.mvarPageFirstValues = values;
}

std::string PageBoundaryText(const DbViewState& s) {
  if (s.mvarSeekFields.empty() || s.mvarPageFirstValues.size() != s.mvarSeekFields.size() ||
      s.mvarPageLastValues.size() != s.mvarSeekFields.size()) {
    return {};
  }
  std::string body;
  for (std::size_t i = 0; i < s.mvarSeekFields.size(); ++i) {
    if (i > 0) body += ',';
    body += std::to_string(s.mvarPageTypes[i]);
    if (s.mvarPageNeverNull[i]) body += kNeverNull;
    body += ":" + *EncodedValue(s.mvarPageFirstValues[i]) +
            ":" + *EncodedValue(s.mvarPageLastValues[i]);
  }
  return body + kSeparator +
         SignStatement(PageSigningSecret(s), SignedText(s, s.mvarSeekOrder, s.mvarCurrRecord, body));
}

std::optional<SoughtStatement> SeekStatement(DbViewState& s, const SeekOrder& order,
                                             std::int32_t posted_record) {
  // Boundaries of a page of another view say nothing of this one's.
  if (s.mvarViewChanged) return std::nullopt;
  const std::int32_t page = s.RecordsPerPage;
  const std::int32_t record = s.mvarCurrRecord;
  // A page read in reverse ends where the records end, which must not pass for the end of
  // the records: the count has to be exact.
  const bool counted =
      s.RecordCount >= 0 && !s.mvarCountEstimated && s.RecordCount < s.RecordsMaxLimit;
  // Under an estimate the pages are numbered from it; the rows are still exact. An estimate
  // at the record limit would number the final records as if they were there.
  const bool estimated =
      s.RecordCount >= 0 && s.mvarCountEstimated && s.RecordCount < s.RecordsMaxLimit;
  const bool next = IsPresent(s, "NEXT.x");
  const bool previous = !next && IsPresent(s, "PREV.x");
  if (!next && !previous) {
    // The last page is the first of the reversed order, wherever it lies.
    if (IsPresent(s, "FIRST.x") || !IsPresent(s, "LAST.x") || !(counted || estimated)) {
      return std::nullopt;
    }
    const std::int32_t rows = s.RecordCount - record + 1;
    if (rows < 1 || rows > page) return std::nullopt;
    return SoughtStatement{
        ReversedPage(order, Wrapped(s) + " ORDER BY " + OrderClause(order.columns, true), rows),
        s.mvarFilterParameters, 0, true};
  }
  // A page next to the one shown, but not one the numbers or the record limit would move.
  if (next && (std::int64_t{posted_record} + page != record ||
               (s.RecordCount >= 0 && !s.mvarCountEstimated && record > s.RecordCount) ||
               std::int64_t{record} + page > s.RecordsMaxLimit)) {
    return std::nullopt;
  }
  if (previous &&
      (std::int64_t{posted_record} - page != record || record < 1 || !(counted || estimated))) {
    return std::nullopt;
  }
  const std::string posted = RequestValue(s, "PageKeys");
  if (Trim(posted).empty()) return std::nullopt;
  const std::optional<Boundary> boundary = ReadBoundary(s, order, posted, posted_record);
  if (!boundary) {
    AppendError(s, "The posted page boundaries were ignored: they carry no valid signature",
                " in ApplyNavCommand<br>");
    return std::nullopt;
  }
  const SeekSide side{*s.VexmoConnection->Connection(), order, *boundary,
                      next ? boundary->last : boundary->first, next};
  const std::vector<SeekBranch> branches = SeekBranches(side);
  SoughtStatement statement;
  if (next) {
    statement.max_records = page + 1;
    statement.text =
        BranchRecords(s, order, branches, false, statement.max_records, statement.parameters);
  } else {
    statement.text = ReversedPage(
        order, BranchRecords(s, order, branches, true, page, statement.parameters), page);
    statement.reversed = true;
  }
  return statement;
}

std::optional<SoughtStatement> PrecedingCountStatement(const DbViewState& s, const SeekOrder& order,
                                                      Recordset& record) {
  Boundary sort_values;
  for (const SeekColumn& column : order.columns) {
    Field* field = record.Fields().Find(column.field);
    if (field == nullptr || !IsCarriedType(field->Type())) return std::nullopt;
    sort_values.first.push_back(field->Value());
    if (column.key && sort_values.first.back().IsNull()) return std::nullopt;
    sort_values.types.push_back(field->Type());
    sort_values.never_null.push_back(!column.key &&
                                     (field->Attributes() & ado::adFldIsNullable) == 0);
  }
  const SeekSide side{*s.VexmoConnection->Connection(), order, sort_values, sort_values.first,
                      false};
  // One count per branch, each a read of an index, added up.
  SoughtStatement statement;
  std::string counts;
  for (const SeekBranch& branch : SeekBranches(side)) {
    statement.parameters.insert(statement.parameters.end(), s.mvarFilterParameters.begin(),
                                s.mvarFilterParameters.end());
    statement.parameters.insert(statement.parameters.end(), branch.parameters.begin(),
                                branch.parameters.end());
    if (!counts.empty()) counts += " + ";
    counts += "(SELECT COUNT(*) FROM (" + FilteredStatement(s) + ") KELVOALIAS WHERE " +
              branch.condition + ")";
  }
  statement.text = "SELECT " + counts + " AS ANT";
  return statement;
}

std::optional<SoughtStatement> KeyAtPositionStatement(const DbViewState& s, const SeekOrder& order,
                                                     Recordset& record, std::int32_t position) {
  const Connection& connection = *s.VexmoConnection->Connection();
  SoughtStatement statement;
  // The filter's placeholders come first: its condition sits inside the wrapped statement.
  statement.parameters = s.mvarFilterParameters;
  statement.parameters.emplace_back(std::int64_t{position} - 1);
  std::string condition;
  for (const SeekColumn& column : order.columns) {
    if (!column.key) continue;
    Field* field = record.Fields().Find(column.field);
    if (field == nullptr || !IsCarriedType(field->Type()) || field->Value().IsNull()) {
      return std::nullopt;
    }
    if (!condition.empty()) condition += " AND ";
    condition += column.sql + " = ?";
    statement.parameters.push_back(connection.StoredValue(field->Value(), field->Type()));
  }
  if (condition.empty()) return std::nullopt;
  statement.text = "SELECT COUNT(*) AS ANT FROM (" + FilteredStatement(s) + " ORDER BY " + order.clause +
                   " LIMIT 1 OFFSET ?) KELVOALIAS WHERE " + condition;
  return statement;
}

}  // namespace kelvo::detail
