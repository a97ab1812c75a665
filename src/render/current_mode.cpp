// The state the page script can read back: the display mode and the first record shown.
#include <string>

#include "component/db_view_state.h"
#include "component/page_access.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo {

std::string DbView::CurrentMode() const {
  const detail::DbViewState& s = *s_;
  const std::string display_type = UCase(s.DisplayType);
  const bool form = display_type.find("FORM") != std::string::npos || s.mvarFormOneRec ||
                    (display_type.find("DEFAULT") != std::string::npos && s.RecordsPerPage == 1);
  if (!form) return "grid";
  const bool may_update = s.EditOptions.find("UPDATE") != std::string::npos;
  std::string mode = "formview";
  if ((detail::IsPresent(s, "FormEdit") || s.EditOptions.find("NOVIEW") != std::string::npos) &&
      may_update) {
    mode = "formedit";
  }
  if (detail::IsPresent(s, "FormAdd") && may_update) mode = "formadd";
  return mode;
}

Variant DbView::CurrentRecord(std::int16_t column) const {
  if (detail::IsPresent(*s_, "FormAdd")) return Variant("");
  const auto& values = s_->mvarCurrentRowValues;
  if (column < 1 || static_cast<std::size_t>(column) > values.size()) {
    throw Error(errc::kSubscriptOutOfRange, "Subscript out of range");
  }
  return values[static_cast<std::size_t>(column) - 1];
}

}  // namespace kelvo
