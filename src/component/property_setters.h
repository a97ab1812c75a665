// The property setters of DbView that do more than store the value. They have no failure
// trap: a failure leaves the assignment, with whatever was stored before the failing step.
#ifndef KELVO_COMPONENT_PROPERTY_SETTERS_H_
#define KELVO_COMPONENT_PROPERTY_SETTERS_H_

#include <cstdint>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// Stores the statement (and fills empty FormSQL and EditSQL with it). A statement that does
// not start with SELECT and white space, and is longer than 7 characters, names a stored
// procedure: a command on VexmoConnection's connection is made for it.
void SetSql(DbViewState& s, std::string_view text);
void SetFormSql(DbViewState& s, std::string_view text);
void SetEditSql(DbViewState& s, std::string_view text);
// Trimmed and upper-cased; "ALL" adds " ADD UPDATE DELETE".
void SetEditOptions(DbViewState& s, std::string_view options);
void SetTableTag(DbViewState& s, std::string_view tag);
void SetGridTableTag(DbViewState& s, std::string_view tag);
// Takes the first width a table tag carries into Width, unless Width is already set.
void ParseWidthFromTag(DbViewState& s, std::string_view tag);
void SetWidth(DbViewState& s, std::string_view width);
void SetGridDisplayFieldNames(DbViewState& s, std::string_view names);
void SetDisplayNavBar(DbViewState& s, std::string_view placement);
// Takes "True"/"False" (or a number); other text throws Error(errc::kTypeMismatch).
void SetDisplayNavBarFirstLastBtn(DbViewState& s, std::string_view flag);
// Ignored at or above RecordsMaxLimit; throws Error(errc::kOverflow) outside 16 bits.
void SetRecordsPerPage(DbViewState& s, std::int32_t records);
// Stores the list and, when it is set, makes the duplicate slots anew: one per item and one
// more.
void SetGridFieldsSupressDup(DbViewState& s, std::string_view list);

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_PROPERTY_SETTERS_H_
