#include "component/error_report.h"

#include "component/page_access.h"

namespace kelvo::detail {

void AppendError(DbViewState& s, std::string_view description, std::string_view text_after) {
  s.ErrorMessage.append(description);
  s.ErrorMessage.append(text_after);
}

void GuardedWriter::WriteJoined() { Write(s_, joined_); }

}  // namespace kelvo::detail
