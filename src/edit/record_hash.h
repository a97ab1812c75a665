// The lost-update check. The edit form carries a keyed hash (HMAC-SHA256 under the host's
// signing secret) of the values it showed in the fields a save may change; the save computes
// it again from the record as it then stands, and a difference means that another user
// changed the record in between.
#ifndef KELVO_EDIT_RECORD_HASH_H_
#define KELVO_EDIT_RECORD_HASH_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The text the hash takes of one field of the current record: "1" or "0" for a check box,
// else the text its editor shows.
std::string ShownFieldText(const DbViewState& s, Field& field);
// The hash of the recordset's current record, as lower-case hex. Throws when a value cannot
// be read.
std::string RecordHash(const DbViewState& s, Recordset& recordset);
// True when `posted` is the hash of the current record (compared in constant time).
bool IsRecordHashCurrent(const DbViewState& s, Recordset& recordset, std::string_view posted);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_RECORD_HASH_H_
