#include <string>
#include <vector>

#include "component/error_report.h"
#include "component/page_access.h"
#include "edit/edit_data_access.h"
#include "edit/edit_names.h"
#include "edit/posted_change.h"
#include "edit/update_engine.h"
#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"
#include "state/grid_filter.h"

namespace kelvo::detail {
namespace {

// The posted PK value: from the query string of a GET (a record link), else from the form.
std::string PostedRecordKey(const DbViewState& s) {
  const Request& request = PageRequest(s);
  const RequestCollection& collection =
      request.ServerVariables("REQUEST_METHOD") == "GET" ? request.QueryString() : request.Form();
  const RequestCollection::Entry* entry = collection.Find(ParameterName(s, "PK"));
  if (!entry || entry->values.empty()) return {};
  return std::string(Trim(entry->values.front()));
}

// One value per key: the whole text for one key, else the comma-separated pieces, which must
// be as many as the keys.
std::vector<std::string_view> SplitRecordKey(std::string_view text, std::size_t key_count) {
  if (key_count == 1) return {text};
  std::vector<std::string_view> values;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    values.push_back(Trim(text.substr(start, comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (values.size() != key_count) {
    throw Error(errc::kTypeMismatch, "The posted record key gives " +
                                         std::to_string(values.size()) + " values for " +
                                         std::to_string(key_count) + " key fields");
  }
  return values;
}

// The edit form was posted for a record it showed, and that record is still there: not an
// insert, and not a delete that went through.
bool PostsShownRecord(const DbViewState& s) {
  if (s.EditPrimaryKeys.empty() || !PageRequest(s).IsPost()) return false;
  if (!Trim(PostedValue(s, ParameterName(s, "FormInsert")).value_or("")).empty()) return false;
  if (!s.mvarUpdateFailed && !PostedValue(s, ParameterName(s, "FormDelete")).value_or("").empty()) {
    return false;
  }
  return !Trim(PostedValue(s, OriginalKeyName(s, KeyList(s).front())).value_or("")).empty();
}

// The key of the record the request names, read for the fields of the statement it narrows.
std::vector<KeyTerm> RequestedKeyTerms(const DbViewState& s, const std::vector<FieldInfo>& fields) {
  const std::vector<std::string> keys = KeyList(s);
  const Locale& locale = PageLocale(s);
  std::vector<KeyTerm> terms;
  if (s.mvarSavedKey.size() == keys.size()) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      terms.push_back({keys[i], FieldTypeOf(fields, keys[i]), s.mvarSavedKey[i],
                       CStr(s.mvarSavedKey[i], locale)});
    }
    return terms;
  }
  if (PostsShownRecord(s)) return PostedKeyTerms(s, fields);
  const std::string posted = PostedRecordKey(s);
  const std::vector<std::string_view> values = SplitRecordKey(posted, keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    terms.push_back(KeyTermFromText(keys[i], FieldTypeOf(fields, keys[i]), values[i], locale));
  }
  return terms;
}

}  // namespace

bool RequestNamesRecord(const DbViewState& s) {
  if (s.EditPrimaryKeys.empty()) return false;
  return !s.mvarSavedKey.empty() || PostsShownRecord(s) || !PostedRecordKey(s).empty();
}

KeyedStatement GetSqlPK(DbViewState& s, std::string_view form_sql, bool use_recordset,
                        Recordset* recordset) {
  if (s.EditPrimaryKeys.empty()) {
    AppendError(s, "Kelvo property EditPrimaryKeys must be set!", "<br>");
    return {};
  }
  KeyedStatement statement;
  GuardedStep(s, " in GetSqlPK.<br>", [&] {
    if (use_recordset && recordset->Eof()) return;
    const ProbeResult probe = ProbeStatement(s, form_sql);
    if (!probe.has_rows) return;
    std::vector<KeyTerm> terms;
    if (use_recordset) {
      const Locale& locale = PageLocale(s);
      for (const std::string& key : KeyList(s)) {
        terms.push_back(KeyTermFromField(key, recordset->Fields().Item(key), locale));
        if (auto type = FieldTypeOf(probe.fields, key)) terms.back().type = type;
      }
    } else {
      terms = RequestedKeyTerms(s, probe.fields);
    }
    statement = KeyCondition(s, BaseStatement(form_sql), terms);
    // A record named by the request is one of the grid's rows under its search and filters,
    // so a key outside them finds no record; one read from the grid's rows is already among them.
    if (!use_recordset && !s.mvarFilterCondition.empty()) {
      const KeyedStatement filtered =
          KeyCondition(s, "SELECT 1 FROM (" + FilteredStatement(s) + ") KELVOFILTERED", terms);
      statement.text += " AND EXISTS (" + filtered.text + ")";
      statement.display += " AND EXISTS (" + filtered.display + ")";
      statement.parameters.insert(statement.parameters.end(), s.mvarFilterParameters.begin(),
                                  s.mvarFilterParameters.end());
      statement.parameters.insert(statement.parameters.end(), filtered.parameters.begin(),
                                  filtered.parameters.end());
    }
  });
  return statement;
}

KeyedStatement GetRequestedRecordSql(DbViewState& s, std::string_view statement) {
  KeyedStatement keyed;
  GuardedStep(s, " in GetSqlPK.<br>", [&] {
    // Within the grid's search and filters, so a key outside them finds no record.
    keyed = KeyCondition(s, "SELECT * FROM (" + FilteredStatement(s) + ") KELVOALIAS",
                         RequestedKeyTerms(s, StatementFields(s, statement)));
    keyed.parameters.insert(keyed.parameters.begin(), s.mvarFilterParameters.begin(),
                            s.mvarFilterParameters.end());
  });
  return keyed;
}

}  // namespace kelvo::detail
