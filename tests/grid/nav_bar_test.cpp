#include "grid/nav_bar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "component/captions.h"
#include "component/db_view_state.h"
#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo::detail {
namespace {

// Pieces of the expected HTML, for the cases that look at one part of the bar.
std::string Disabled(const std::string& image) {
  return "<img src=\"../gfx/" + image + "d.gif\" border=\"0\">\r\n";
}
std::string Button(const std::string& image, const std::string& name, const std::string& title) {
  return "<input type=\"image\" src=\"../gfx/" + image + ".gif\" name=\"Vexmo1" + name +
         "\" border=\"0\" title=\"" + title + "\" > \r\n";
}
bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

// A grid showing records 1..20 of 57, the state the driver leaves before the bar is built.
class NavBarTest : public ::testing::Test {
 protected:
  NavBarTest() {
    SetLanguage(s_, "ENG");
    OpenPage("");
    s_.RecordCount = 57;
    s_.FromRow = 1;
    s_.ToRow = 20;
  }

  void OpenPage(const std::string& query, const std::string& script = "/app/list.asp") {
    page_ = std::make_unique<MemoryPage>(RequestData::Get(script, query));
    s_.mvarScriptingContext = page_->context();
  }
  // The one-record view of record `record`, as the driver decides it.
  void ShowOneRecord(std::int32_t record) {
    s_.mvarFormOneRec = true;
    s_.mvarFormMode = true;
    s_.mvarCurrRecord = record;
    s_.FromRow = record;
    s_.ToRow = record;
  }
  std::string Top(std::int32_t next) { return BuildNavBar(s_, 1, next, "Top"); }

