// The page site a host serves: which page answers a request path. Pages written in C++ come
// first, at their exact paths; then the index at "/" and the table browser at /table/NAME;
// then the page files at /NAME.
#ifndef KELVO_SITE_PAGE_SITE_H_
#define KELVO_SITE_PAGE_SITE_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelvo/page_file.h"
#include "site/page_registry.h"

namespace kelvo {
class ScriptingContext;
}

namespace kelvo::site {

using PageRun = std::function<void(const std::shared_ptr<ScriptingContext>&)>;

// A page to run: its handler, the path its links use (percent-encoded) and its locale.
struct PageRoute {
  PageRun handler;
  std::string script_name;
  std::string locale;
  // What the page shows, for deciding who may see and write it: a page file, a table of the
  // browser, or neither (the index, pages written in C++).
  std::shared_ptr<const PageFile> page;
  std::string table;
  bool open = false;  // served without a sign-in (the sign-in page)
  bool index = false;  // the index at "/", which lists pages and tables
};

// What one visitor may see, for an index that lists only that.
struct Visibility {
  std::function<bool(const PageFile&)> page;
  std::function<bool(std::string_view table)> table;
};

struct SiteSettings {
  // The connection and locale of pages that name none; the connection is also the table
  // browser's database.
  PageDefaults defaults;
  bool table_browser = true;
  bool table_editing = false;
};

class PageSite final {
 public:
  explicit PageSite(SiteSettings settings);

  // Serves `handler` at exactly `path`; an `open` one needs no sign-in. Not thread-safe: only
  // before the site is served.
  void AddHandler(std::string path, PageRun handler, bool open = false);
  // Thread-safe.
  PageRegistry& pages() { return pages_; }

  // The page that answers `path`; false when nothing is served there. Throws PageFileError for
  // a folder page whose changed file does not load. Thread-safe.
  bool Route(const std::string& path, PageRoute& route);
  // The index listing only the pages and tables `visible` lets through.
  PageRun Index(Visibility visible);

 private:
  SiteSettings settings_;
  PageRegistry pages_;
  struct Handler {
    std::string path;
    PageRun run;
    bool open = false;
  };
  std::vector<Handler> handlers_;
};

}  // namespace kelvo::site

#endif  // KELVO_SITE_PAGE_SITE_H_
