// Markup pieces that differ when AccessibleMarkup is on: valid HTML in place of the documented
// presentational elements, and hidden inputs kept out of a table's direct content.
#ifndef KELVO_COMPONENT_ACCESSIBLE_MARKUP_H_
#define KELVO_COMPONENT_ACCESSIBLE_MARKUP_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// The element that keeps text on one line: nobr, or a span styled so where nobr is not valid.
inline std::string_view NoWrapOpen(const DbViewState& s) {
  return s.AccessibleMarkup ? "<span class=\"KelvoNoWrap\">" : "<nobr>";
}
inline std::string_view NoWrapClose(const DbViewState& s) {
  return s.AccessibleMarkup ? "</span>" : "</nobr>";
}

// `text` kept on one line.
inline std::string NoWrap(const DbViewState& s, std::string_view text) {
  std::string wrapped(NoWrapOpen(s));
  wrapped += text;
  wrapped += NoWrapClose(s);
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