  DbViewState s_;
  std::unique_ptr<MemoryPage> page_;
};

TEST_F(NavBarTest, FirstPageOfACountedGrid) {
  EXPECT_EQ(Top(21),
            "<tr><th nowrap align=\"left\" class=\"KLVOTableNavBarTop\" colspan=1>\r\n"
            "<table width=\"100%\" cellpadding=0 cellspacing=0>\r\n"
            "<tr><td width=\"1%\" class=\"KLVOTableNavBarTop\" nowrap align=\"left\">\r\n"
            "<img src=\"../gfx/firstpgd.gif\" border=\"0\">\r\n"
            "<img src=\"../gfx/prevpgd.gif\" border=\"0\">\r\n"
            "<input type=\"image\" src=\"../gfx/nextpg.gif\" name=\"Vexmo1NEXT\" border=\"0\" "
            "title=\"Next 20 Records\" > \r\n"
            "<input type=\"image\" src=\"../gfx/lastpg.gif\" name=\"Vexmo1LAST\" border=\"0\" "
            "title=\"Last Page\" > \r\n"
            "</td><td width=\"1%\" class=\"KLVOTableNavBarTop\" nowrap align=\"left\"> \r\n"
            "&nbsp;Record (1..20) of 57</td>\r\n"
            "<td width=\"1%\" class=\"KLVOTableNavBarTop\" nowrap align=\"left\"> \r\n"
            "&nbsp;<input title=\"Excel export\" type=\"image\" name=\"Vexmo1ToExcel\" border=0 "
            "src=\"../gfx/excel.gif\"></td>\r\n"
            "<td width=\"99%\" class=\"KLVOTableNavBarTop\" nowrap align=\"right\"> \r\n"
            "&nbsp;Page 1 of 3&nbsp;</td>\r\n"
            "</tr></table></th></tr>\r\n");
}

TEST_F(NavBarTest, MiddlePageBottomBarWithoutCss) {
  s_.UseCSS = false;
  s_.ImageDir = "/img/";
  s_.Tag = "2";
  s_.mvarCurrRecord = 21;
  s_.FromRow = 21;
  s_.ToRow = 40;
  EXPECT_EQ(BuildNavBar(s_, 3, 41, ""),
            "<tr><th nowrap align=\"left\" colspan=3>\r\n"
            "<table width=\"100%\" cellpadding=0 cellspacing=0>\r\n"
            "<tr><td width=\"1%\" nowrap align=\"left\">\r\n"
            "<input type=\"image\" src=\"/img/firstpg.gif\" name=\"Vexmo2FIRST\" border=\"0\" "
            "title=\"First Page\" > \r\n"
            "<input type=\"image\" src=\"/img/prevpg.gif\" name=\"Vexmo2PREV\" border=\"0\" "
            "title=\"Previous 20 Records\" > \r\n"
            "<input type=\"image\" src=\"/img/nextpg.gif\" name=\"Vexmo2NEXT\" border=\"0\" "
            "title=\"Next 20 Records\" > \r\n"
            "<input type=\"image\" src=\"/img/lastpg.gif\" name=\"Vexmo2LAST\" border=\"0\" "
            "title=\"Last Page\" > \r\n"
            "</td><td width=\"1%\" nowrap align=\"left\"> \r\n"
            "&nbsp;Record (21..40) of 57</td>\r\n"
            "<td width=\"1%\" nowrap align=\"left\"> \r\n"
            "&nbsp;<input title=\"Excel export\" type=\"image\" name=\"Vexmo2ToExcel\" border=0 "
            "src=\"/img/excel.gif\"></td>\r\n"
            "<td width=\"99%\" nowrap align=\"right\"> \r\n"
            "&nbsp;Page 2 of 3&nbsp;</td>\r\n"
            "</tr></table></th></tr>\r\n");
}

TEST_F(NavBarTest, LastPageDisablesNextAndLast) {
  s_.mvarCurrRecord = 41;
  s_.FromRow = 41;
  s_.ToRow = 57;
  s_.DisplayExcelIcon = false;
  EXPECT_EQ(BuildNavBar(s_, 1, 0, ""),
            "<tr><th nowrap align=\"left\" class=\"KLVOTableNavBar\" colspan=1>\r\n"
            "<table width=\"100%\" cellpadding=0 cellspacing=0>\r\n"
            "<tr><td width=\"1%\" class=\"KLVOTableNavBar\" nowrap align=\"left\">\r\n" +
                Button("firstpg", "FIRST", "First Page") +
                Button("prevpg", "PREV", "Previous 20 Records") + Disabled("nextpg") +
                Disabled("lastpg") +
                "</td><td width=\"1%\" class=\"KLVOTableNavBar\" nowrap align=\"left\"> \r\n"
                "&nbsp;Record (41..57) of 57</td>\r\n"
                "<td width=\"99%\" class=\"KLVOTableNavBar\" nowrap align=\"right\"> \r\n"
                "&nbsp;Page 3 of 3&nbsp;</td>\r\n"
                "</tr></table></th></tr>\r\n");
  // A next record inside the window (the driver's count ran short) still means no next page,
  // while the last button follows F >= N alone.
  const std::string short_window = BuildNavBar(s_, 1, 58, "");
  EXPECT_TRUE(Has(short_window, Disabled("nextpg")));
  EXPECT_TRUE(Has(short_window, Button("lastpg", "LAST", "Last Page")));
  EXPECT_TRUE(Has(BuildNavBar(s_, 1, 61, ""), Button("nextpg", "NEXT", "Next 20 Records")));
}

TEST_F(NavBarTest, UncountedGridHasNoCountAndNoPageText) {
  s_.RecordCount = -1;
  s_.DisplayExcelIcon = false;
  EXPECT_EQ(Top(21),
            "<tr><th nowrap align=\"left\" class=\"KLVOTableNavBarTop\" colspan=1>\r\n"
            "<table width=\"100%\" cellpadding=0 cellspacing=0>\r\n"
            "<tr><td width=\"1%\" class=\"KLVOTableNavBarTop\" nowrap align=\"left\">\r\n" +
                Disabled("firstpg") + Disabled("prevpg") +
                Button("nextpg", "NEXT", "Next 20 Records") +
                Button("lastpg", "LAST", "Last Page") +
                "</td><td width=\"1%\" class=\"KLVOTableNavBarTop\" nowrap align=\"left\"> \r\n"
                "&nbsp;Record (1..20) </td>\r\n"
                "</tr></table></th></tr>\r\n");
}

TEST_F(NavBarTest, TitlesNameTheUnitTheButtonsMove) {
  s_.mvarCurrRecord = 21;
  std::string bar = Top(41);
  EXPECT_TRUE(Has(bar, Button("firstpg", "FIRST", "First Page")));
  EXPECT_TRUE(Has(bar, Button("prevpg", "PREV", "Previous 20 Records")));
  EXPECT_TRUE(Has(bar, Button("nextpg", "NEXT", "Next 20 Records")));
  EXPECT_TRUE(Has(bar, Button("lastpg", "LAST", "Last Page")));

  s_.DisplayNavBarTextOptions = " pages ";
  bar = Top(41);
  EXPECT_TRUE(Has(bar, Button("prevpg", "PREV", "Previous Page")));
  EXPECT_TRUE(Has(bar, Button("nextpg", "NEXT", "Next Page")));

  ShowOneRecord(5);
  s_.DisplayNavBarTextOptions = "both";
  bar = Top(6);
  EXPECT_TRUE(Has(bar, Button("firstpg", "FIRST", "First Record")));
  EXPECT_TRUE(Has(bar, Button("prevpg", "PREV", "Previous Record")));
  EXPECT_TRUE(Has(bar, Button("nextpg", "NEXT", "Next Record")));
  EXPECT_TRUE(Has(bar, Button("lastpg", "LAST", "Last Record")));

  s_.DisplayNavBarTextOptions = "PAGES";
  bar = Top(6);
  EXPECT_TRUE(Has(bar, Button("firstpg", "FIRST", "First Record")));
  EXPECT_TRUE(Has(bar, Button("prevpg", "PREV", "Previous Page")));
  EXPECT_TRUE(Has(bar, Button("nextpg", "NEXT", "Next Page")));
}

TEST_F(NavBarTest, MultiRecordFormsMoveByPagesAndOneRecordFormsByRecords) {
  s_.mvarFormMode = true;
  s_.DisplayType = "Form";
  EXPECT_TRUE(Has(Top(21), Button("nextpg", "NEXT", "Next 20 Records")));
  EXPECT_TRUE(Has(Top(21), "Page 1 of 3"));
  s_.RecordsPerPage = 1;
  s_.ToRow = 1;
  const std::string bar = Top(2);
  EXPECT_TRUE(Has(bar, Button("nextpg", "NEXT", "Next Record")));
  EXPECT_FALSE(Has(bar, "&nbsp;Page"));
}

TEST_F(NavBarTest, GermanTitlesUseTheCountedAndSingleForms) {
  SetLanguage(s_, "GER");
  EXPECT_TRUE(Has(Top(21), "title=\"N\u00e4chste 20 Datens\u00e4tze\""));
  EXPECT_TRUE(Has(Top(21), "&nbsp;Seite 1 von 3&nbsp;"));
  ShowOneRecord(3);
  const std::string bar = Top(4);
  EXPECT_TRUE(Has(bar, "title=\"N\u00e4chster Datensatz\""));
  EXPECT_TRUE(Has(bar, "title=\"Vorheriger Datensatz\""));
  EXPECT_TRUE(Has(bar, "title=\"Letzter Datensatz\""));
}

TEST_F(NavBarTest, PageTextCountsPartialPagesAndAtLeastOne) {
  s_.mvarCurrRecord = 21;
  EXPECT_TRUE(Has(Top(41), "&nbsp;Page 2 of 3&nbsp;"));
  s_.RecordCount = 60;
  EXPECT_TRUE(Has(Top(41), "&nbsp;Page 2 of 3&nbsp;"));
  s_.RecordCount = 61;
  EXPECT_TRUE(Has(Top(41), "&nbsp;Page 2 of 4&nbsp;"));
  s_.mvarCurrRecord = 1;
  s_.RecordCount = 0;
  s_.FromRow = 0;
  s_.ToRow = 0;
  EXPECT_TRUE(Has(Top(0), "&nbsp;Page 1 of 1&nbsp;"));
}

TEST_F(NavBarTest, RecordTextForEmptyAndSingleWindows) {
  s_.FromRow = 5;
  s_.ToRow = 0;
  EXPECT_TRUE(Has(Top(0), "&nbsp;Record 0 of 57</td>"));
  s_.FromRow = 7;
  s_.ToRow = 7;
  EXPECT_TRUE(Has(Top(0), "&nbsp;Record 7 of 57</td>"));
  s_.RecordCount = -1;
  EXPECT_TRUE(Has(Top(0), "&nbsp;Record 7 </td>"));
}

TEST_F(NavBarTest, TextOptionsChooseTheRecordAndPageTexts) {
  s_.DisplayNavBarTextOptions = "records";
  EXPECT_TRUE(Has(Top(21), "&nbsp;Record (1..20)"));
  EXPECT_FALSE(Has(Top(21), "&nbsp;Page"));
  s_.DisplayNavBarTextOptions = "pages";
  EXPECT_FALSE(Has(Top(21), "&nbsp;Record"));
  EXPECT_TRUE(Has(Top(21), "&nbsp;Page 1 of 3"));
  ShowOneRecord(4);
  EXPECT_TRUE(Has(Top(5), "&nbsp;Record 4 of 57"));
  EXPECT_FALSE(Has(Top(5), "&nbsp;Page"));
  s_.DisplayNavBarTextOptions = "none";
  EXPECT_FALSE(Has(Top(5), "&nbsp;Record"));
}

TEST_F(NavBarTest, AnAddFormOrARefusedNewRecordSuppressesTheRecordTextButNotThePageText) {
  OpenPage("Vexmo1FormAdd=1");
  const std::string bar = Top(21);
  EXPECT_FALSE(Has(bar, "&nbsp;Record"));
  EXPECT_TRUE(Has(bar, "&nbsp;Page 1 of 3&nbsp;"));
  OpenPage("Vexmo2FormAdd=1");  // another grid's add form
  EXPECT_TRUE(Has(Top(21), "&nbsp;Record (1..20) of 57"));
  // A new record the database refused is shown again, still not one of the 57.
  OpenPage("Vexmo1FormInsert=1");
  s_.mvarUpdateFailed = true;
  EXPECT_FALSE(Has(Top(21), "&nbsp;Record"));
  s_.mvarUpdateFailed = false;  // saved: the form shows the record it became
  EXPECT_TRUE(Has(Top(21), "&nbsp;Record (1..20) of 57"));
}

TEST_F(NavBarTest, ButtonSwitches) {
  s_.mvarCurrRecord = 21;
  s_.DisableNavBarLastPageBtn = true;
  std::string bar = Top(41);
  EXPECT_TRUE(Has(bar, Disabled("lastpg")));
  EXPECT_TRUE(Has(bar, Button("nextpg", "NEXT", "Next 20 Records")));
  s_.DisplayNavBarFirstLastBtn = false;
  bar = Top(41);
  EXPECT_FALSE(Has(bar, "firstpg"));
  EXPECT_FALSE(Has(bar, "lastpg"));
  EXPECT_TRUE(Has(bar, Button("prevpg", "PREV", "Previous 20 Records")));
}

TEST_F(NavBarTest, OneRecordViewNextFollowsTheRecordNotThePage) {
  ShowOneRecord(5);
  EXPECT_TRUE(Has(Top(6), Button("nextpg", "NEXT", "Next Record")));
  EXPECT_TRUE(Has(Top(5), Disabled("nextpg")));
  EXPECT_TRUE(Has(Top(5), Disabled("lastpg")));
}

TEST_F(NavBarTest, ListLinkReturnsToTheGridPageInTheSameOrder) {
  OpenPage("Vexmo1FormDisplay=formOneRec&id=7");
  ShowOneRecord(27);
  s_.OrderByFields = "name,id";
  s_.OrderByDesc = true;
  EXPECT_TRUE(Has(Top(28),
                  "</td>\r\n"
                  "<td width=\"1%\" class=\"KLVOTableNavBarTop\" nowrap align=\"left\"> \r\n"
                  "&nbsp;&nbsp;<a class=\"KLVOTableNavBar\" href=\"/app/list.asp?"
                  "Vexmo1CurrRecord=21&Vexmo1CountRecords=on&Vexmo1maxrecords=20&id=7"
                  "&Vexmo1OrderByFields=name,id&Vexmo1OrderByDesc=True\">List</a></td>\r\n"
                  "<td width=\"1%\""));
  s_.UseCSS = false;
  s_.OrderByDesc = false;
  s_.mvarCurrRecord = 20;
  EXPECT_TRUE(Has(Top(21), "&nbsp;&nbsp;<a href=\"/app/list.asp?Vexmo1CurrRecord=1&"));
  EXPECT_TRUE(Has(Top(21), "&Vexmo1OrderByFields=name,id\">List</a></td>\r\n"));
}

// The bottom bar takes the top bar's buttons and list link only while the numbers they were
// made from hold: a later record, a count the rows corrected or a new carried count are shown.
TEST_F(NavBarTest, TheBottomBarRepeatsTheTopBarOnlyForTheSameNumbers) {
  OpenPage("Vexmo1FormDisplay=formOneRec&id=7");
  ShowOneRecord(27);
  s_.CountRecords = true;
  s_.CountCacheSeconds = 60;
  s_.mvarCountCarriedUntil = 4102444800;
  NavBarMemo memo;
  BuildNavBar(s_, 1, 28, "Top", &memo);
  EXPECT_EQ(BuildNavBar(s_, 1, 28, "", &memo), BuildNavBar(s_, 1, 28, ""));
  // Record 27 turned out to be the last.
  EXPECT_EQ(BuildNavBar(s_, 1, 27, "", &memo), BuildNavBar(s_, 1, 27, ""));
  EXPECT_TRUE(Has(BuildNavBar(s_, 1, 27, "", &memo), Disabled("nextpg")));
  s_.RecordCount = 27;
  const std::string corrected = BuildNavBar(s_, 1, 27, "", &memo);
  EXPECT_EQ(corrected, BuildNavBar(s_, 1, 27, ""));
  EXPECT_TRUE(Has(corrected, "&Vexmo1CarriedCount=27.4102444800.")) << corrected;
  s_.mvarCountCarriedUntil = 4102444801;
  EXPECT_TRUE(Has(BuildNavBar(s_, 1, 27, "", &memo), "&Vexmo1CarriedCount=27.4102444801."));
}

TEST_F(NavBarTest, ListLinkOnlyWhereOneRecordOfAGridIsShown) {
  EXPECT_FALSE(Has(Top(21), ">List</a>"));
  s_.RecordsPerPage = 1;  // the default display type shows page size 1 as a record
  s_.mvarFormMode = true;
  EXPECT_TRUE(Has(Top(2), ">List</a>"));
  s_.DisplayType = "form";
  EXPECT_FALSE(Has(Top(2), ">List</a>"));
  ShowOneRecord(2);
  EXPECT_FALSE(Has(Top(3), ">List</a>"));
}

TEST_F(NavBarTest, ListLinkEncodesThePathAndTheSortOrder) {
  OpenPage("", "/app/a\"b<c>.asp");
  ShowOneRecord(3);
  s_.OrderByFields = "x\"><script>alert(1)</script>";
  const std::string bar = Top(4);
  EXPECT_FALSE(Has(bar, "<script>"));
  EXPECT_FALSE(Has(bar, "a\"b"));
  EXPECT_TRUE(Has(bar, "href=\"/app/a%22b%3Cc%3E.asp?"));
  EXPECT_TRUE(Has(bar, "OrderByFields=x%22%3E%3Cscript%3Ealert%281%29%3C%2Fscript%3E\">List"));
}

TEST_F(NavBarTest, ExtremeRecordNumbersNeitherOverflowNorDivideByZero) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  s_.mvarCurrRecord = kMax;
  s_.RecordsPerPage = std::numeric_limits<std::int16_t>::max();
  s_.RecordCount = kMax;
  std::string bar = Top(kMax);
  EXPECT_TRUE(Has(bar, Disabled("nextpg")));  // F + P - 1 lies past the 32-bit range
  EXPECT_TRUE(Has(bar, Disabled("lastpg")));
  EXPECT_TRUE(Has(bar, "&nbsp;Page 65539 of 65539&nbsp;"));

  s_.RecordsPerPage = 0;
  s_.mvarCurrRecord = 21;
  s_.RecordCount = 57;
  bar = Top(41);
  EXPECT_TRUE(Has(bar, "&nbsp;Page 21 of 57&nbsp;"));
  ShowOneRecord(21);
  s_.DisplayType = "default";
  s_.RecordsPerPage = -3;
  EXPECT_TRUE(Has(Top(22), "Vexmo1CurrRecord=21&"));
}

TEST_F(NavBarTest, MissingCaptionsFailTheBar) {
  s_.marrCaptions.reset();
  EXPECT_THROW(Top(21), Error);
}

}  // namespace
}  // namespace kelvo::detail
