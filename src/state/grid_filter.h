// Search and column filters: what the request asks for, checked against the columns of the
// grid's statement and made into one condition on the wrapped statement, every value bound.
// They travel in the page like the sort order.
#ifndef KELVO_STATE_GRID_FILTER_H_
#define KELVO_STATE_GRID_FILTER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Longest search text applied.
inline constexpr std::size_t kMaxSearchLength = 1000;

// Filter operators as the request names them.
inline constexpr char kOpContains[] = "contains";
inline constexpr char kOpEquals[] = "equals";
inline constexpr char kOpFrom[] = "from";
inline constexpr char kOpTo[] = "to";
inline constexpr char kOpEmpty[] = "empty";

// Reads the search text and the filters the request carries and makes their condition
// (mvarFilterCondition, mvarFilterParameters). Input that cannot be applied is left out and
// told in mvarFilterStatus; columns the grid does not offer get one ErrorMessage entry, as
// does a search or filter on a procedure or a supplied recordset. The statement's columns are
// read only when the request carries a search or filter. Sets mvarViewChanged when the
// request was posted from a page that showed another view.
void ReadGridFilter(DbViewState& s);

// The statement the grid pages through: sql, or, under a search or filter,
// "SELECT * FROM (sql) KELVOFILTER WHERE condition" with mvarFilterParameters for its
// placeholders.
std::string FilteredStatement(const DbViewState& s);
// What a signature carried with the grid's rows covers in place of the statement: sql alone
// when nothing filters, else sql with the condition and the values it was made from, so that a
// count or page boundary is used only for the rows it was taken from.
std::string FilteredStatementIdentity(const DbViewState& s);
void AppendFilteredStatementIdentity(std::string& out, const DbViewState& s);

// The columns and types of the grid's statement, read from one record once per render.
using ResultColumn = DbViewState::ResultColumn;
const std::vector<ResultColumn>& StatementColumns(DbViewState& s);
// Date and time-stamp types: those a from/to filter reads as dates.
bool IsDateType(int type);
// The operators a column of `type` offers, in the order a list shows them.
std::vector<std::string> OperatorsFor(int type);

// Whether a comma list names the column called `name`, number `number` (items trimmed, names
// without regard to case).
bool NamesColumn(std::string_view list, std::string_view name, std::int32_t number);
// Whether the grid shows the search and filter row: SearchFields or FilterFields set, a
// statement of its own.
bool OffersFilterRow(const DbViewState& s);
// "&Vexmo1Search=...&Vexmo1Filter<n>=...&Vexmo1Filter<n>Op=..." for the search and filters
// applied; with `column` above 0, that column's filter is replaced by `op` and `value` (or
// dropped when `op` is empty).
std::string FilterQuery(const DbViewState& s, std::int32_t column = 0, const std::string& op = {},
                        const std::string& value = {});
// Hidden inputs for the applied search and filters the filter row does not post itself, and
// the stamp of the view shown.
std::string FilterHiddenFields(const DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_STATE_GRID_FILTER_H_
