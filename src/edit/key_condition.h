// Key conditions: a statement narrowed to one record by the fields of EditPrimaryKeys, with
// the key values bound as parameters and checked against their fields' types first.
#ifndef KELVO_EDIT_KEY_CONDITION_H_
#define KELVO_EDIT_KEY_CONDITION_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// A statement restricted to one record.
struct KeyedStatement {
  std::string text;                 // with a "?" for each key value
  std::vector<Variant> parameters;  // the key values, in key order, as their columns store them
  std::string display;              // the values written in, for DisplayDebug and error entries
  bool empty() const { return text.empty(); }
};

// One term of a key condition.
struct KeyTerm {
  std::string name;         // as EditPrimaryKeys writes it, trimmed
  std::optional<int> type;  // the key field's type code; nothing when the statement lacks it
  Variant value;            // the typed key value
  std::string text;         // the value as the display form writes it
};

// The names of EditPrimaryKeys, split at commas and trimmed.
std::vector<std::string> KeyList(const DbViewState& s);
// True when `name` is one of the key names, without regard to case.
bool IsPrimaryKeyField(const DbViewState& s, std::string_view name);

// The text of `statement` before its first " WHERE ", found without regard to case; the whole
// statement when it has none.
std::string_view BaseStatement(std::string_view statement);

// A key value given as text (posted or carried by a link), read for its key's type: numbers
// (a key of unknown type counts as one), dates and Booleans must be valid literals of the
// locale; text is taken as it is. Throws Error(errc::kTypeMismatch) naming the key when the
// value is empty or no such literal.
KeyTerm KeyTermFromText(std::string_view name, std::optional<int> type, std::string_view text,
                        const Locale& locale);
// The key value of the current record. Throws Error(errc::kInvalidUseOfNull) for a Null key.
KeyTerm KeyTermFromField(std::string_view name, const Field& field, const Locale& locale);

// `head` + " WHERE " + the condition of `terms`: "(id=?) AND (code=?)", key names in brackets
// for the "MSSQL" and "ACCESS" engines only, and otherwise quoted as the connection quotes names
// when they hold more than lower-case letters, digits and underscores. The display form writes numbers, dates and
// Booleans as given and text in quotes with each quote doubled: "(Id=7) AND (Code='O''Hara')".
KeyedStatement KeyCondition(const DbViewState& s, std::string_view head,
                            const std::vector<KeyTerm>& terms);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_KEY_CONDITION_H_
