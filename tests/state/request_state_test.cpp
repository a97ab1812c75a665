#include <gtest/gtest.h>

#include "component/db_view_state.h"
#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

using RequestStateTest = GridPageTest;

std::string HiddenValue(const RenderedPage& page, const std::string& name) {
  return Between(page.output, "name=\"" + name + "\" value=\"", "\"");
}

TEST_F(RequestStateTest, PageSizeFromTheRequestBypassesTheSetterLimit) {
  MakeTable(60);
  const RenderedPage page = Get("Vexmo1maxrecords=50", [](DbView& v) { v.SetRecordsMaxLimit(40); });
  EXPECT_EQ(page.grid->RecordsPerPage(), 50);
  EXPECT_EQ(page.errors, "");
  const std::string refused =
      "The posted page size was ignored: the page does not offer it in ReadRequestState<br>";
  for (const char* query : {"Vexmo1maxrecords=0", "Vexmo1maxrecords=40000", "Vexmo1maxrecords=x"}) {
    const RenderedPage ignored = Get(query);
    EXPECT_EQ(ignored.grid->RecordsPerPage(), 20) << query;
    EXPECT_EQ(ignored.errors, refused) << query;
  }
}

TEST_F(RequestStateTest, NonNumericStateEndsInTheHandler) {
  MakeTable(3);
  for (const char* query : {"Vexmo1CurrRecord=abc", "Vexmo1Bookmark=%27"}) {
    const RenderedPage page = Get(query);
    EXPECT_TRUE(page.errors.ends_with(" in WriteHTMLTable.<br>")) << query << page.errors;
    EXPECT_EQ(page.output, "") << query;
  }
}

TEST_F(RequestStateTest, NavigationButtonsMoveTheCurrentRecord) {
  MakeTable(95);
  EXPECT_EQ(HiddenValue(Post("Vexmo1LAST.x=3&Vexmo1CurrRecord=1"), "Vexmo1CurrRecord"), "81");
  EXPECT_EQ(HiddenValue(Post("Vexmo1NEXT.x=3&Vexmo1CurrRecord=21"), "Vexmo1CurrRecord"), "41");
  EXPECT_EQ(HiddenValue(Post("Vexmo1PREV.x=3&Vexmo1CurrRecord=1"), "Vexmo1CurrRecord"), "1");
  EXPECT_EQ(HiddenValue(Post("Vexmo1FIRST.x=3&Vexmo1CurrRecord=61"), "Vexmo1CurrRecord"), "1");
  Execute("INSERT INTO T (id) SELECT id + 95 FROM T WHERE id <= 5");  // a full last page
  EXPECT_EQ(HiddenValue(Post("Vexmo1LAST.x=3"), "Vexmo1CurrRecord"), "81");
}

TEST_F(RequestStateTest, BookmarkMovesOnlyTheOneRecordView) {
  MakeTable(30);
  const RenderedPage view = Get("Vexmo1FormDisplay=formOneRec&Vexmo1Bookmark=7");
  EXPECT_EQ(HiddenValue(view, "Vexmo1CurrRecord"), "7");
  EXPECT_EQ(HiddenValue(view, "Vexmo1FormDisplay"), "formOneRec");
  EXPECT_EQ(HiddenValue(Get("Vexmo1Bookmark=7"), "Vexmo1CurrRecord"), "1");
}

TEST_F(RequestStateTest, HugeRecordNumbersSaturateInsteadOfOverflowing) {
  MakeTable(5);
  const RenderedPage page = Post("Vexmo1CurrRecord=2147483647&Vexmo1NEXT.x=1");
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(HiddenValue(page, "Vexmo1CurrRecord"), "5");  // a stale position shows the last
}

TEST_F(RequestStateTest, TagsKeepGridsApartAndForeignParametersAreCarried) {
  MakeTable(3);
  const RenderedPage page = Get("Vexmo1CurrRecord=2&id=7", [](DbView& v) { v.SetTag("2"); });
  EXPECT_EQ(HiddenValue(page, "Vexmo2CurrRecord"), "1");
  EXPECT_EQ(HiddenValue(page, "Vexmo1CurrRecord"), "2");
  EXPECT_EQ(HiddenValue(page, "id"), "7");
  // A tag that begins with another grid's tag is that grid's own.
  const RenderedPage one = Get("Vexmo12CurrRecord=3&Vexmo12Search=x");
  EXPECT_EQ(HiddenValue(one, "Vexmo12CurrRecord"), "3");
  EXPECT_EQ(HiddenValue(one, "Vexmo12Search"), "x");
  EXPECT_EQ(HiddenValue(one, "Vexmo1CurrRecord"), "1");
}

