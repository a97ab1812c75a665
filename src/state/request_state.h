// The postback protocol: the grid's position, page size, sort order and display request travel
// in the page (hidden inputs and link query strings) and are read back on the next request.
#ifndef KELVO_STATE_REQUEST_STATE_H_
#define KELVO_STATE_REQUEST_STATE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// Loads a page size the page offers, CountRecords, mvarCurrRecord, a signed posted statement,
// mvarFormDisplay / mvarFormOneRec and a checked sort order and direction from the request. A
// posted page size the page does not offer is ignored with an ErrorMessage entry; a CurrRecord
// that is not a number fails the call.
void ReadRequestState(DbViewState& s);
// Moves mvarCurrRecord for a posted navigation button, and applies a posted bookmark.
void ApplyNavCommand(DbViewState& s);
// A count just taken is carried in the page for CountCacheSeconds (when that is above 0).
void StartCarryingCount(DbViewState& s);

// The hidden inputs that carry the state into the next post, then the carried parameters.
std::string GetStateHiddenFields(const DbViewState& s);
// The state as a query string for first record `record`, then the carried parameters.
std::string GetStateQuery(const DbViewState& s, std::int64_t record);
// The same for a view with the search and filters of `filter_query` (as FilterQuery writes
// them); `carry_count` false leaves out the carried count, which belongs to the view shown.
std::string StateQueryFor(const DbViewState& s, std::int64_t record, std::string_view filter_query,
                          bool carry_count);
// The current record's key values, URL-encoded and comma-separated; empty without
// EditPrimaryKeys. A failure is reported in ErrorMessage and gives the empty text.
std::string GetPKValueList(DbViewState& s, Recordset& recordset);
// GetPKValueList of each record of a page, appended where the page is built: the key fields
// are found once, and their values are read into storage kept between records.
class PKValueList {
 public:
  PKValueList(DbViewState& s, Recordset& recordset) : s_(s), recordset_(recordset) {}
  // Appends the current record's list; nothing when it cannot be made (reported).
  void AppendTo(std::string& out);

 private:
  DbViewState& s_;
  Recordset& recordset_;
  std::vector<Field*> fields_;  // found so far, in EditPrimaryKeys order
  Variant value_;
  std::string text_;
};
// The URL of the record link of page row `row` (from 1).
std::string GetRecordLinkUrl(DbViewState& s, std::int32_t row, Recordset& recordset);

// Whether the page itself sorts descending (OrderByDesc before the request's).
bool PageSortsDescending(const DbViewState& s);
// What a link carries for a `descending` or an ascending sort: "&Vexmo1OrderByDesc=True"; for
// an ascending one "&Vexmo1OrderByDesc=False" when the page sorts descending, else nothing.
std::string SortDirectionQuery(const DbViewState& s, bool descending);

// The page's path, safe to write into an attribute or a script string.
std::string ScriptPath(const DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_STATE_REQUEST_STATE_H_
