// A whole first-request page: frame, header, rows, state and navigation bar, byte for byte.
#include <gtest/gtest.h>

#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

using FirstRequestPageTest = GridPageTest;

std::string SortHeader(const std::string& align, int column, const std::string& name) {
  return "<th align=\"" + align + "\" class=\"KLVOTableTH\"><a class=\"KLVOTableTH\" "
         "href=\"/list.asp?Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1maxrecords=20&"
         "Vexmo1OrderByFields=" + std::to_string(column) + "&Vexmo1BookMark=0\"><nobr>" + name +
         "</nobr></a></th>\r\n";
}

std::string Row(int n, const std::string& name, const std::string& price) {
  const std::string parity = n % 2 == 1 ? "odd" : "even";
  const std::string cell = "<td id=\"klv1cell_" + std::to_string(n) + "_";
  const std::string klass = "\" class=\"KLVOTableTD" + parity + "\"";
  return "<tr id=\"klv1row_" + std::to_string(n) + "\" class=\"KLVOTableTR" + parity + "\">\r\n" +
         cell + "0" + klass + "><a class=\"KLVOTable\" href=\"/list.asp?Vexmo1FormDisplay=formOneRec&"
         "Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1maxrecords=20&Vexmo1PK=&"
         "Vexmo1OrderByFields=&Vexmo1BookMark=" + std::to_string(n) + "\">" + std::to_string(n) +
         "</a></td>\r\n" +
         cell + "1" + klass + " align=\"right\">" + std::to_string(n) + "</td>\r\n" +
         cell + "2" + klass + ">" + name + "</td>\r\n" +
         cell + "3" + klass + " align=\"right\">" + price + "</td>\r\n" +
         "</tr>\r\n";
}

TEST_F(FirstRequestPageTest, MatchesTheDocumentedPage) {
  Execute("CREATE TABLE P3 (id " + KeyType() + ", name VARCHAR(20), price DOUBLE PRECISION)");
  Execute("INSERT INTO P3 VALUES (1, 'Tea', 2.5), (2, 'Coffee', 3), (3, 'Milk', NULL)");
  const RenderedPage page = Get({}, [](DbView& v) { v.SetSql("SELECT * FROM P3"); });
  const std::string bar_class = " class=\"KLVOTableNavBar\" ";
  const std::string expected =
      "\r\n\r\n<!-- Kelvo data grid -->\r\n\r\n"
      "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">\r\n"
      "<form name=\"FormKelvoGrid1\" id=\"FormKelvoGrid1\" action=\"/list.asp\" method=\"post\">\r\n"
      "<tr><td valign=top align=left>\r\n"
      "<table width=\"100%\" class=\"KLVOTable\" border=\"0\" cellspacing=\"0\"  cols=\"4\">\r\n"
      "<tr class=\"KLVOTableTR\">\r\n"
      "<th class=\"KLVOTableTH\">#</th>\r\n" +
      SortHeader("right", 1, "id") + SortHeader("left", 2, "name") +
      SortHeader("right", 3, "price") + "</tr>\r\n" + Row(1, "Tea", "2.5") +
      Row(2, "Coffee", "3") + Row(3, "Milk", "&nbsp;") +
      "</table></td></tr>\r\n"
      "<input type=\"hidden\" name=\"Vexmo1CurrRecord\" value=\"1\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1CountRecords\" value=\"on\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1maxrecords\" value=\"20\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1FormDisplay\" value=\"\">\r\n"
      "<input type=\"hidden\" name=\"Vexmo1OrderByFields\" value=\"\">\r\n"
      "<tr><th nowrap align=\"left\"" + bar_class + "colspan=1>\r\n"
      "<table width=\"100%\" cellpadding=0 cellspacing=0>\r\n"
      "<tr><td width=\"1%\"" + bar_class + "nowrap align=\"left\">\r\n"
      "<img src=\"../gfx/firstpgd.gif\" border=\"0\">\r\n"
      "<img src=\"../gfx/prevpgd.gif\" border=\"0\">\r\n"
      "<img src=\"../gfx/nextpgd.gif\" border=\"0\">\r\n"
      "<img src=\"../gfx/lastpgd.gif\" border=\"0\">\r\n"
      "</td><td width=\"1%\"" + bar_class + "nowrap align=\"left\"> \r\n"
      "&nbsp;Record (1..3) of 3</td>\r\n"
      "<td width=\"1%\"" + bar_class + "nowrap align=\"left\"> \r\n"
      "&nbsp;<input title=\"Excel export\" type=\"image\" name=\"Vexmo1ToExcel\" border=0 "
      "src=\"../gfx/excel.gif\"></td>\r\n"
      "<td width=\"99%\"" + bar_class + "nowrap align=\"right\"> \r\n"
      "&nbsp;Page 1 of 1&nbsp;</td>\r\n"
      "</tr></table></th></tr>\r\n"
      "</form>\r\n</table>";
  EXPECT_EQ(page.output, expected);
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(page.grid->FromRow(), 1);
  EXPECT_EQ(page.grid->ToRow(), 3);
  EXPECT_EQ(page.grid->RecordCount(), 3);
}

}  // namespace
}  // namespace kelvo::testing