TEST_F(RequestStateTest, OtherGridsWritesAreNeverCarried) {
  MakeTable(3);
  const RenderedPage page = Post(
      "Vexmo1FormUpdate=Save&Vexmo1FormInsert=1&Vexmo1_Form_name=x&vexmo1ToExcel.x=2&"
      "Vexmo1CurrRecord=3&keep=1",
      [](DbView& v) { v.SetTag("2"); });
  EXPECT_EQ(page.output.find("FormUpdate"), std::string::npos);
  EXPECT_EQ(page.output.find("FormInsert"), std::string::npos);
  EXPECT_EQ(page.output.find("_Form_"), std::string::npos);
  EXPECT_EQ(page.output.find("ToExcel.x"), std::string::npos);
  EXPECT_EQ(HiddenValue(page, "keep"), "1");
  EXPECT_EQ(HiddenValue(page, "Vexmo1CurrRecord"), "3");
}

// Two grids on one page: grid 1 pages forward, then grid 2 posts its own form; grid 1 must
// still show the page it moved to, and so must a record link of grid 2.
TEST_F(RequestStateTest, PagingOneGridLeavesAnotherWhereItWas) {
  MakeTable(30);
  const auto tag_two = [](DbView& v) { v.SetTag("2"); };
  const RenderedPage two = Post("Vexmo1CurrRecord=1&Vexmo1maxrecords=5&Vexmo1NEXT.x=3", tag_two);
  std::string posted;
  for (std::size_t at = two.output.find("<input type=\"hidden\" name=\"");
       at != std::string::npos; at = two.output.find("<input type=\"hidden\" name=\"", at + 1)) {
    const std::string name = Between(two.output.substr(at), "name=\"", "\"");
    const std::string value = Between(two.output.substr(at), "value=\"", "\"");
    posted += (posted.empty() ? "" : "&") + name + "=" + value;
  }
  EXPECT_EQ(HiddenValue(Post(posted + "&Vexmo2NEXT.x=3"), "Vexmo1CurrRecord"), "6");
  const std::string link = Between(two.output, "href=\"", "\"");
  EXPECT_NE(link.find("Vexmo1NEXT.x=3"), std::string::npos) << link;
}

TEST_F(RequestStateTest, OwnPrefixIsComparedWithoutRegardToCase) {
  MakeTable(3);
  const RenderedPage page = Get("VEXMO1CurrRecord=2");
  EXPECT_EQ(page.output.find("VEXMO1"), std::string::npos);
  EXPECT_EQ(HiddenValue(page, "Vexmo1CurrRecord"), "2");
}

TEST_F(RequestStateTest, CarriedValuesAreEncodedForAttributesAndUrls) {
  MakeTable(3);
  const RenderedPage page = Get("id=%22%3E%3Cscript%3Ealert(1)%3C/script%3E&k%22=v",
                                [](DbView& v) { v.SetEditOptions("ADD"); });
  EXPECT_EQ(page.output.find("<script>"), std::string::npos);
  EXPECT_NE(page.output.find("name=\"id\" value=\"&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\""),
            std::string::npos);
  EXPECT_NE(page.output.find("name=\"k&quot;\" value=\"v\""), std::string::npos);
  EXPECT_NE(page.output.find("&id=%22%3E%3Cscript%3Ealert%281%29%3C%2Fscript%3E&k%22=v"),
            std::string::npos)
      << page.output;
}

