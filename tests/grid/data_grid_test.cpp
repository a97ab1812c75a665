#include "grid/data_grid.h"

#include <gtest/gtest.h>

#include "component/captions.h"
#include "component/db_view_state.h"
#include "format/cell_tables.h"
#include "kelvo/db_connection.h"
#include "kelvo/host.h"
#include "support/renderer_test.h"
#include "support/temp_dir.h"
#include "support/test_database.h"

namespace kelvo::detail {
namespace {

class DataGridTest : public testing::RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    if (IsSkipped()) return;
    connection_->Execute("CREATE TABLE G (id " + testing::KeyType() +
                         ", name VARCHAR(20), price DOUBLE PRECISION, notes TEXT)");
  }

  void AddRows(int count, const std::string& name = "n") {
    for (int i = 0; i < count; ++i) {
      connection_->Execute("INSERT INTO G (name, price) VALUES ('" + name + "', 2.5)");
    }
  }

  // Renders the grid of `statement`; returns what it wrote.
  std::string Grid(const std::string& statement = "SELECT id, name, price FROM G") {
    s_.sql = statement;
    rows_ = 0;  // as the driver passes it
    return Rendered(statement, [&](Recordset& recordset) { MakeDataGrid(s_, recordset, rows_); });
  }
};

constexpr char kSortHref[] =
    "/list.asp?Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1maxrecords=20&Vexmo1OrderByFields=";

