#include <gtest/gtest.h>

#include "kelvo/db_connection.h"
#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

using WriteHtmlTableTest = GridPageTest;

constexpr char kHead[] =
    "\r\n\r\n<!-- Kelvo data grid -->\r\n\r\n"
    "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">\r\n"
    "<form name=\"FormKelvoGrid1\" id=\"FormKelvoGrid1\" action=\"/list.asp\" method=\"post\">\r\n";

TEST_F(WriteHtmlTableTest, FirstRequestWritesTheFrame) {
  MakeTable(3);
  const RenderedPage page = Get();
  EXPECT_EQ(page.errors, "");
  const std::string grid_cell =
      "<tr><td valign=top align=left>\r\n"
      "<table width=\"100%\" class=\"KLVOTable\" border=\"0\" cellspacing=\"0\"  cols=\"4\">\r\n";
  const std::string hidden =
      "<input type=\"hidden\" name=\"Vexmo1CurrRecord\" value=\"1\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1CountRecords\" value=\"on\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1maxrecords\" value=\"20\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1FormDisplay\" value=\"\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1OrderByFields\" value=\"\">\r\n";
  ASSERT_EQ(page.output.rfind(std::string(kHead) + grid_cell, 0), 0u) << page.output;
  const std::string tail = "</table></td></tr>\r\n" + hidden;
  EXPECT_NE(page.output.find(tail), std::string::npos) << page.output;
  EXPECT_TRUE(page.output.ends_with("</form>\r\n</table>")) << page.output;
}

TEST_F(WriteHtmlTableTest, WidthAppliesToTheOuterTableOnlyInGridMode) {
  MakeTable(3);
  auto set_width = [](DbView& v) { v.SetWidth("600"); };
  EXPECT_NE(Get({}, set_width).output.find("cellpadding=\"0\" width=\"600\" >"), std::string::npos);
  const RenderedPage form = Get("Vexmo1FormDisplay=formOneRec", set_width);
  EXPECT_EQ(form.output.find("width=\"600\""), std::string::npos);
}

TEST_F(WriteHtmlTableTest, DebugRowShowsTheStatementAndFooterIsTheLastRow) {
  MakeTable(1);
  const RenderedPage page = Get({}, [](DbView& v) {
    v.SetDisplayDebug(true);
    v.SetFooterText("Shown <b>daily</b>");
  });
  EXPECT_NE(page.output.find("class=\"KLVOTableHeader\">\r\nSELECT * FROM T</td></tr>"
                             "<tr><td>&nbsp;</td></tr>\r\n"),
            std::string::npos);
  EXPECT_TRUE(page.output.ends_with(
      "<tr><td class=\"KLVOTableInfoFooter\">Shown <b>daily</b></td></tr></form>\r\n</table>"));
}

TEST_F(WriteHtmlTableTest, FailureAfterTheFormTagLeavesTheFrameOpen) {
  MakeTable(3);
  const RenderedPage page = Get({}, [](DbView& v) { v.SetSql("SELECT * FROM Missing"); });
  EXPECT_TRUE(page.errors.ends_with(" in WriteHTMLTable.<br>")) << page.errors;
  const std::string missing =
      OnPostgres() ? "relation \"missing\" does not exist" : "no such table: Missing";
  EXPECT_NE(page.errors.find(missing), std::string::npos) << page.errors;
  EXPECT_EQ(page.output.find("</form>"), std::string::npos);
}

TEST_F(WriteHtmlTableTest, DebugEntryNamesTheOrderedStatement) {
  MakeTable(3);
  const RenderedPage page = Get({}, [](DbView& v) {
    v.SetDisplayDebug(true);
    v.SetOrderByFields("nosuchcolumn");
    v.SetOrderByDesc(true);
  });
  EXPECT_TRUE(page.errors.ends_with(
      " in WriteHTMLTable.<br>sql='SELECT * FROM T ORDER BY nosuchcolumn DESC '<br>"))
      << page.errors;
}

TEST_F(WriteHtmlTableTest, WithoutConnectionTheHandlerReports) {
  MemoryPage page(RequestData::Get("/list.asp"));
  DbView grid;
  page.Run([&](ScriptingContext&) {
    grid.OnStartPage(Variant(page.context()));
    grid.SetSql("SELECT 1");
    grid.WriteHtmlTable();
  });
  EXPECT_EQ(grid.ErrorMessage(),
            "Object required: the grid has no connection in WriteHTMLTable.<br>");
  EXPECT_EQ(page.output(), "");
}

TEST_F(WriteHtmlTableTest, AddButtonCarriesStateAndOpensTheAddForm) {
  MakeTable(3);
  const RenderedPage page = Get("id=7", [](DbView& v) {
    v.SetEditOptions("ADD");
    v.SetOrderByFields("2");
  });
  EXPECT_NE(page.output.find(
                "<input class=\"KelvoInputBtn\" Value=\"Add\" type=\"button\" "
                "onclick=\"window.location='/list.asp?Vexmo1FormDisplay=formOneRec&"
                "Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1maxrecords=20&id=7&"
                "Vexmo1OrderByFields=2&Vexmo1BookMark=0&Vexmo1FormAdd=1'\">\r\n"),
            std::string::npos)
      << page.output;
}

