// The record update engine: writes a posted save, insert or delete back to the database, and
// narrows the form statement to the record a form shows.
#ifndef KELVO_EDIT_UPDATE_ENGINE_H_
#define KELVO_EDIT_UPDATE_ENGINE_H_

#include <string_view>

#include "component/db_view_state.h"
#include "edit/key_condition.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Performs the save or delete posted by the edit form; returns whether it succeeded (true
// also when there was nothing to do). Acts only on a POST, reading the buttons, keys and
// values from the posted form collection, and only as EditOptions allows ("UPDATE"; "ADD" for
// an insert, "DELETE" for a delete). Writes only the fields the form has editors for and that
// changed; runs each change in one transaction on the grid's connection (which must not be
// inside a transaction of the page), refusing keys that match more than one record and saves
// of a record that another user changed after the form showed it. Tells the user through
// mvarStatusText; traps its own failures into ErrorMessage.
bool UpdateRecord(DbViewState& s);

// Whether the request names by key the record a form shows: a save of this request wrote it,
// the posted edit form showed it (and it was not deleted), or the PK parameter carries its key.
bool RequestNamesRecord(const DbViewState& s);

// `form_sql` narrowed to one record: by the record the request names (`use_recordset` false;
// a PK parameter holds one comma-separated value per key), which must also be one of the
// grid's rows under its search and filters, or by the key fields of the recordset's current
// record. The key values are checked against their fields' types and bound.
// Empty when no restriction is possible (no key set, no current record, an empty result, a
// refused key value); failures are reported in ErrorMessage.
KeyedStatement GetSqlPK(DbViewState& s, std::string_view form_sql, bool use_recordset,
                        Recordset* recordset);
// The grid's `statement`, wrapped as a derived table so that its conditions still hold,
// narrowed to the record the request names, its key values bound. Empty, with an ErrorMessage
// entry, when the key is refused (a value unlike its field's type, too few or too many values).
KeyedStatement GetRequestedRecordSql(DbViewState& s, std::string_view statement);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_UPDATE_ENGINE_H_
