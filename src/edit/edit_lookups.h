// Lookup lists of the edit form: a field whose stored value links to another table is edited
// through a select list of that table's rows.
#ifndef KELVO_EDIT_EDIT_LOOKUPS_H_
#define KELVO_EDIT_EDIT_LOOKUPS_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// Appends "FieldName,LookupTable,LinkField,DisplayField,OrderBy,1|0" to marrEditLookups.
void AddEditLookup(DbViewState& s, std::string_view field_name, std::string_view lookup_table,
                   std::string_view link_field, std::string_view display_field,
                   std::string_view order_by, bool allow_nulls);
// The first definition for the field (without regard to case), or "". Never reports.
std::string EditLookupAsString(const DbViewState& s, std::string_view field_name);

// The field has a lookup that offers no empty choice: an empty value is a missing one.
bool IsRequiredLookup(const DbViewState& s, std::string_view field_name);

// The select element `name` for a definition: one option per row of the lookup table, the one
// whose link value equals `value` exactly selected; `disabled` goes into the start tag. With
// `keep_value`, a value the table lacks is offered as a selected first option, so that an
// untouched form posts the stored value back. When no option is selected, a selected empty
// choice comes first, so that nothing is chosen for the user. Values and texts are
// HTML-encoded. The element's id is `id` (already encoded) when given, else `name`. A failure
// is reported in ErrorMessage and gives "".
std::string GetLookupSelect(DbViewState& s, std::string_view name, std::string_view definition,
                            std::string_view value, std::string_view disabled, bool keep_value,
                            std::string_view id = {});

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_LOOKUPS_H_
