#include <string>

#include "component/db_view_state.h"
#include "kelvo/components.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo {

void DbView::OnStartPage(const Variant& context) {
  try {
    auto page = context.ObjectAs<ScriptingContext>();
    if (!page) throw Error(errc::kObjectRequired, "Object required");
    s_->mvarScriptingContext = std::move(page);
  } catch (const Error& failure) {
    s_->ErrorMessage += std::to_string(failure.number()) + ":" + failure.description() +
                        " in OnStartPage<br>";
  }
}

void DbView::OnEndPage() {
  if (s_->mvarOwnsConnection) s_->VexmoConnection.reset();
  s_->mvarScriptingContext.reset();
  CompleteTransaction();
}

}  // namespace kelvo
