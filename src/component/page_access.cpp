#include "component/page_access.h"

#include <algorithm>

#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

ScriptingContext& Context(const DbViewState& s) {
  if (!s.mvarScriptingContext) {
    throw Error(errc::kNoPageContext, "The grid has no page context (OnStartPage was not called)");
  }
  return *s.mvarScriptingContext;
}

}  // namespace

Request& PageRequest(const DbViewState& s) { return Context(s).request(); }
Response& PageResponse(const DbViewState& s) { return Context(s).response(); }
const Server& PageServer(const DbViewState& s) { return Context(s).server(); }
const Locale& PageLocale(const DbViewState& s) { return Context(s).locale(); }
const std::string& PageSigningSecret(const DbViewState& s) { return Context(s).signing_secret(); }
const std::string& PageFormToken(const DbViewState& s) { return Context(s).form_token(); }
bool PageMayWrite(const DbViewState& s) { return Context(s).may_write(); }
WriteJournal* PageJournal(const DbViewState& s) { return Context(s).journal(); }

std::string ParameterName(const DbViewState& s, std::string_view suffix) {
  std::string name = "Vexmo";
  name += s.Tag;
  name += suffix;
  return name;
}

// The request's entry of the grid's parameter `suffix`; the name is put together on the stack,
// as a page asks for dozens of them.
const RequestCollection::Entry* FindParameter(const DbViewState& s, std::string_view suffix) {
  constexpr std::string_view kPrefix = "Vexmo";
  char buffer[96];
  if (kPrefix.size() + s.Tag.size() + suffix.size() > sizeof buffer) {
    return PageRequest(s).FindItem(ParameterName(s, suffix));
  }
  char* end = std::copy(kPrefix.begin(), kPrefix.end(), buffer);
  end = std::copy(s.Tag.begin(), s.Tag.end(), end);
  end = std::copy(suffix.begin(), suffix.end(), end);
  return PageRequest(s).FindItem(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

std::string RequestValue(const DbViewState& s, std::string_view suffix) {
  const RequestCollection::Entry* entry = FindParameter(s, suffix);
  return entry == nullptr ? std::string() : RequestCollection::ValueText(*entry);
}

bool IsPresent(const DbViewState& s, std::string_view suffix) {
  const RequestCollection::Entry* entry = FindParameter(s, suffix);
  if (entry == nullptr) return false;
  // Several values join with ", ", which no trimming empties.
  return entry->values.size() > 1 || !Trim(entry->values.front()).empty();
}

bool IsRefusedInsert(const DbViewState& s) {
  return s.mvarUpdateFailed && IsPresent(s, "FormInsert");
}

bool ShowsNewRecord(const DbViewState& s) { return IsPresent(s, "FormAdd") || IsRefusedInsert(s); }

}  // namespace kelvo::detail
