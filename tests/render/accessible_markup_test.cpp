// Grid markup with AccessibleMarkup: names, states and labels for assistive technology, valid
// nesting, and page-supplied texts encoded where they become attribute or label content.
#include <gtest/gtest.h>

#include <string>

#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

class AccessibleMarkupTest : public GridPageTest {
 protected:
  void SetUp() override {
    GridPageTest::SetUp();
    if (IsSkipped()) return;
    MakeTable(25);
  }

  static std::function<void(DbView&)> Grid(const std::function<void(DbView&)>& more = nullptr) {
    return [more](DbView& v) {
      v.SetAccessibleMarkup(true);
      v.SetRecordsPerPage(10);
      v.SetDisplayNavBar("both");
      v.SetDisplayRecordsPerPageSelect(true);
      v.SetDisplayExcelIcon(true);
      if (more) more(v);
    };
  }

  static std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
      ++count;
    }
    return count;
  }
};

void ExpectHas(const std::string& html, const std::string& piece) {
  EXPECT_NE(html.find(piece), std::string::npos) << "lacks " << piece << " in\n" << html;
}

TEST_F(AccessibleMarkupTest, TheFormHoldsTheFrameAndNoInputSitsDirectlyInATable) {
  const RenderedPage page = Get("", Grid());
  ASSERT_EQ(page.errors, "");
  ExpectHas(page.output,
            "<form name=\"FormKelvoGrid1\" id=\"FormKelvoGrid1\" action=\"/list.asp\" "
            "method=\"post\">\r\n<table role=\"presentation\" border=\"0\" cellspacing=\"0\" "
            "cellpadding=\"0\">\r\n");
  EXPECT_EQ(page.output.substr(page.output.size() - 17), "</table>\r\n</form>");
  ExpectHas(page.output, "<tr hidden><td><input type=\"hidden\" name=\"Vexmo1CurrRecord\" value=\"1\">");
  EXPECT_EQ(page.output.find(" cols=\""), std::string::npos);
  EXPECT_EQ(page.output.find("<nobr>"), std::string::npos);
}

TEST_F(AccessibleMarkupTest, ButtonsHeadingsAndTheBarAreNamed) {
  const RenderedPage first = Get("Vexmo1OrderByFields=1", Grid([](DbView& v) {
    v.SetGridLabel("Prices & <names>");
  }));
  ExpectHas(first.output, " aria-label=\"Prices &amp; &lt;names&gt;\">");
  ExpectHas(first.output, "<th scope=\"col\" class=\"KLVOTableTH\">#</th>");
  ExpectHas(first.output, "scope=\"col\" aria-sort=\"ascending\" align=\"right\"");
  ExpectHas(first.output, "<img border=\"0\" src=\"../gfx/orderasc.gif\" alt=\"sorted ascending\">");
  EXPECT_EQ(Count(first.output, "scope=\"col\""), 4u);
  EXPECT_EQ(Count(first.output, "aria-sort="), 1u);
  ExpectHas(first.output, "<div role=\"group\" aria-label=\"Record navigation\"><table "
                          "role=\"presentation\" width=\"100%\" cellpadding=0 cellspacing=0>");
  ExpectHas(first.output, "<img src=\"../gfx/firstpgd.gif\" border=\"0\" alt=\"First Page (not "
                          "available)\">");
  ExpectHas(first.output, "<input type=\"image\" src=\"../gfx/nextpg.gif\" name=\"Vexmo1NEXT\" "
                          "border=\"0\" title=\"Next 10 Records\" alt=\"Next 10 Records\" > ");
  ExpectHas(first.output, "<input title=\"Excel export\" alt=\"Excel export\" type=\"image\"");
  // Both bars show the position; the first one announces it.
  ExpectHas(first.output, "&nbsp;<span role=\"status\">Record (1..10) of 25</span></td>");
  EXPECT_EQ(Count(first.output, "role=\"status\""), 1u);

  const RenderedPage last = Post("Vexmo1CurrRecord=1&Vexmo1maxrecords=10&Vexmo1OrderByFields=1&"
                                 "Vexmo1OrderByDesc=True&Vexmo1LAST.x=1",
                                 Grid());
  ExpectHas(last.output, "scope=\"col\" aria-sort=\"descending\"");
  ExpectHas(last.output, "alt=\"sorted descending\">");
  ExpectHas(last.output, "<img src=\"../gfx/lastpgd.gif\" border=\"0\" alt=\"Last Page (not "
                         "available)\">");
}

TEST_F(AccessibleMarkupTest, ThePageSizeIsLabelledAndChangesByItsButton) {
  const RenderedPage page = Get("", Grid());
  ExpectHas(page.output, "<label for=\"Vexmo1maxrecords\">Records per Page</label>&nbsp;:&nbsp;"
                         "<select id=\"Vexmo1maxrecords\" class=\"KLVOTableRecPerPage\" "
                         "name=\"Vexmo1maxrecords\">\r\n");
  ExpectHas(page.output, "</select>\r\n<input class=\"KelvoInputBtn\" type=\"submit\" "
                         "value=\"Show\">\r\n");
  EXPECT_EQ(page.output.find("onchange"), std::string::npos);
}

TEST_F(AccessibleMarkupTest, PageTextsAreEncodedAndFollowTheLanguage) {
  const RenderedPage own = Get("Vexmo1CurrRecord=11", Grid([](DbView& v) {
    v.SetLanguageString("Fwd \"x\",Fwd \"x\",Back,Back,Row,Rows,List,of,First,Last,Rows <per> page,Page");
  }));
  ExpectHas(own.output, "title=\"Fwd &quot;x&quot; 10 Rows\" alt=\"Fwd &quot;x&quot; 10 Rows\"");
  ExpectHas(own.output, "<label for=\"Vexmo1maxrecords\">Rows &lt;per&gt; page</label>");

  const RenderedPage german = Get("Vexmo1OrderByFields=1", Grid([](DbView& v) {
    v.SetLanguage("GER");
  }));
  ExpectHas(german.output, "aria-label=\"Datensatznavigation\"");
  ExpectHas(german.output, "alt=\"aufsteigend sortiert\"");
  ExpectHas(german.output, "alt=\"Erste Seite (nicht verf\u00fcgbar)\"");
  ExpectHas(german.output, "value=\"Anzeigen\"");
}

TEST_F(AccessibleMarkupTest, TheRecordViewKeepsItsInputsInRowsAndHeadsItsRows) {
  const RenderedPage page = Get("Vexmo1FormDisplay=formOneRec&Vexmo1Bookmark=3",
                                Grid([](DbView& v) {
                                  v.SetEditPrimaryKeys("id");
                                  v.SetEditOptions("UPDATE");
                                }));
  ASSERT_EQ(page.errors, "");
  ExpectHas(page.output, "<tr hidden><td><input type=\"hidden\" name=\"Vexmo1PK\" value=''>");
  ExpectHas(page.output, "<th class=\"KLVOTableFormDataView\" scope=\"row\" align=left>");
  EXPECT_EQ(page.output.find("colspan=2"), std::string::npos);
}

}  // namespace
}  // namespace kelvo::testing
