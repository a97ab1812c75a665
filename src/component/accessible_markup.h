// Markup pieces that differ when AccessibleMarkup is on: valid HTML in place of the documented
// presentational elements, and hidden inputs kept out of a table's direct content.
#ifndef KELVO_COMPONENT_ACCESSIBLE_MARKUP_H_
#define KELVO_COMPONENT_ACCESSIBLE_MARKUP_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// `text` kept on one line: in a nobr element, or a span styled so where nobr is not valid.
inline std::string NoWrap(const DbViewState& s, std::string_view text) {
  const std::string_view open = s.AccessibleMarkup ? "<span class=\"KelvoNoWrap\">" : "<nobr>";
  const std::string_view close = s.AccessibleMarkup ? "</span>" : "</nobr>";
  std::string wrapped(open);
  wrapped += text;
  wrapped += close;
  return wrapped;
}

// Hidden inputs written between the rows of a table: as they are, or in a hidden row, since a
// table may hold no input directly.
inline std::string HiddenInputsBetweenRows(const DbViewState& s, std::string_view inputs) {
  if (!s.AccessibleMarkup || inputs.empty()) return std::string(inputs);
  std::string row = "<tr hidden><td>";
  row += inputs;
  row += "</td></tr>\r\n";
  return row;
}

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_ACCESSIBLE_MARKUP_H_
