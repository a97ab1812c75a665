// Rendering page files through the in-memory host: the document around the grids, the page's
// connection and procedures, and failures that leave the page.
#include <gtest/gtest.h>

#include <string>

#include "kelvo/data.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "kelvo/page_file.h"
#include "support/temp_dir.h"

namespace kelvo {
namespace {

class PageRenderTest : public ::testing::Test {
 protected:
  PageRenderTest() : database_("sqlite:" + dir_.File("shop.db")) {
    Connection connection;
    connection.Open(database_ + "?mode=create");
    connection.Execute(
        "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(20), kind VARCHAR(10));"
        "INSERT INTO items (name, kind) VALUES ('apple', 'fruit'), ('leek', 'vegetable'),"
        "('pear', 'fruit'), ('kale', 'vegetable'), ('plum', 'fruit')");
    connection.Close();
    defaults_.connection = database_;
  }

  // Renders `page_text` for a GET of /page with `query`.
  std::string Render(const std::string& page_text, const std::string& query = {}) {
    const auto page = PageFile::Parse(page_text, "page.toml");
    PageOptions options;
    options.locale = page->LocaleName(defaults_);
    MemoryPage memory(RequestData::Get("/page", query), options);
    memory.Run([&](ScriptingContext&) { page->Render(memory.context(), defaults_); });
    return memory.output();
  }

  static std::size_t At(const std::string& text, const std::string& piece) {
    const std::size_t at = text.find(piece);
    EXPECT_NE(at, std::string::npos) << "lacks " << piece << " in\n" << text;
    return at;
  }

  testing::TempDir dir_;
  std::string database_;
  PageDefaults defaults_;
};

TEST_F(PageRenderTest, DocumentHoldsTitleStylesheetBeforeGridsAndAfterInOrder) {
  const std::string html = Render(R"(
title = "Fruit <&> veg"
locale = "de-DE"
before = "<h1>Before</h1>"
after = "<p>After</p>"
[[grid]]
Tag = "a"
sql = "SELECT name FROM items WHERE kind = 'fruit'"
[[grid]]
Tag = "b"
sql = "SELECT name FROM items WHERE kind = 'vegetable'"
)");
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"de-DE\">", 0), 0u);
  const std::size_t title = At(html, "<title>Fruit &lt;&amp;&gt; veg</title>");
  const std::size_t style = At(html, "<link rel=\"stylesheet\" href=\"../kelvo/kelvo.css\">");
  const std::size_t before = At(html, "<h1>Before</h1>");
  const std::size_t first = At(html, "FormKelvoGrida");
  const std::size_t apple = At(html, "apple");
  const std::size_t second = At(html, "FormKelvoGridb");
  const std::size_t kale = At(html, "kale");
  const std::size_t after = At(html, "<p>After</p>");
  EXPECT_LT(title, style);
  EXPECT_LT(style, before);
  EXPECT_LT(before, first);
  EXPECT_LT(first, apple);
  EXPECT_LT(apple, second);
  EXPECT_LT(second, kale);
  EXPECT_LT(kale, after);
  EXPECT_EQ(html.find("leek"), html.rfind("leek"));
  EXPECT_NE(html.find("</html>", after), std::string::npos);
  EXPECT_EQ(html.find("KelvoErrorBox"), std::string::npos);
}

TEST_F(PageRenderTest, GridsAreAccessibleAndNamedByTheTitleUnlessTheFileSaysOtherwise) {
  const std::string html = Render(R"(
title = "Fruit <&> veg"
[[grid]]
Tag = "a"
sql = "SELECT name FROM items"
[[grid]]
Tag = "b"
sql = "SELECT name FROM items"
GridLabel = "Kinds \"all\""
[[grid]]
Tag = "c"
sql = "SELECT name FROM items"
AccessibleMarkup = false
)");
  const std::size_t a = At(html, "<form name=\"FormKelvoGrida\"");
  At(html, " aria-label=\"Fruit &lt;&amp;&gt; veg\">");
  At(html, " aria-label=\"Kinds &quot;all&quot;\">");
  // Set back, the grid keeps the documented markup: the form inside the table.
  const std::size_t c = At(html, "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">\r\n"
                                 "<form name=\"FormKelvoGridc\"");
  EXPECT_LT(a, c);
  EXPECT_EQ(html.find("aria-label", c), std::string::npos);
}

