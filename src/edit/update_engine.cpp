#include "edit/update_engine.h"

namespace kelvo::detail {

// TODO(#7): validate and write posted saves and deletes.
bool UpdateRecord(DbViewState&) { return true; }

// TODO(#7): restrict the form statement to one record by its key.
std::string GetSqlPK(DbViewState&, std::string_view, bool, Recordset*) { return {}; }

}  // namespace kelvo::detail
