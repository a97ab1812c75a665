#include "component/page_access.h"

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

std::string RequestValue(const DbViewState& s, std::string_view suffix) {
  return PageRequest(s).Item(ParameterName(s, suffix));
}

bool IsPresent(const DbViewState& s, std::string_view suffix) {
  return !Trim(RequestValue(s, suffix)).empty();
}

}  // namespace kelvo::detail
