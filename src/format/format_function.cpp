#include "format/format_function.h"

#include "format/std_field_display.h"

namespace kelvo::detail {

// TODO(#6): parse and apply the column's format function; until then the standard display.
std::string GetFormatCellString(DbViewState& s, const Field& field, int) {
  return GetStdDbFieldString(s, field);
}

}  // namespace kelvo::detail
