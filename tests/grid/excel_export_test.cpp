#include <gtest/gtest.h>

#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

class ExcelExportTest : public GridPageTest {
 protected:
  RenderedPage Export(const std::function<void(DbView&)>& configure = nullptr,
                      const std::string& query = "Vexmo1ToExcel.x=3") {
    return Get(query, configure);
  }
};

std::string Header(const RenderedPage& page, const std::string& name) {
  for (const auto& [key, value] : page.headers) {
    if (key == name) return value;
  }
  return {};
}

TEST_F(ExcelExportTest, SendsTheWholeResultAsAnAttachment) {
  MakeTable(45);
  const RenderedPage page = Export();
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(Header(page, "Content-Type"), "application/vnd.ms-excel");
  EXPECT_EQ(Header(page, "content-disposition"), "attachment; filename=KelvoExcelExport.xls");
  EXPECT_EQ(
      page.output.rfind("<table border=1>\r\n<tr>\r\n<th  >id</th>\r\n<th  >name</th>\r\n", 0), 0u)
      << page.output.substr(0, 200);
  EXPECT_NE(page.output.find("<tr>\r\n<td    align=\"right\" >45</td>\r\n<td    >item 45</td>\r\n"),
            std::string::npos);
  EXPECT_TRUE(page.output.ends_with("</tr>\r\n</table>"));
  EXPECT_EQ(page.output.find("<form"), std::string::npos);
}

// The grid may shorten long text; the download is the data and never does.
TEST_F(ExcelExportTest, LongTextGoesOutWholeWhateverTheGridShows) {
  MakeTable(2);
  const auto shortened = [](DbView& v) { v.SetMemoFieldLimit(3); };
  EXPECT_NE(Get("", shortened).output.find(">ite...</td>"), std::string::npos);
  const RenderedPage page = Export(shortened);
  EXPECT_NE(page.output.find("<td    >item 2</td>"), std::string::npos) << page.output;
  EXPECT_EQ(page.output.find("..."), std::string::npos);
}

TEST_F(ExcelExportTest, SortClauseIsAppendedAsPosted) {
  MakeTable(3);
  const RenderedPage page =
      Export(nullptr, "Vexmo1ToExcel.x=1&Vexmo1OrderByFields=1&Vexmo1OrderByDesc=1");
  EXPECT_LT(page.output.find(">3</td>"), page.output.find(">1</td>"));
  const RenderedPage twice = Export([](DbView& v) {
    v.SetSql("SELECT * FROM T ORDER BY id");
    v.SetOrderByFields("2");
  });
  EXPECT_NE(twice.errors.find(" in WriteExcelTable<br>"), std::string::npos);  // two ORDER BYs
}

TEST_F(ExcelExportTest, HiddenColumnsHeaderAndRowLimit) {
  MakeTable(30);
  const RenderedPage page = Export([](DbView& v) {
    v.SetGridFieldsHide("price");
    v.SetDisplayHeader(false);
    v.SetRecordsMaxLimit(25);
    v.SetTDOddTag("class=o");
  });
  EXPECT_EQ(page.output.find("<th"), std::string::npos);
  EXPECT_EQ(page.output.find("45.0"), std::string::npos);
  EXPECT_EQ(page.output.find(">1.5<"), std::string::npos);
  std::size_t rows = 0;
  for (std::size_t at = page.output.find("<tr>"); at != std::string::npos;
       at = page.output.find("<tr>", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 25u);
  EXPECT_NE(page.output.find("<td  class=o  align=\"right\" >1</td>"), std::string::npos);
}

TEST_F(ExcelExportTest, SuppliedRecordsetAtItsEndGivesTheHeaderOnly) {
  MakeTable(2);
  auto connection = std::make_shared<Connection>();
  connection->Open(ConnectionString());
  auto rows = std::make_shared<Recordset>();
  rows->Open("SELECT id FROM T", connection);
  while (!rows->Eof()) rows->MoveNext();
  const RenderedPage page = Export([&](DbView& v) { v.SetADORecordset(rows); });
  EXPECT_EQ(page.output, "<table border=1>\r\n<tr>\r\n<th  >id</th>\r\n</tr>\r\n</table>");
  EXPECT_EQ(rows->State(), ado::adStateOpen);  // the page's recordset stays open
}

TEST_F(ExcelExportTest, AFailureBeforeSendingGivesAnErrorPageNotADownload) {
  MakeTable(2);
  const RenderedPage page = Export([](DbView& v) { v.SetSql("SELECT * FROM Missing<b>"); });
  EXPECT_NE(page.errors.find(" in WriteExcelTable<br>"), std::string::npos);
  EXPECT_EQ(page.status, 500);
  EXPECT_EQ(Header(page, "content-disposition"), "");
  EXPECT_NE(page.output.find("The export failed: "), std::string::npos);
  EXPECT_EQ(page.output.find("<b>"), std::string::npos);
}

TEST_F(ExcelExportTest, AFailureAfterStreamingEndsWithAnIncompleteRow) {
  MakeTable(1);
  // Enough rows to start streaming, then a row the database fails to compute.
  Execute("CREATE TABLE W (t TEXT)");
  Execute(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
      "INSERT INTO W SELECT printf('%040d', i) FROM n");
  const RenderedPage page = Export([](DbView& v) {
    v.SetSql(
        "SELECT t, CASE WHEN rowid = 2999 THEN abs(-9223372036854775808) ELSE 1 END AS x "
        "FROM W");
  });
  EXPECT_NE(page.errors.find("integer overflow in WriteExcelTable<br>"), std::string::npos);
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(Header(page, "content-disposition"), "attachment; filename=KelvoExcelExport.xls");
  EXPECT_TRUE(page.output.ends_with(
      "<tr><td>The export is incomplete: integer overflow</td></tr>\r\n</table>"))
      << page.output.substr(page.output.size() - 200);
  // Every row read before the failing one is sent, whole, ahead of the report: the header and
  // rows 1 to 2998.
  const std::size_t report = page.output.find("<tr><td>The export is incomplete");
  std::size_t rows = 0;
  for (std::size_t at = page.output.find("<tr>\r\n"); at < report;
       at = page.output.find("<tr>\r\n", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 2999u);
  const std::size_t last_row = page.output.rfind("<tr>\r\n", report);
  EXPECT_NE(page.output.find(std::string(36, '0') + "2998</td>", last_row), std::string::npos);
  EXPECT_TRUE(page.output.substr(0, report).ends_with("</tr>\r\n"));
}

}  // namespace
}  // namespace kelvo::testing