TEST_F(WriteHtmlTableTest, AddRequestWithoutUpdateShowsTheViewForm) {
  MakeTable(3);
  const RenderedPage page = Get("Vexmo1FormDisplay=formOneRec&Vexmo1FormAdd=1",
                                [](DbView& v) { v.SetEditOptions("ADD"); });
  EXPECT_EQ(page.mode, "formview");
  EXPECT_EQ(page.errors, "");
  const RenderedPage with_update =
      Get("Vexmo1FormDisplay=formOneRec&Vexmo1FormAdd=1",
          [](DbView& v) { v.SetEditOptions("ADD UPDATE"); });
  EXPECT_EQ(with_update.mode, "formadd");
}

TEST_F(WriteHtmlTableTest, PageSizeOneShowsTheRecordForm) {
  MakeTable(3);
  EXPECT_EQ(Get({}, [](DbView& v) { v.SetRecordsPerPage(1); }).mode, "formview");
  EXPECT_EQ(Get({}, [](DbView& v) { v.SetRecordsPerPage(2); }).mode, "grid");
  const RenderedPage form = Get({}, [](DbView& v) { v.SetRecordsPerPage(1); });
  EXPECT_NE(form.output.find("class=\"KLVOTableFormOuter\" >"), std::string::npos);
}

// A record opened by its link is read by its key alone; its bar still offers the records after
// it, with or without a bar above the record.
TEST_F(WriteHtmlTableTest, ARecordOpenedByItsLinkOffersTheRecordsAfterIt) {
  MakeTable(3);
  for (const char* bars : {"bottom", "both"}) {
    const auto keyed = [&](DbView& v) {
      v.SetEditPrimaryKeys("id");
      v.SetDisplayNavBar(bars);
    };
    const auto record = [&](int n) {
      const std::string number = std::to_string(n);
      return Get("Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=1&Vexmo1PK=" + number +
                     "&Vexmo1BookMark=" + number,
                 keyed)
          .output;
    };
    const std::string first = record(1);
    EXPECT_NE(first.find("Record 1 of 3"), std::string::npos) << bars << first;
    EXPECT_NE(first.find("name=\"Vexmo1NEXT\""), std::string::npos) << bars << first;
    EXPECT_NE(first.find("name=\"Vexmo1LAST\""), std::string::npos) << bars << first;
    const std::string last = record(3);
    EXPECT_EQ(last.find("name=\"Vexmo1NEXT\""), std::string::npos) << bars << last;
    EXPECT_NE(last.find("name=\"Vexmo1PREV\""), std::string::npos) << bars << last;
  }
}

TEST_F(WriteHtmlTableTest, ExportRequestEndsThePageBeforeTheFrame) {
  MakeTable(3);
  const RenderedPage page = Get("Vexmo1ToExcel.x=4");
  EXPECT_EQ(page.output.find("<form"), std::string::npos);
  EXPECT_EQ(page.errors, "");
}

TEST_F(WriteHtmlTableTest, QHtmlTableRendersAWholeTable) {
  MakeTable(3);
  MemoryPage page(RequestData::Get("/list.asp"), options_);
  DbView grid;
  page.Run([&](ScriptingContext&) {
    grid.OnStartPage(Variant(page.context()));
    grid.QHtmlTable(ConnectionString(), "T");
  });
  EXPECT_EQ(grid.ErrorMessage(), "");
  EXPECT_EQ(grid.sql(), "SELECT * FROM T");
  EXPECT_EQ(grid.FormSQL(), "");
  EXPECT_EQ(grid.RecordCount(), 3);
}

}  // namespace
}  // namespace kelvo::testing

namespace kelvo::testing {
namespace {

TEST_F(WriteHtmlTableTest, StoredProcedureArgumentsAreBoundAndCounted) {
  MakeTable(5);
  auto holder = std::make_shared<DBConnection>();
  holder->Connection()->Open(ConnectionString());
  holder->Connection()->DefineProcedure("sp_List", "SELECT id, name FROM T WHERE id <= ?");
  holder->Connection()->DefineProcedure("sp_Named", "SELECT id FROM T WHERE name = ?");
  MemoryPage page(RequestData::Get("/list.asp"), options_);
  DbView grid;
  page.Run([&](ScriptingContext&) {
    grid.OnStartPage(Variant(page.context()));
    grid.SetVexmoConnection(holder);
    grid.SetSql("sp_List 2");
    grid.WriteHtmlTable();
  });
  EXPECT_EQ(grid.ErrorMessage(), "");
  EXPECT_EQ(grid.RecordCount(), 2);  // the static cursor of a procedure knows its count
  EXPECT_EQ(grid.ToRow(), 2);
  EXPECT_EQ(page.output().find("OrderByFields=1"), std::string::npos);  // no sort links

  DbView hostile;
  MemoryPage second(RequestData::Get("/list.asp"), options_);
  second.Run([&](ScriptingContext&) {
    hostile.OnStartPage(Variant(second.context()));
    hostile.SetVexmoConnection(holder);
    hostile.SetSql("sp_Named 'x'' OR ''1''=''1; DROP TABLE T'");
    hostile.WriteHtmlTable();
  });
  EXPECT_EQ(hostile.RecordCount(), 0);  // the argument stayed a value
  Recordset check;
  check.Open("SELECT COUNT(*) AS n FROM T", holder->Connection());
  EXPECT_EQ(check.Fields().Item("n").Value(), Variant(5));
}

}  // namespace
}  // namespace kelvo::testing
