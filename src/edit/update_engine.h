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

// `form_sql` narrowed to one record: by the posted PK parameter (`use_recordset` false; with
// several keys it holds one comma-separated value per key) or by the key fields of the
// recordset's current record. The key values are checked against their fields' types and bound.
// Empty when no restriction is possible (no key set, no current record, an empty result, a
// refused key value); failures are reported in ErrorMessage.
KeyedStatement GetSqlPK(DbViewState& s, std::string_view form_sql, bool use_recordset,
                        Recordset* recordset);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_UPDATE_ENGINE_H_
