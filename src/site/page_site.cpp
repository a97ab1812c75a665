#include "site/page_site.h"

#include <string_view>
#include <utility>
#include <vector>

#include "site/html_text.h"
#include "site/table_browser.h"

namespace kelvo::site {

PageSite::PageSite(SiteSettings settings) : settings_(std::move(settings)) {}

void PageSite::AddHandler(std::string path, PageRun handler, bool open) {
  handlers_.push_back({std::move(path), std::move(handler), open});
}

bool PageSite::Route(const std::string& path, PageRoute& route) {
  for (const Handler& handler : handlers_) {
    if (handler.path == path) {
      route = {handler.run, path, settings_.defaults.locale, nullptr, {}, handler.open};
      return true;
    }
  }
  if (!settings_.table_browser && path == "/") return false;
  const BrowserSettings browser{
      settings_.table_browser ? settings_.defaults.connection : std::string(),
      settings_.defaults.locale, settings_.table_editing};
  if (path == "/") {
    route = {Index({}), "/", browser.locale, nullptr, {}, false, true};
    return true;
  }
  constexpr std::string_view kTables = "/table/";
  if (path.starts_with(kTables) && !browser.connection.empty()) {
    const std::string table = path.substr(kTables.size());
    if (table.empty() || table.find('/') != std::string::npos) return false;
    route = {[browser, table](const std::shared_ptr<ScriptingContext>& context) {
               RenderTablePage(context, table, browser);
             },
             std::string(kTables) + EncodePathSegment(table), browser.locale, nullptr, table, false};
    return true;
  }
  const std::string_view name = std::string_view(path).substr(1);
  if (!path.starts_with('/') || !PageRegistry::IsPageName(name)) return false;
  std::shared_ptr<const PageFile> page = pages_.Find(name);
  if (!page) return false;
  route = {[page, defaults = settings_.defaults](const std::shared_ptr<ScriptingContext>& context) {
             page->Render(context, defaults);
           },
           path, page->LocaleName(settings_.defaults), page, {}, false};
  return true;
}

PageRun PageSite::Index(Visibility visible) {
  const BrowserSettings browser{
      settings_.table_browser ? settings_.defaults.connection : std::string(),
      settings_.defaults.locale, settings_.table_editing};
  return [this, browser, visible = std::move(visible)](
             const std::shared_ptr<ScriptingContext>& context) {
    std::vector<PageLink> links = pages_.Links();
    // A page whose file does not load cannot say who may see it.
    if (visible.page) {
      std::erase_if(links, [&](const PageLink& link) {
        return !link.page || !visible.page(*link.page);
      });
    }
    RenderIndex(context, links, browser, visible.table);
  };
}

}  // namespace kelvo::site
