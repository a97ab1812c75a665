#include "state/request_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>
#include <limits>
#include <optional>

#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "host/append.h"
#include "host/ascii_case.h"
#include "kelvo/convert.h"
#include "state/grid_filter.h"
#include "state/seek_paging.h"
#include "state/sort_fields.h"
#include "state/statement_signature.h"
#include "runtime/string_ops.h"
#include "runtime/text.h"
#include "runtime/value_text.h"

namespace kelvo::detail {
namespace {

constexpr char kCrLf[] = "\r\n";

std::int32_t Saturate(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The names below are ASCII: compared without regard to ASCII case, they match exactly what the
// folding comparisons match, at a fraction of the cost.
bool AsciiStartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         host::EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         host::EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

bool ContainsIgnoreCase(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (host::EqualsIgnoringAsciiCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

// Writes, downloads and mode changes of any grid on the page: carrying them would repeat them
// on every later click. Another grid's paging buttons are carried with the position they moved
// from, so that grid stays where they took it while this one posts.
bool IsActionParameter(std::string_view key) {
  static constexpr std::array<std::string_view, 8> kActionSuffixes = {
      "FormUpdate", "FormDelete", "FormInsert", "FormAdd",
      "FormEdit",   "FormView",   "ToExcel.x",  "ToExcel.y"};
  if (!AsciiStartsWithIgnoreCase(key, "Vexmo")) return false;
  if (ContainsIgnoreCase(key, "_FORM_")) return true;
  return std::any_of(kActionSuffixes.begin(), kActionSuffixes.end(),
                     [&](std::string_view suffix) { return EndsWithIgnoreCase(key, suffix); });
}

// Whether `key` is one of this grid's own parameters. The name after the tag must be one a
// grid uses, so the parameters of a grid tagged "12" are not taken for grid "1"'s.
bool IsOwnParameter(const DbViewState& s, std::string_view key) {
  static constexpr std::array<std::string_view, 25> kOwnNames = {
      "BookMark", "CarriedCount", "CountRecords", "CurrRecord", "DeleteNote", "Filter",
      "Form",     "OrderBy",      "PK",           "PageKeys",   "SQL",        "Search",
      "ToExcel",  "View",         "maxrecords",   "FIRST.",     "LAST.",      "NEXT.",
      "PREV.",    "_Form_",       "Key_Form_",    "Hash_Form_", "Was_Form_",  "Choice_Form_",
      "Confirm_Form_"};
  constexpr std::string_view kPrefix = "Vexmo";
  if (!AsciiStartsWithIgnoreCase(key, kPrefix) ||
      !StartsWithIgnoreCase(key.substr(kPrefix.size()), s.Tag)) {
    return false;
  }
  const std::string_view rest = key.substr(kPrefix.size() + s.Tag.size());
  return std::any_of(kOwnNames.begin(), kOwnNames.end(),
                     [&](std::string_view name) { return AsciiStartsWithIgnoreCase(rest, name); });
}

bool IsCarried(const DbViewState& s, std::string_view key) {
  // The form writes the sign-in token itself; carried too, it would be posted twice.
  if (!PageFormToken(s).empty() && LCase(key) == "kelvo_token") return false;
  return !IsOwnParameter(s, key) && !IsActionParameter(key);
}

const std::vector<std::uint32_t>& CarriedEntries(const DbViewState& s) {
  if (s.mvarCarriedEntries) return *s.mvarCarriedEntries;
  std::vector<std::uint32_t>& carried = s.mvarCarriedEntries.emplace();
  const Request& request = PageRequest(s);
  std::uint32_t position = 0;
  for (const RequestCollection* collection : {&request.QueryString(), &request.Form()}) {
    for (const RequestCollection::Entry& entry : collection->entries()) {
      if (IsCarried(s, entry.key)) carried.push_back(position);
      ++position;
    }
  }
  return carried;
}

// Calls `visit(key, value)` for every value of every carried query-string and form parameter.
template <class Visit>
void ForEachCarriedValue(const DbViewState& s, Visit visit) {
  const Request& request = PageRequest(s);
  const std::vector<RequestCollection::Entry>& query = request.QueryString().entries();
  const std::vector<RequestCollection::Entry>& form = request.Form().entries();
  for (const std::uint32_t position : CarriedEntries(s)) {
    // Positions of another request, should the grid be used again before it reads its own,
    // are never read past its end.
    if (position >= query.size() + form.size()) break;
    const RequestCollection::Entry& entry =
        position < query.size() ? query[position] : form[position - query.size()];
    for (const std::string& value : entry.values) visit(entry.key, value);
  }
}

void AppendHiddenInput(std::string& fields, std::string_view name, std::string_view value) {
  fields += "<input type=\"hidden\" name=\"";
  AppendHtmlAttributeEncoded(fields, name);
  fields += "\" value=\"";
  AppendHtmlAttributeEncoded(fields, value);
  fields += "\">";
  fields += kCrLf;
}

// A hidden input of the grid's parameter `suffix`, its name encoded piece by piece.
void AppendStateInput(std::string& fields, const DbViewState& s, std::string_view suffix,
                      std::string_view value) {
  fields += "<input type=\"hidden\" name=\"Vexmo";
  AppendHtmlAttributeEncoded(fields, s.Tag);
  AppendHtmlAttributeEncoded(fields, suffix);
  fields += "\" value=\"";
  AppendHtmlAttributeEncoded(fields, value);
  fields += "\">";
  fields += kCrLf;
}

// The page's own parameters as "&key=value" pieces.
void AppendCarriedQuery(std::string& query, const DbViewState& s) {
  const Server& server = PageServer(s);
  ForEachCarriedValue(s, [&](std::string_view key, std::string_view value) {
    query += '&';
    query += UrlEncodeComponent(key);
    query += '=';
    query += server.URLEncode(value);
  });
}

// "&" and the grid's name for the parameter `suffix` (which ends in "=").
void AppendQueryName(std::string& query, const DbViewState& s, std::string_view suffix) {
  query += "&Vexmo";
  query += s.Tag;
  query += suffix;
}

void ReadPostedStatement(DbViewState& s) {
  if (!IsPresent(s, "SQL")) return;
  const std::string statement = RequestValue(s, "SQL");
  if (s.PersistentSQL && IsStatementSignatureValid(PageSigningSecret(s), statement,
                                                   RequestValue(s, "SQLSignature"))) {
    s.sql = statement;
    return;
  }
  AppendError(s, "The posted statement was ignored: it carries no valid signature",
              " in ReadRequestState<br>");
}

void ReadPostedSortOrder(DbViewState& s) {
  if (!IsPresent(s, "OrderByFields")) return;
  const std::string fields(Trim(RequestValue(s, "OrderByFields")));
  if (IsSafeSortList(fields)) {
    s.OrderByFields = fields;
    return;
  }
  AppendError(s, "The posted sort order was ignored: it is not a list of columns",
              " in ReadRequestState<br>");
}

// A whole number written plainly, else nothing.
template <class Number>
std::optional<Number> PlainNumber(std::string_view text) {
  Number number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// Whether the page offers `size`: its own page size or one of the selector's options.
bool IsOfferedPageSize(const DbViewState& s, std::int32_t size) {
  if (size == (s.RecordsPerPage < 1 ? 20 : s.RecordsPerPage)) return true;
  std::string_view options = s.RecordsPerPageOptions;
  if (IsListBlank(options)) options = kDefaultRecordsPerPageOptions;
  for (std::size_t start = 0;;) {
    const std::size_t comma = options.find(',', start);
    const std::string_view option = Trim(options.substr(start, comma - start));
    if (PlainNumber<std::int32_t>(option) == size) return true;
    if (comma == std::string_view::npos) return false;
    start = comma + 1;
  }
}

// A posted page size is taken only when the page offers it, so that a request cannot make a
// grid read and write as many rows as it likes.
void ReadPostedPageSize(DbViewState& s) {
  if (!IsPresent(s, "maxrecords")) return;
  const std::optional<std::int32_t> size =
      PlainNumber<std::int32_t>(Trim(RequestValue(s, "maxrecords")));
  if (size && *size >= 1 && *size <= std::numeric_limits<std::int16_t>::max() &&
      IsOfferedPageSize(s, *size)) {
    s.RecordsPerPage = static_cast<std::int16_t>(*size);
    return;
  }
  AppendError(s, "The posted page size was ignored: the page does not offer it",
              " in ReadRequestState<br>");
}

// What a carried count's signature covers: the grid, its statement, the count, whether it is
// an estimate, and its end, so that a count is taken only for the statement and grid it was
// made for, and an estimate only as one.
void AppendCarriedCountText(std::string& text, const DbViewState& s, std::int32_t count,
                            bool estimated, std::int64_t until) {
  host::AppendAll(text, estimated ? "estimate\n" : "count\n", s.Tag, "\n");
  AppendFilteredStatementIdentity(text, s);
  host::AppendAll(text, "\n", host::DecimalText(count), "\n", host::DecimalText(until));
}

// "count.until.signature", "~count.until.signature" for an estimate, or nothing when no count
// is carried on. Signed once for as long as what it covers stays the same.
const std::string& CarriedCountValue(const DbViewState& s) {
  static const std::string kNone;
  if (!s.CountRecords || s.CountCacheSeconds <= 0 || s.mvarCountCarriedUntil == 0 ||
      s.RecordCount < 0) {
    return kNone;
  }
  const std::string_view secret = PageSigningSecret(s);
  // Made in a buffer kept by the thread: the value is asked for several times a page, and
  // signed again only when what it covers changed.
  thread_local std::string text;
  text.clear();
  AppendCarriedCountText(text, s, s.RecordCount, s.mvarCountEstimated, s.mvarCountCarriedUntil);
  if (text != s.mvarCarriedCountSigned || secret != s.mvarCarriedCountSecret) {
    s.mvarCarriedCountValue = (s.mvarCountEstimated ? "~" : "") + std::to_string(s.RecordCount) +
                              "." + std::to_string(s.mvarCountCarriedUntil) + "." +
                              SignStatement(secret, text);
    s.mvarCarriedCountSecret = secret;
    s.mvarCarriedCountSigned = text;
  }
  return s.mvarCarriedCountValue;
}

// A save, insert or delete may change the count, so a count carried into it is dropped; one
// past its time is dropped as well. Anything not signed here for this grid and statement is
// reported once.
void ReadCarriedCount(DbViewState& s) {
  s.mvarCarriedCount = -1;
  s.mvarCarriedEstimated = false;
  s.mvarCountCarriedUntil = 0;
  if (s.CountCacheSeconds <= 0 || !IsPresent(s, "CarriedCount")) return;
  if (IsPresent(s, "FormUpdate") || IsPresent(s, "FormInsert") || IsPresent(s, "FormDelete")) return;
  // A count of the rows another search or filter showed is no count of these.
  if (s.mvarViewChanged) return;
  std::string value = RequestValue(s, "CarriedCount");
  const bool estimated = !value.empty() && value[0] == '~';
  if (estimated) value.erase(0, 1);
  const std::size_t first = value.find('.');
  const std::size_t second = first == std::string::npos ? first : value.find('.', first + 1);
  std::optional<std::int64_t> count;
  std::optional<std::int64_t> until;
  if (second != std::string::npos) {
    const std::string_view text = value;
    count = PlainNumber<std::int64_t>(text.substr(0, first));
    until = PlainNumber<std::int64_t>(text.substr(first + 1, second - first - 1));
  }
  std::string signed_text;
  if (count && until && *count >= 0 && *count <= std::numeric_limits<std::int32_t>::max()) {
    AppendCarriedCountText(signed_text, s, static_cast<std::int32_t>(*count), estimated, *until);
  }
  if (signed_text.empty() ||
      !IsStatementSignatureValid(PageSigningSecret(s), signed_text,
                                 std::string_view(value).substr(second + 1))) {
    AppendError(s, "The carried record count was ignored: it carries no valid signature",
                " in ReadRequestState<br>");
    return;
  }
  const std::int64_t now = std::time(nullptr);
  if (now >= *until || *until - now > s.CountCacheSeconds) return;
  s.mvarCarriedCount = static_cast<std::int32_t>(*count);
  s.mvarCarriedEstimated = estimated;
  s.mvarCountCarriedUntil = *until;
}

bool IsFalseWord(std::string_view text) {
  const std::string word = UCase(Trim(text));
  return word == "FALSE" || word == "0";
}

}  // namespace

void ReadRequestState(DbViewState& s) {
  s.mvarCarriedEntries.reset();
  ReadPostedPageSize(s);
  if (s.RecordsPerPage < 1) s.RecordsPerPage = 20;
  if (IsPresent(s, "CountRecords")) s.CountRecords = true;
  s.mvarCurrRecord = 1;
  if (IsPresent(s, "CurrRecord")) s.mvarCurrRecord = ToLongOrZero(RequestValue(s, "CurrRecord"));
  if (s.mvarCurrRecord < 1) s.mvarCurrRecord = 1;
  ReadPostedStatement(s);
  s.mvarFormOneRec = false;
  if (IsPresent(s, "FormDisplay")) {
    s.mvarFormDisplay = Trim(RequestValue(s, "FormDisplay"));
    s.mvarFormOneRec = UCase(s.mvarFormDisplay) == "FORMONEREC";
  }
  ReadPostedSortOrder(s);
  if (!s.mvarPageOrderByDesc) s.mvarPageOrderByDesc = s.OrderByDesc;
  if (IsPresent(s, "OrderByDesc")) s.OrderByDesc = !IsFalseWord(RequestValue(s, "OrderByDesc"));
  s.mvarCountEstimated = false;
  ReadGridFilter(s);
  if (s.mvarViewChanged) s.mvarCurrRecord = 1;
  ReadCarriedCount(s);
}

void StartCarryingCount(DbViewState& s) {
  if (s.CountCacheSeconds > 0) s.mvarCountCarriedUntil = std::time(nullptr) + s.CountCacheSeconds;
}

void ApplyNavCommand(DbViewState& s) {
  // A new search or filter shows its first page, whichever button posted it.
  if (s.mvarViewChanged) {
    s.mvarCurrRecord = 1;
    s.mvarBookmark = 1;
    return;
  }
  const std::int64_t current = s.mvarCurrRecord;
  const std::int64_t page = s.RecordsPerPage;
  const std::int64_t step = s.mvarFormOneRec ? 1 : page;
  if (IsPresent(s, "NEXT.x")) {
    s.mvarCurrRecord = Saturate(current + step);
  } else if (IsPresent(s, "PREV.x")) {
    s.mvarCurrRecord = Saturate(current - step);
  } else if (IsPresent(s, "FIRST.x")) {
    s.mvarCurrRecord = 1;
  } else if (IsPresent(s, "LAST.x")) {
    const std::int64_t count = s.RecordCount;
    if (s.mvarFormOneRec) {
      s.mvarCurrRecord = s.RecordCount;
    } else {
      std::int64_t rest = page == 0 ? 0 : count % page;
      if (rest == 0) rest = page;
      s.mvarCurrRecord = Saturate(count - rest + 1);
    }
  }
  if (s.mvarCurrRecord < 1) s.mvarCurrRecord = 1;
  s.mvarBookmark = s.mvarCurrRecord;
  if (IsPresent(s, "Bookmark")) {
    s.mvarBookmark = CLng(RequestValue(s, "Bookmark"), PageLocale(s));
    if (s.mvarFormOneRec) s.mvarCurrRecord = s.mvarBookmark;
  }
}

std::string GetStateHiddenFields(const DbViewState& s) {
  std::string fields;
  fields.reserve(1024);
  AppendStateInput(fields, s, "CurrRecord", std::to_string(s.mvarCurrRecord));
  if (s.CountRecords) AppendStateInput(fields, s, "CountRecords", "on");
  const bool multi_record_form =
      UCase(s.DisplayType).find("FORM") != std::string::npos && s.RecordsPerPage > 1;
  const bool selector_posts_size = s.DisplayRecordsPerPageSelect &&
                                   (!s.mvarFormMode || multi_record_form);
  if (!selector_posts_size) {
    AppendStateInput(fields, s, "maxrecords", std::to_string(s.RecordsPerPage));
  }
  if (s.PersistentSQL) {
    AppendStateInput(fields, s, "SQL", s.sql);
    AppendStateInput(fields, s, "SQLSignature", SignStatement(PageSigningSecret(s), s.sql));
  }
  AppendStateInput(fields, s, "FormDisplay", s.mvarFormDisplay);
  AppendStateInput(fields, s, "OrderByFields", s.OrderByFields);
  if (s.OrderByDesc) {
    AppendStateInput(fields, s, "OrderByDesc", "True");
  } else if (PageSortsDescending(s)) {
    AppendStateInput(fields, s, "OrderByDesc", "False");
  }
  if (const std::string& carried = CarriedCountValue(s); !carried.empty()) {
    AppendStateInput(fields, s, "CarriedCount", carried);
  }
  if (const std::string boundary = PageBoundaryText(s); !boundary.empty()) {
    AppendStateInput(fields, s, "PageKeys", boundary);
  }
  fields += FilterHiddenFields(s);
  ForEachCarriedValue(s, [&](std::string_view key, std::string_view value) {
    AppendHiddenInput(fields, key, value);
  });
  return fields;
}

std::string GetStateQuery(const DbViewState& s, std::int64_t record) {
  return StateQueryFor(s, record, FilterQuery(s), true);
}

std::string StateQueryFor(const DbViewState& s, std::int64_t record, std::string_view filter_query,
                          bool carry_count) {
  std::string query;
  query.reserve(256 + filter_query.size());
  query += "Vexmo";
  query += s.Tag;
  query += "CurrRecord=";
  query += std::to_string(record);
  if (s.CountRecords) AppendQueryName(query, s, "CountRecords=on");
  AppendQueryName(query, s, "maxrecords=");
  query += std::to_string(s.RecordsPerPage);
  if (s.PersistentSQL) {
    const Server& server = PageServer(s);
    AppendQueryName(query, s, "SQL=");
    query += server.URLEncode(s.sql);
    AppendQueryName(query, s, "SQLSignature=");
    query += SignStatement(PageSigningSecret(s), s.sql);
  }
  if (carry_count) {
    if (const std::string& carried = CarriedCountValue(s); !carried.empty()) {
      AppendQueryName(query, s, "CarriedCount=");
      query += carried;
    }
  }
  query += filter_query;
  AppendCarriedQuery(query, s);
  return query;
}


std::string GetPKValueList(DbViewState& s, Recordset& recordset) {
  std::string list;
  PKValueList(s, recordset).AppendTo(list);
  return list;
}

void PKValueList::AppendTo(std::string& out) {
  if (s_.EditPrimaryKeys.empty()) return;
  const std::string_view names = s_.EditPrimaryKeys;
  const std::size_t list_start = out.size();
  const bool ok = GuardedStep(s_, ", when trying to construct a Primary Key URL link<br>", [&] {
    const Server& server = PageServer(s_);
    const Locale& locale = PageLocale(s_);
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
      const std::size_t comma = names.find(',', start);
      if (i == fields_.size()) {
        fields_.push_back(&recordset_.Fields().Item(Trim(names.substr(start, comma - start))));
      }
      fields_[i]->ReadValue(value_);
      const std::string_view text = CStrView(value_, locale, text_);
      // Keys are mostly numbers or plain words, which the encoding keeps as they are.
      if (std::all_of(text.begin(), text.end(), [](char c) { return IsAsciiAlphaNumeric(c); })) {
        out += text;
      } else {
        out += server.URLEncode(text);
      }
      out += ',';
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    out.pop_back();
  });
  if (!ok) out.resize(list_start);
}

std::string GetRecordLinkUrl(DbViewState& s, std::int32_t row, Recordset& recordset) {
  std::string url = ScriptPath(s) + "?" + GetStateQuery(s, s.mvarCurrRecord);
  url += "&" + ParameterName(s, "PK=") + GetPKValueList(s, recordset);
  url += "&" + ParameterName(s, "OrderByFields=") + UrlEncodeComponent(s.OrderByFields);
  url += SortDirectionQuery(s, s.OrderByDesc);
  url += "&" + ParameterName(s, "BookMark=") +
         std::to_string(std::int64_t{s.mvarCurrRecord} + row - 1);
  return url;
}

bool PageSortsDescending(const DbViewState& s) {
  return s.mvarPageOrderByDesc.value_or(s.OrderByDesc);
}

std::string SortDirectionQuery(const DbViewState& s, bool descending) {
  if (descending) return "&" + ParameterName(s, "OrderByDesc=True");
  if (PageSortsDescending(s)) return "&" + ParameterName(s, "OrderByDesc=False");
  return {};
}

std::string ScriptPath(const DbViewState& s) {
  return UrlSafePath(PageRequest(s).ServerVariables("SCRIPT_NAME"));
}

}  // namespace kelvo::detail
