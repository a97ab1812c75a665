// The grid's way to the page: the request, the response and the server of the context kept
// at OnStartPage, and the grid's own request parameters ("Vexmo" + Tag + suffix).
#ifndef KELVO_COMPONENT_PAGE_ACCESS_H_
#define KELVO_COMPONENT_PAGE_ACCESS_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"
#include "kelvo/host.h"

namespace kelvo::detail {

// Each throws Error(errc::kNoPageContext) when the grid has no page context.
Request& PageRequest(const DbViewState& s);
Response& PageResponse(const DbViewState& s);
const Server& PageServer(const DbViewState& s);
const Locale& PageLocale(const DbViewState& s);
const std::string& PageSigningSecret(const DbViewState& s);
// The signed-in user's form token (empty without a sign-in) and whether the user may write.
const std::string& PageFormToken(const DbViewState& s);
bool PageMayWrite(const DbViewState& s);
// Where the page's writes are recorded; null when nowhere.
WriteJournal* PageJournal(const DbViewState& s);

// Writes one piece of HTML to the page.
inline void Write(const DbViewState& s, std::string_view html) { PageResponse(s).Write(html); }

// "Vexmo" + Tag + suffix.
std::string ParameterName(const DbViewState& s, std::string_view suffix);
// The request value of the grid's parameter, by the combined lookup.
std::string RequestValue(const DbViewState& s, std::string_view suffix);
// The parameter's value, trimmed of blanks, is not empty.
bool IsPresent(const DbViewState& s, std::string_view suffix);
// A new record the database refused, shown again to be mended: still a new record, with no
// place among the saved ones.
bool IsRefusedInsert(const DbViewState& s);
// The add form, or a refused new record shown again: a record not saved yet.
bool ShowsNewRecord(const DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_PAGE_ACCESS_H_
