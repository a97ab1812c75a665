#include "component/error_report.h"

#include "component/page_access.h"

namespace kelvo::detail {

void AppendError(DbViewState& s, std::string_view description, std::string_view text_after) {
  s.ErrorMessage.append(description);
  s.ErrorMessage.append(text_after);
}

void GuardedWriter::Put(const std::string& html) {
  Guarded([&] { Write(s_, html); });
}

}  // namespace kelvo::detail
