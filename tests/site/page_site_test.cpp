#include "site/page_site.h"

#include <gtest/gtest.h>

#include "kelvo/page_file.h"

namespace kelvo::site {
namespace {

// Which path reaches which page, and what nothing reaches: tables only with the browser on
// and a database, page files only under a page name.
TEST(PageSiteTest, PathsReachHandlersTheBrowserAndPageFilesInThatOrder) {
  SiteSettings settings;
  settings.defaults.connection = "sqlite:shop.db";
  settings.defaults.locale = "de-DE";
  PageSite site(settings);
  site.AddHandler("/report", [](const std::shared_ptr<ScriptingContext>&) {});
  site.pages().Add("report", PageFile::Parse("locale = \"en-GB\"\n", "report.toml"));
  site.pages().Add("prices", PageFile::Parse("locale = \"nb-NO\"\n", "prices.toml"));

  PageRoute route;
  ASSERT_TRUE(site.Route("/report", route));
  EXPECT_EQ(route.script_name, "/report");
  EXPECT_EQ(route.locale, "de-DE");  // the handler's, not the page file's
  ASSERT_TRUE(site.Route("/prices", route));
  EXPECT_EQ(route.locale, "nb-NO");
  ASSERT_TRUE(site.Route("/", route));
  EXPECT_EQ(route.locale, "de-DE");
  ASSERT_TRUE(site.Route("/table/we\"ird <t>", route));
  EXPECT_EQ(route.script_name, "/table/we%22ird%20%3Ct%3E");
  for (const char* path : {"/table/", "/table/a/b", "/missing", "/pri ces", "report", "/gfx/x"}) {
    EXPECT_FALSE(site.Route(path, route)) << path;
  }

  settings.table_browser = false;
  PageSite closed(settings);
  EXPECT_FALSE(closed.Route("/", route));
  EXPECT_FALSE(closed.Route("/table/items", route));
}

}  // namespace
}  // namespace kelvo::site