TEST_F(PageRenderTest, PagesOfOneFileKeepTheirOwnRequestState) {
  const std::string page = "[[grid]]\nsql = \"SELECT name FROM items\"\nRecordsPerPage = 2\n";
  const std::string first = Render(page);
  const std::string third = Render(page, "Vexmo1CurrRecord=5&Vexmo1CountRecords=on");
  At(first, "apple");
  EXPECT_EQ(first.find("plum"), std::string::npos);
  At(third, "plum");
  EXPECT_EQ(third.find("apple"), std::string::npos);
}

TEST_F(PageRenderTest, GridFailuresShowEscapedInAMarkedBox) {
  const std::string html =
      Render("[[grid]]\nDisplayDebug = true\nsql = \"SELECT '<b>' FROM no_such_table\"\n");
  const std::size_t start = At(html, "<div class=\"KelvoErrorBox\" role=\"alert\">");
  const std::string box = html.substr(start, html.find("</div>", start) - start);
  EXPECT_NE(box.find("no_such_table"), std::string::npos) << box;
  EXPECT_NE(box.find("in WriteHTMLTable."), std::string::npos) << box;
  EXPECT_NE(box.find("&#39;&lt;b&gt;&#39;"), std::string::npos) << box;
  EXPECT_EQ(box.find("<b>"), std::string::npos) << box;
  // The grid's "<br>" separators become the box's line breaks.
  EXPECT_NE(box.find("<br>\n"), std::string::npos) << box;
}

TEST_F(PageRenderTest, ProceduresAreDefinedOnThePageConnection) {
  const std::string html = Render(R"(
[procedures]
items_of_kind = "SELECT name FROM items WHERE kind = ? ORDER BY name"
[[grid]]
sql = "items_of_kind 'vegetable'"
)");
  const std::size_t kale = At(html, "kale");
  EXPECT_LT(kale, At(html, "leek"));
  EXPECT_EQ(html.find("apple"), std::string::npos);
  EXPECT_EQ(html.find("KelvoErrorBox"), std::string::npos);
}

TEST_F(PageRenderTest, ProceduresReachAGridsOwnConnection) {
  defaults_.connection.clear();
  const std::string html = Render(R"(
[procedures]
fruit_names = "SELECT name FROM items WHERE kind = 'fruit'"
[[grid]]
ConnectionString = ")" + database_ +
                                  R"("
sql = "fruit_names"
)");
  At(html, "pear");
}

TEST_F(PageRenderTest, ThePagesConnectionWinsOverTheHosts) {
  defaults_.connection = "sqlite:" + dir_.File("absent.db");
  const std::string html =
      Render("connection = \"" + database_ + "\"\n[[grid]]\nsql = \"SELECT name FROM items\"\n");
  At(html, "apple");
}

TEST_F(PageRenderTest, ADatabaseThatCannotBeOpenedFailsThePage) {
  defaults_.connection = "sqlite:" + dir_.File("absent.db");
  try {
    Render("[[grid]]\nsql = \"SELECT name FROM items\"\n");
    FAIL() << "rendered without its database";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.description().rfind("page.toml: connection: ", 0), 0u)
        << failure.description();
  }
}

TEST_F(PageRenderTest, ASetterFailingAtRequestTimeNamesItsLine) {
  try {
    Render("[[grid]]\nTag = \"x\"\nConnectionString = \"sqlite:" + dir_.File("none.db") + "\"\n");
    FAIL() << "rendered with a connection string that cannot open";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.description().rfind("page.toml:3: ConnectionString: ", 0), 0u)
        << failure.description();
  }
}

}  // namespace
}  // namespace kelvo
