#include "edit/key_condition.h"

#include <algorithm>

#include "component/list_utils.h"
#include "edit/edit_data_access.h"
#include "edit/field_rules.h"
#include "kelvo/convert.h"
#include "kelvo/db_connection.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

bool IsDateType(int type) {
  switch (type) {
    case ado::adDate:
    case ado::adDBDate:
    case ado::adDBTime:
    case ado::adDBTimeStamp:
    case ado::adFileTime:
    case ado::adDBFileTime:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void RefuseKey(std::string_view name, std::string_view text, std::string_view why) {
  throw Error(errc::kTypeMismatch, "The key value '" + std::string(text) + "' of " +
                                       std::string(name) + " is " + std::string(why));
}

Variant TypedKeyValue(std::string_view name, std::optional<int> type, std::string_view text,
                      const Locale& locale) {
  const int key_type = type.value_or(ado::adNumeric);
  if (!IsNumericType(key_type)) return Variant(text);
  if (key_type == ado::adBoolean) {
    try {
      return Variant(CBool(Variant(text), locale));
    } catch (const Error&) {
      RefuseKey(name, text, "not True or False");
    }
  }
  if (IsDateType(key_type)) {
    if (!IsDate(Variant(text), locale)) RefuseKey(name, text, "not a valid date");
    return Variant(CDate(Variant(text), locale));
  }
  std::optional<Decimal> number = ParseDecimal(text, locale);
  if (!number) RefuseKey(name, text, "not a number");
  if (IsWholeNumberType(key_type) && number->text.find('.') != std::string::npos) {
    RefuseKey(name, text, "not a whole number");
  }
  return Variant(std::move(*number));
}

std::string QuotedText(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

// The value as the key's column stores it, so that it compares equal to stored values of
// every type (a date-and-time column stores the time too).
Variant StoredKeyValue(const DbViewState& s, const KeyTerm& term) {
  if (!term.type) return term.value;
  return EditConnection(s)->StoredValue(term.value, *term.type);
}

// A key name as the condition writes it: in brackets for the engines that take them, plain when
// a database reads it the same unquoted, else quoted as the connection quotes names (a database
// may fold capitals, and blanks or signs would end the name).
std::string ConditionName(const DbViewState& s, const std::string& name, bool bracketed) {
  if (bracketed) return "[" + name + "]";
  const bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9') &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
                     });
  if (plain || !s.VexmoConnection) return name;
  return s.VexmoConnection->Connection()->QuoteIdentifier(name);
}

}  // namespace

std::vector<std::string> KeyList(const DbViewState& s) {
  std::vector<std::string> keys;
  const std::string_view list = s.EditPrimaryKeys;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    keys.emplace_back(Trim(list.substr(start, comma - start)));
    if (comma == std::string_view::npos) return keys;
    start = comma + 1;
  }
}

bool IsPrimaryKeyField(const DbViewState& s, std::string_view name) {
  if (s.EditPrimaryKeys.empty()) return false;
  const std::string wanted = UCase(name);
  for (const std::string& key : KeyList(s)) {
    if (UCase(key) == wanted) return true;
  }
  return false;
}

std::string_view BaseStatement(std::string_view statement) {
  const std::size_t where = UCase(statement).find(" WHERE ");
  return where == std::string::npos ? statement : statement.substr(0, where);
}

KeyTerm KeyTermFromText(std::string_view name, std::optional<int> type, std::string_view text,
                        const Locale& locale) {
  if (Trim(text).empty()) RefuseKey(name, text, "empty");
  return {std::string(name), type, TypedKeyValue(name, type, text, locale), std::string(text)};
}

KeyTerm KeyTermFromField(std::string_view name, const Field& field, const Locale& locale) {
  Variant value = field.Value();
  if (value.IsNull() || value.IsEmpty()) {
    throw Error(errc::kInvalidUseOfNull,
                "The key field " + std::string(name) + " of the record has no value");
  }
  std::string text = CStr(value, locale);
  return {std::string(name), field.Type(), std::move(value), std::move(text)};
}

KeyedStatement KeyCondition(const DbViewState& s, std::string_view head,
                            const std::vector<KeyTerm>& terms) {
  std::string engine;
  if (s.VexmoConnection) engine = s.VexmoConnection->DatabaseEngine();
  const bool bracketed = engine == "MSSQL" || engine == "ACCESS";
  KeyedStatement statement;
  std::string condition;
  std::string display;
  for (const KeyTerm& term : terms) {
    const std::string name = ConditionName(s, term.name, bracketed);
    if (!condition.empty()) {
      condition += " AND ";
      display += " AND ";
    }
    condition += "(" + name + "=?)";
    const bool unquoted = IsNumericType(term.type.value_or(ado::adNumeric));
    display += "(" + name + "=" + (unquoted ? term.text : QuotedText(term.text)) + ")";
    statement.parameters.push_back(StoredKeyValue(s, term));
  }
  statement.text = std::string(head) + " WHERE " + condition;
  statement.display = std::string(head) + " WHERE " + display;
  return statement;
}

}  // namespace kelvo::detail
