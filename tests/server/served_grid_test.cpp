// Grids as the server serves them, over HTTP: page files and the table browser start from the
// served defaults, and what a request may ask of a grid is checked.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelvo/data.h"
#include "kelvo/http_server.h"
#include "kelvo/page_file.h"
#include "server/running_server.h"
#include "support/grid_page.h"
#include "support/temp_dir.h"

namespace kelvo {
namespace {

constexpr char kMarkup[] = "<img src=x onerror=alert(1)>";
constexpr char kMarkupAsText[] = "&lt;img src=x onerror=alert(1)&gt;";

class ServedGridTest : public ::testing::Test {
 protected:
  ServedGridTest() : database_("sqlite:" + dir_.File("notes.db")) {
    Connection connection;
    connection.Open(database_ + "?mode=create");
    connection.Execute("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)");
    connection.Execute("INSERT INTO notes (body) VALUES (?)",
                       std::vector<Variant>{Variant(kMarkup)});
    connection.Close();
  }

  // Serves each page file text at /NAME, and the table browser, over the notes database.
  void Serve(const std::map<std::string, std::string>& pages) {
    ServerOptions options;
    options.threads = 2;
    options.defaults.connection = database_;
    server_.emplace(options, [&](HttpServer& server) {
      for (const auto& [name, text] : pages) server.AddPage(name, PageFile::Parse(text, name));
    });
  }

  void Execute(const std::string& statement) {
    Connection connection;
    connection.Open(database_);
    connection.Execute(statement);
    connection.Close();
  }

  httplib::Result Get(const std::string& target) {
    httplib::Result result = server_->Client().Get(target);
    EXPECT_TRUE(result && result->status == 200) << target;
    return result;
  }

  testing::TempDir dir_;
  std::string database_;
  std::optional<testing::RunningServer> server_;
};

TEST_F(ServedGridTest, StoredMarkupShowsAsTextUnlessTheGridAsksForItRaw) {
  const std::string page =
      "[[grid]]\n"
      "sql = \"SELECT id, body, body AS \\\"<u>copy</u>\\\", CAST(NULL AS INTEGER) AS none "
      "FROM notes\"\n"
      "GridFreeFormatCellByCol = { 3 = \"<b>#body#</b>\" }\n";
  Serve({{"notes", page}, {"raw", page + "HtmlEncodeValues = false\n"}});

  // Grid, template, record view and export of a page file, and the table browser.
  for (const char* target :
       {"/notes", "/notes?Vexmo1FormDisplay=formOneRec", "/notes?Vexmo1ToExcel.x=1",
        "/table/notes", "/table/notes?Vexmo1FormDisplay=formOneRec",
        "/table/notes?Vexmo1ToExcel.x=1"}) {
    const auto result = Get(target);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body.find("<img src=x"), std::string::npos) << target << result->body;
    EXPECT_NE(result->body.find(kMarkupAsText), std::string::npos) << target << result->body;
    EXPECT_EQ(result->body.find("&amp;nbsp;"), std::string::npos) << target;  // an empty cell
  }
  const std::string grid = Get("/notes")->body;
  EXPECT_NE(grid.find(std::string("<b>") + kMarkupAsText + "</b>"), std::string::npos) << grid;
  EXPECT_NE(grid.find("TH\">&lt;u&gt;copy&lt;/u&gt;</th>"), std::string::npos) << grid;
  EXPECT_NE(Get("/notes?Vexmo1ToExcel.x=1")->body.find(" >&lt;u&gt;copy&lt;/u&gt;</th>"),
            std::string::npos);

