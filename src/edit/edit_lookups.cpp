#include "edit/edit_lookups.h"

#include <memory>
#include <vector>

#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_data_access.h"
#include "edit/failure_of.h"
#include "kelvo/convert.h"
#include "kelvo/db_view.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::vector<std::string_view> SplitAtCommas(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) return parts;
    start = comma + 1;
  }
}

std::string ValueText(const Field& field, const Locale& locale) {
  const Variant value = field.Value();
  return value.IsNull() ? std::string() : CStr(value, locale);
}

bool OffersEmptyChoice(std::string_view flag, const Locale& locale) {
  const Variant text{flag};
  return IsNumeric(text, locale) && CDbl(text, locale) == 1;
}

bool OffersEmptyChoice(const std::vector<std::string_view>& parts, const Locale& locale) {
  return parts.size() > 5 && OffersEmptyChoice(parts[5], locale);
}

std::string Option(bool selected, std::string_view value, std::string_view text) {
  std::string option = selected ? "<option  selected  value=\"" : "<option  value=\"";
  option += HtmlAttributeEncode(value);
  option += "\">";
  option += HtmlAttributeEncode(text);
  option += kCrLf;
  return option;
}

}  // namespace

void AddEditLookup(DbViewState& s, std::string_view field_name, std::string_view lookup_table,
                   std::string_view link_field, std::string_view display_field,
                   std::string_view order_by, bool allow_nulls) {
  std::string definition(field_name);
  for (const std::string_view part : {lookup_table, link_field, display_field, order_by}) {
    definition += ',';
    definition += part;
  }
  definition += allow_nulls ? ",1" : ",0";
  s.marrEditLookups.push_back(std::move(definition));
}

std::string EditLookupAsString(const DbViewState& s, std::string_view field_name) {
  const std::string wanted = UCase(field_name);
  for (const std::string& definition : s.marrEditLookups) {
    const std::vector<std::string_view> parts = SplitAtCommas(definition);
    if (parts.size() >= 2 && UCase(parts[0]) == wanted) return definition;
  }
  return {};
}

bool IsRequiredLookup(const DbViewState& s, std::string_view field_name) {
  const std::string definition = EditLookupAsString(s, field_name);
  return !definition.empty() && !OffersEmptyChoice(SplitAtCommas(definition), PageLocale(s));
}

std::string GetLookupSelect(DbViewState& s, std::string_view name, std::string_view definition,
                            std::string_view value, std::string_view disabled, bool keep_value,
                            std::string_view id) {
  const std::vector<std::string_view> parts = SplitAtCommas(definition);
  std::string query;
  std::string select;
  const auto failure = FailureOf([&] {
    if (parts.size() < 4) {
      throw Error(errc::kSubscriptOutOfRange,
                  "The lookup of " + std::string(parts[0]) +
                      " needs a table, a link field and a display field");
    }
    query = "SELECT " + std::string(parts[2]) + "," + std::string(parts[3]) + " FROM " +
            std::string(parts[1]);
    if (parts.size() > 4 && !parts[4].empty()) query += " ORDER BY " + std::string(parts[4]);
    const Locale& locale = PageLocale(s);
    const bool empty_choice = OffersEmptyChoice(parts, locale);

    const std::shared_ptr<Recordset> rows = NewRecordset();
    rows->Open(query, EditConnection(s), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
    std::string options;
    bool matched = empty_choice && value.empty();
    while (!rows->Eof()) {
      const std::string link = ValueText(rows->Fields().Item(0), locale);
      const bool selected = link == value;
      matched = matched || selected;
      options += Option(selected, link, ValueText(rows->Fields().Item(1), locale));
      rows->MoveNext();
    }
    rows->Close();

    const std::string encoded_name = HtmlAttributeEncode(name);
    select = "<select " + std::string(disabled) + "id=\"" +
             (id.empty() ? encoded_name : std::string(id)) + "\" name=\"" +
             encoded_name + "\">" + std::string(kCrLf);
    const bool kept = keep_value && !matched && !value.empty();
    // Nothing chosen yet: a selected empty choice, or the browser would pick the first row.
    const bool unchosen = !matched && !kept;
    if (kept) select += Option(true, value, value);
    if (unchosen) {
      select += Option(true, "", "");
    } else if (empty_choice) {
      select += "<option value=''>" + std::string(kCrLf);
    }
    select += options + "</select>" + std::string(kCrLf);
  });
  if (!failure) return select;
  AppendError(s, failure->description(),
              s.DisplayDebug ? ". lookup sql=" + query + "<br>" : std::string("<br>"));
  return {};
}

}  // namespace kelvo::detail

namespace kelvo {

void DbView::AddEditLookup(std::string_view field_name, std::string_view lookup_table,
                           std::string_view link_field, std::string_view display_field,
                           std::string_view order_by, bool allow_nulls) {
  detail::AddEditLookup(*s_, field_name, lookup_table, link_field, display_field, order_by,
                        allow_nulls);
}

std::string DbView::EditLookupAsString(std::string_view field_name) const {
  return detail::EditLookupAsString(*s_, field_name);
}

}  // namespace kelvo