TEST_F(DataGridTest, HeaderAndFirstRowWithDefaults) {
  AddRows(1, "Tea");
  const std::string html = Grid();
  const std::string expected =
      "<tr class=\"KLVOTableTR\">\r\n"
      "<th class=\"KLVOTableTH\">#</th>\r\n"
      "<th align=\"right\" class=\"KLVOTableTH\"><a class=\"KLVOTableTH\" href=\"" +
      std::string(kSortHref) + "1&Vexmo1BookMark=0\"><nobr>id</nobr></a></th>\r\n" +
      "<th align=\"left\" class=\"KLVOTableTH\"><a class=\"KLVOTableTH\" href=\"" + kSortHref +
      "2&Vexmo1BookMark=0\"><nobr>name</nobr></a></th>\r\n" +
      "<th align=\"right\" class=\"KLVOTableTH\"><a class=\"KLVOTableTH\" href=\"" + kSortHref +
      "3&Vexmo1BookMark=0\"><nobr>price</nobr></a></th>\r\n"
      "</tr>\r\n"
      "<tr id=\"klv1row_1\" class=\"KLVOTableTRodd\">\r\n"
      "<td id=\"klv1cell_1_0\" class=\"KLVOTableTDodd\"><a class=\"KLVOTable\" "
      "href=\"/list.asp?Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=1&Vexmo1CountRecords=on&"
      "Vexmo1maxrecords=20&Vexmo1PK=&Vexmo1OrderByFields=&Vexmo1BookMark=1\">1</a></td>\r\n"
      "<td id=\"klv1cell_1_1\" class=\"KLVOTableTDodd\" align=\"right\">1</td>\r\n"
      "<td id=\"klv1cell_1_2\" class=\"KLVOTableTDodd\">Tea</td>\r\n"
      "<td id=\"klv1cell_1_3\" class=\"KLVOTableTDodd\" align=\"right\">2.5</td>\r\n"
      "</tr>\r\n";
  EXPECT_EQ(html, expected);
  EXPECT_EQ(rows_, 1);
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(DataGridTest, SortLinksShowTheCurrentOrder) {
  AddRows(1);
  s_.OrderByFields = "3";
  std::string html = Grid();
  EXPECT_NE(html.find(std::string(kSortHref) +
                      "3&Vexmo1BookMark=0&Vexmo1OrderByDesc=True\"><nobr>price&nbsp;<img "
                      "border=\"0\" src=\"../gfx/orderasc.gif\"></nobr></a>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("2&Vexmo1BookMark=0\"><nobr>name</nobr></a>"), std::string::npos);
  s_.OrderByDesc = true;  // asked for by the request; the page's own order is ascending
  s_.mvarPageOrderByDesc = false;
  html = Grid();
  EXPECT_NE(html.find("3&Vexmo1BookMark=0\"><nobr>price&nbsp;<img border=\"0\" "
                      "src=\"../gfx/orderdesc.gif\">"),
            std::string::npos)
      << html;  // shows descending; a click sorts ascending
  s_.mvarPageOrderByDesc.reset();  // the page's own order: ascending must be asked for
  html = Grid();
  EXPECT_NE(html.find("3&Vexmo1BookMark=0&Vexmo1OrderByDesc=False\"><nobr>price&nbsp;<img "
                      "border=\"0\" src=\"../gfx/orderdesc.gif\">"),
            std::string::npos)
      << html;
  s_.OrderByDesc = false;
  s_.OrderByFields = "3,1";
  EXPECT_EQ(Grid().find("<img"), std::string::npos);
}

TEST_F(DataGridTest, SortLinksAreLeftOutWhereSortingCannotWork) {
  AddRows(1);
  EXPECT_EQ(Grid("SELECT id, name FROM G order by name").find("<a class=\"KLVOTableTH\""),
            std::string::npos);
  const std::string html = Grid("SELECT id, notes FROM G");
  EXPECT_EQ(html.find("OrderByFields=2"), std::string::npos);  // long text
  s_.VexmoConnection->SetDatabaseEngine("SQLA");
  EXPECT_NE(Grid("SELECT id, notes FROM G").find("OrderByFields=2"), std::string::npos);
  s_.GridColsNoSort = "id";
  EXPECT_EQ(Grid("SELECT id, notes FROM G").find("OrderByFields=1"), std::string::npos);
}

TEST_F(DataGridTest, WithoutAConnectionEachSortableColumnReportsOnce) {
  AddRows(1);
  s_.VexmoConnection.reset();
  const std::string html = Grid();
  EXPECT_EQ(html.find("<a class=\"KLVOTableTH\""), std::string::npos);
  EXPECT_EQ(s_.ErrorMessage,
            std::string("Object required: the grid has no connection in MakeDataGrid<br>") +
                "Object required: the grid has no connection in MakeDataGrid<br>" +
                "Object required: the grid has no connection in MakeDataGrid<br>");
}

TEST_F(DataGridTest, RowsStopAtThePageTheEndAndTheRecordLimit) {
  AddRows(25);
  Grid();
  EXPECT_EQ(rows_, 20);
  s_.mvarCurrRecord = 991;
  s_.RecordsMaxLimit = 1000;
  Grid();
  EXPECT_EQ(rows_, 10);
  s_.mvarCurrRecord = 1001;
  const std::string html = Grid();
  EXPECT_EQ(rows_, 0);
  EXPECT_EQ(html.find("klv1row_"), std::string::npos);
  s_.DisplayHeader = false;
  EXPECT_EQ(Grid("SELECT * FROM G WHERE id < 0"), "");
}

TEST_F(DataGridTest, IdsParityAndCapturedFirstRow) {
  AddRows(3, "x");
  const std::string html = Grid();
  EXPECT_NE(html.find("<tr id=\"klv1row_2\" class=\"KLVOTableTReven\">"), std::string::npos);
  EXPECT_NE(html.find("<td id=\"klv1cell_2_3\" class=\"KLVOTableTDeven\""), std::string::npos);
  EXPECT_NE(html.find("<td id=\"klv1cell_2_0\" "), std::string::npos);
  ASSERT_EQ(s_.mvarCurrentRowValues.size(), 3u);
  EXPECT_EQ(s_.mvarCurrentRowValues[0], Variant(1));
}

TEST_F(DataGridTest, RecordLinkOnAColumnOrPlainNumbers) {
  AddRows(1, "Tea");
  s_.GridLinkIndex = 2;
  std::string html = Grid();
  EXPECT_NE(html.find("<td id=\"klv1cell_1_0\" class=\"KLVOTableTDodd\">1</td>"), std::string::npos)
      << html;
  EXPECT_NE(html.find(">Tea</a></td>"), std::string::npos);
  EXPECT_NE(html.find("Vexmo1OrderByFields=&Vexmo1PK=&Vexmo1BookMark=1\">Tea"), std::string::npos);
  s_.GridFieldsHide = "name";  // a hidden link column: no link at all
  html = Grid();
  EXPECT_EQ(html.find("<a class=\"KLVOTable\""), std::string::npos);
  s_.GridFieldsHide = "";
  SetGridFormatCellFunction(s_, 2, "UCASE");
  EXPECT_EQ(Grid().find("<a class=\"KLVOTable\""), std::string::npos);
}

TEST_F(DataGridTest, EachRowLinksItsOwnKeyEncoded) {
  AddRows(1, "Tea & Co");
  AddRows(1, "Milk");
  s_.EditPrimaryKeys = "id, name";
  s_.GridLinkIndex = 2;
  s_.GridCellsNoBr = "name";
  s_.HtmlEncodeValues = true;
  const std::string html = Grid();
  EXPECT_NE(html.find("<nobr><a class=\"KLVOTable\" href=\"/list.asp?Vexmo1FormDisplay=formOneRec&"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("&Vexmo1PK=1,Tea+%26+Co&Vexmo1BookMark=1\">Tea &amp; Co</a></nobr></td>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("&Vexmo1PK=2,Milk&Vexmo1BookMark=2\">Milk</a></nobr></td>"),
            std::string::npos)
      << html;
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(DataGridTest, DuplicatesAreSuppressedIgnoringCase) {
  connection_->Execute("INSERT INTO G (name) VALUES (''), ('abc'), ('ABC'), (NULL), (NULL)");
  s_.GridFieldsSupressDup = "name";
  s_.marrGridFieldsSupressDup.assign(2, Variant());
  const std::string html = Grid("SELECT name FROM G ORDER BY id");
  EXPECT_NE(html.find("<td id=\"klv1cell_1_1\" class=\"KLVOTableTDodd\">&nbsp;</td>"),
            std::string::npos);  // the empty slot matches an empty first value
  EXPECT_NE(html.find("klv1cell_2_1\" class=\"KLVOTableTDeven\">abc</td>"), std::string::npos);
  EXPECT_NE(html.find("klv1cell_3_1\" class=\"KLVOTableTDodd\">&nbsp;</td>"), std::string::npos);
  EXPECT_NE(html.find("klv1cell_5_1\" class=\"KLVOTableTDodd\">&nbsp;</td>"), std::string::npos);
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(DataGridTest, WithoutCssNoClassIsWritten) {
  AddRows(2);
  s_.UseCSS = false;
  SetGridColAttributes(s_, 2, "bgcolor=red");
  SetGridColHeadAttributes(s_, 2, "title=h");
  const std::string html = Grid();
  EXPECT_EQ(html.find("class="), std::string::npos);
  EXPECT_NE(html.find("<td id=\"klv1cell_1_2\" bgcolor=red>n</td>"), std::string::npos) << html;
  EXPECT_NE(html.find("<th title=h align=\"left\"><a href="), std::string::npos) << html;
}

TEST_F(DataGridTest, RowAndCellTagsCarryFieldValues) {
  AddRows(1, "Tea");
  s_.GridTRTag = "data-name=\"##name##\"";
  s_.GridTDOddTag = "  odd";
  const std::string html = Grid();
  EXPECT_NE(html.find("<tr id=\"klv1row_1\" class=\"KLVOTableTRodd\" data-name=\"Tea\">"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<td id=\"klv1cell_1_2\" class=\"KLVOTableTDodd\" odd>Tea</td>"),
            std::string::npos)
      << html;
}

}  // namespace
}  // namespace kelvo::detail