  const std::string raw = Get("/raw")->body;
  EXPECT_NE(raw.find(std::string("<b>") + kMarkup + "</b>"), std::string::npos) << raw;
  EXPECT_NE(raw.find("TH\"><u>copy</u></th>"), std::string::npos) << raw;
}

TEST_F(ServedGridTest, APostedPageSizeIsHonouredOnlyWhenThePageOffersIt) {
  Execute("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 60) "
          "INSERT INTO notes (body) SELECT 'note ' || i FROM n");
  Serve({{"notes",
          "[[grid]]\nsql = \"SELECT id FROM notes\"\nRecordsPerPage = 7\n"
          "RecordsPerPageOptions = \"10,25\"\n"}});
  const std::string refused = "The posted page size was ignored: the page does not offer it";
  for (const auto& [size, shown] : {std::pair{"7", "(1..7)"}, std::pair{"25", "(1..25)"},
                                    std::pair{"10", "(1..10)"}}) {
    const std::string body = Get(std::string("/notes?Vexmo1maxrecords=") + size)->body;
    EXPECT_NE(body.find(std::string("Record ") + shown + " of 60"), std::string::npos) << size;
    EXPECT_EQ(body.find(refused), std::string::npos) << size;
  }
  for (const char* size : {"32767", "20", "0", "-5", "abc", "99999999999"}) {
    const std::string body = Get(std::string("/notes?Vexmo1maxrecords=") + size)->body;
    EXPECT_NE(body.find("Record (1..7) of 60"), std::string::npos) << size << body;
    const std::size_t entry = body.find(refused);
    EXPECT_NE(entry, std::string::npos) << size;
    EXPECT_EQ(body.find(refused, entry + 1), std::string::npos) << size;
  }
}

// The text of the first data cell of the first row.
std::string FirstCell(const std::string& page) {
  const std::string cell = testing::Between(page, "id=\"klv1cell_1_1\"", "</td>");
  return cell.substr(cell.rfind('>') + 1);
}

// The target of the first header sort link.
std::string SortLink(const std::string& page) {
  return testing::Between(page, "<a class=\"KLVOTableTH\" href=\"", "\"");
}

TEST_F(ServedGridTest, TheSortLinkTogglesAPageThatSortsDescending) {
  Execute("INSERT INTO notes (body) VALUES ('second'), ('third')");
  Serve({{"notes",
          "[[grid]]\nsql = \"SELECT id, body FROM notes\"\nOrderByFields = \"1\"\n"
          "OrderByDesc = true\n"}});
  const std::string descending = Get("/notes")->body;
  EXPECT_EQ(FirstCell(descending), "3");
  EXPECT_NE(descending.find("orderdesc.gif"), std::string::npos);

  const std::string ascending = Get(SortLink(descending))->body;
  EXPECT_EQ(FirstCell(ascending), "1") << SortLink(descending);
  EXPECT_NE(ascending.find("orderasc.gif"), std::string::npos);
  // The form's own posts (paging, page size) keep the order the user chose.
  EXPECT_NE(ascending.find("name=\"Vexmo1OrderByDesc\" value=\"False\""), std::string::npos);

  EXPECT_EQ(FirstCell(Get(SortLink(ascending))->body), "3") << SortLink(ascending);
}

TEST_F(ServedGridTest, TheSpreadsheetDownloadDeclaresUtf8) {
  const std::string text = "Blåbær café €5";
  Execute("UPDATE notes SET body = '" + text + "'");
  const std::string page = "[[grid]]\nsql = \"SELECT body FROM notes\"\n";
  Serve({{"notes", page}, {"plain", page + "ExcelDeclareUtf8 = false\n"}});
  for (const char* target : {"/notes?Vexmo1ToExcel.x=1", "/table/notes?Vexmo1ToExcel.x=1"}) {
    const auto download = Get(target);
    ASSERT_TRUE(download);
    EXPECT_EQ(download->get_header_value("Content-Type"), "application/vnd.ms-excel; charset=utf-8")
        << target;
    EXPECT_EQ(download->body.rfind("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                   "charset=utf-8\">\r\n<table border=1>\r\n",
                                   0),
              0u)
        << target << download->body;
    EXPECT_NE(download->body.find(">" + text + "</td>"), std::string::npos) << download->body;
  }
  // The library's download, as a grid may ask for it.
  const auto plain = Get("/plain?Vexmo1ToExcel.x=1");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->get_header_value("Content-Type"), "application/vnd.ms-excel");
  EXPECT_EQ(plain->body.rfind("<table border=1>\r\n", 0), 0u) << plain->body;
}

}  // namespace
}  // namespace kelvo
