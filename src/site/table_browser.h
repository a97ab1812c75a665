// The server's own pages: the index at "/" (page files and tables) and, for each table of the
// server's database, a grid of the whole table at /table/NAME.
#ifndef KELVO_SITE_TABLE_BROWSER_H_
#define KELVO_SITE_TABLE_BROWSER_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {
class PageFile;
class ScriptingContext;
}

namespace kelvo::site {

struct BrowserSettings {
  std::string connection;  // empty: no database, so no tables
  std::string locale = "en-US";
  bool editing = false;  // tables with a primary key get edit, add and delete
};

struct PageLink {
  std::string name;  // served at /NAME
  std::string title;
  std::shared_ptr<const PageFile> page;  // null while its file does not load
};

// Lists `pages`, and the tables for which `may_see_table` holds (all when it is empty).
void RenderIndex(const std::shared_ptr<ScriptingContext>& context,
                 const std::vector<PageLink>& pages, const BrowserSettings& browser,
                 const std::function<bool(std::string_view)>& may_see_table = {});

// A table that is not in the database answers 404.
void RenderTablePage(const std::shared_ptr<ScriptingContext>& context, std::string_view table,
                     BrowserSettings browser);

}  // namespace kelvo::site

#endif  // KELVO_SITE_TABLE_BROWSER_H_
