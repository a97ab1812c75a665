#include "edit/edit_form.h"

namespace kelvo::detail {

// TODO(#7): the edit and add form.
void RenderEditForm(DbViewState&, Recordset&, std::int32_t& rows_shown) { rows_shown = 0; }

}  // namespace kelvo::detail
