// The rows above a grid that find rows: the search box and column filters (a form that works
// without script), the links that clear them and that keep the view, and the counted facets.
#ifndef KELVO_GRID_FILTER_ROW_H_
#define KELVO_GRID_FILTER_ROW_H_

#include <cstdint>
#include <string>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// One value of a facet column with the rows it has under the search and filters, and the
// filter (operator and value text) a link to it adds.
struct FacetValue {
  std::string shown;  // HTML
  std::string op;
  std::string value;
  long long count = 0;
};
struct Facet {
  std::int32_t column = 0;
  std::string name;     // the field's
  std::string caption;  // HTML
  std::vector<FacetValue> values;
};

// The ten most frequent values of each FacetFields column of the rows the grid pages through,
// all of them counted within `budget_ms` (0: no limit); a facet the budget does not reach is
// left out and told in mvarFilterStatus. Nothing when counting is off or ran past
// CountTimeoutMs (facets cost at least a count), or for a procedure or supplied recordset; a
// failure is reported in ErrorMessage.
std::vector<Facet> ReadFacets(DbViewState& s, int budget_ms);

// The search and filter row (when OffersFilterRow), then the facets; `recordset` is the
// grid's, open, for its columns.
void WriteFilterRows(DbViewState& s, Recordset& recordset, const std::vector<Facet>& facets);
// The row that says no row matches the search and filters.
void WriteNoRowsMatchRow(DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_GRID_FILTER_ROW_H_