TEST_F(RequestStateTest, PostedStatementNeedsThePagesSignature) {
  MakeTable(3);
  Execute("CREATE TABLE Secret (v TEXT)");
  Execute("INSERT INTO Secret VALUES ('hidden')");
  const RenderedPage forged = Get("Vexmo1SQL=SELECT+*+FROM+Secret");
  EXPECT_EQ(forged.grid->sql(), "SELECT * FROM T");
  EXPECT_EQ(forged.errors,
            "The posted statement was ignored: it carries no valid signature in "
            "ReadRequestState<br>");

  auto persistent = [](DbView& v) {
    v.SetPersistentSQL(true);
    v.SetSql("SELECT name FROM T");
  };
  const RenderedPage first = Get({}, persistent);
  const std::string signature = HiddenValue(first, "Vexmo1SQLSignature");
  ASSERT_EQ(signature.size(), 64u);
  EXPECT_EQ(HiddenValue(first, "Vexmo1SQL"), "SELECT name FROM T");

  auto page_sql = [](DbView& v) {
    v.SetPersistentSQL(true);
    v.SetSql("SELECT id FROM T");
  };
  const RenderedPage replayed =
      Get("Vexmo1SQL=SELECT+name+FROM+T&Vexmo1SQLSignature=" + signature, page_sql);
  EXPECT_EQ(replayed.errors, "");
  EXPECT_EQ(replayed.grid->sql(), "SELECT name FROM T");
  const RenderedPage tampered =
      Get("Vexmo1SQL=SELECT+v+FROM+Secret&Vexmo1SQLSignature=" + signature, page_sql);
  EXPECT_EQ(tampered.grid->sql(), "SELECT id FROM T");
  EXPECT_NE(tampered.errors.find("no valid signature"), std::string::npos);

  options_.signing_secret = "another server";
  const RenderedPage elsewhere =
      Get("Vexmo1SQL=SELECT+name+FROM+T&Vexmo1SQLSignature=" + signature, page_sql);
  EXPECT_EQ(elsewhere.grid->sql(), "SELECT id FROM T");
}

TEST_F(RequestStateTest, PostedSortOrderMustBeAColumnList) {
  MakeTable(3);
  const RenderedPage ok = Get("Vexmo1OrderByFields=+2+&Vexmo1OrderByDesc=1");
  EXPECT_EQ(ok.errors, "");
  EXPECT_EQ(ok.grid->OrderByFields(), "2");
  EXPECT_TRUE(ok.grid->OrderByDesc());
  const RenderedPage hostile = Get("Vexmo1OrderByFields=1%27%3Balert(1)%2F%2F");
  EXPECT_EQ(hostile.grid->OrderByFields(), "");
  EXPECT_EQ(hostile.errors,
            "The posted sort order was ignored: it is not a list of columns in "
            "ReadRequestState<br>");
  const RenderedPage page_set = Get({}, [](DbView& v) { v.SetOrderByFields("price DESC, id"); });
  EXPECT_EQ(page_set.errors, "");  // the page's own value is trusted
}

TEST_F(RequestStateTest, CurrentModeFollowsDisplayTypeAndRequest) {
  MakeTable(3);
  const RenderedPage page = Render(
      RequestData::Get("/list.asp", "Vexmo1FormAdd=1"),
      [](DbView& v) {
        v.SetDisplayType("form");
        v.SetEditOptions("UPDATE");
      },
      [](DbView& v) { EXPECT_EQ(v.CurrentRecord(1), Variant("")); });
  EXPECT_EQ(page.mode, "formadd");
  const RenderedPage edit = Render(
      RequestData::Get("/list.asp", "Vexmo1FormEdit=1"),
      [](DbView& v) {
        v.SetDisplayType("FORM");
        v.SetEditOptions("UPDATE");
      },
      [](DbView& v) { EXPECT_EQ(v.CurrentRecord(1), Variant(1)); });  // the edited record
  EXPECT_EQ(edit.mode, "formedit");
}

TEST_F(RequestStateTest, HostileValuesInEveryParameterAreHarmless) {
  MakeTable(3);
  const std::string big(100 * 1024, 'x');
  const std::vector<std::string> hostile = {
      "%22%3E%3Cscript%3Ealert(1)%3C%2Fscript%3E", "1%3B+DROP+TABLE+T", "1+--+x", "%00", "%FF%FE",
      "1'+OR+'1'='1", big};
  const std::vector<std::string> suffixes = {
      "CurrRecord", "CountRecords", "maxrecords", "SQL", "SQLSignature", "FormDisplay",
      "OrderByFields", "OrderByDesc", "NEXT.x", "PREV.x", "FIRST.x", "LAST.x", "Bookmark",
      "FormEdit", "FormAdd", "FormView", "PK"};
  for (const std::string& suffix : suffixes) {
    for (const std::string& value : hostile) {
      const std::string query = "Vexmo1" + suffix + "=" + value + "&Vexmo1" + suffix + "=2&x=" + value;
      const RenderedPage page = Get(query, [](DbView& v) { v.SetEditOptions("ADD"); });
      EXPECT_EQ(page.output.find("<script>"), std::string::npos) << suffix;
    }
  }
  auto connection = std::make_shared<Connection>();
  connection->Open(ConnectionString());
  Recordset rows;
  rows.Open("SELECT COUNT(*) AS n FROM T", connection);
  EXPECT_EQ(rows.Fields().Item("n").Value(), Variant(3));
}

}  // namespace
}  // namespace kelvo::testing
