// The record update engine: validates posted values and inserts, updates or deletes a record.
#ifndef KELVO_EDIT_UPDATE_ENGINE_H_
#define KELVO_EDIT_UPDATE_ENGINE_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Performs a posted save or delete; returns whether it succeeded. Traps its own failures.
bool UpdateRecord(DbViewState& s);
// `form_sql` restricted to one record: the posted key (`use_recordset` false) or the key
// fields of the recordset's current record. Empty when no restriction is possible.
std::string GetSqlPK(DbViewState& s, std::string_view form_sql, bool use_recordset,
                     Recordset* recordset);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_UPDATE_ENGINE_H_
