// New key values for added records, made by a statement of the page (EditNewPKStatement).
#ifndef KELVO_EDIT_NEW_PK_VALUE_H_
#define KELVO_EDIT_NEW_PK_VALUE_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// The first column of the first row of `statement`, as text. A failure (also no row or a Null
// value) is reported in ErrorMessage and gives "".
std::string GetNewPKValue(DbViewState& s, std::string_view statement);

// The statement that makes the new value of the key at `position` (from 0) of `key_count`
// keys: with one key the whole EditNewPKStatement (which may hold commas), else its item at
// that position. Throws Error(errc::kSubscriptOutOfRange) when the list is too short.
std::string NewPKStatementItem(const DbViewState& s, std::size_t position, std::size_t key_count);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_NEW_PK_VALUE_H_
