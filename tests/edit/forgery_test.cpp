#include <gtest/gtest.h>

#include "edit_page.h"

namespace kelvo::testing {
namespace {

// Requests an attacker can make: each leaves P as it was, and no markup from the request
// reaches the page unencoded.
class ForgeryTest : public EditPageTest {
 protected:
  void SetUp() override {
    EditPageTest::SetUp();
    if (!IsSkipped()) before_ = Rows("SELECT * FROM P ORDER BY id");
  }
  void ExpectUnchanged() { EXPECT_EQ(Rows("SELECT * FROM P ORDER BY id"), before_); }
  static void ExpectNoMarkup(const RenderedPage& page) {
    EXPECT_EQ(page.output.find("<script>"), std::string::npos) << page.output;
    EXPECT_EQ(page.output.find("<img src=x>"), std::string::npos) << page.output;
  }
  RenderedPage PostForm(const std::string& body, const Configure& configure = Editing()) {
    return Render(RequestData::Post("/list.asp", body), configure);
  }
  std::vector<std::vector<std::string>> before_;
};

TEST_F(ForgeryTest, KeyValuesNeverBecomeSql) {
  RenderedPage page =
      PostForm("Vexmo1FormDelete=Delete&Vexmo1_Form_id=0)+OR+(1%3D1&Vexmo1FormDisplay=formOneRec");
  EXPECT_NE(page.output.find("Delete failed: The key value &#39;0) OR (1=1&#39; of id is not a "
                             "number<br>"),
            std::string::npos)
      << page.output;
  EXPECT_EQ(page.errors, "The key value '0) OR (1=1' of id is not a number in UpdateRecord.<br>");
  page = PostForm("Vexmo1FormUpdate=Save&Vexmo1Key_Form_id=1+OR+1%3D1&Vexmo1_Form_tag=x");
  EXPECT_NE(page.errors.find("is not a number in UpdateRecord.<br>"), std::string::npos);
  page = PostForm("Vexmo1FormUpdate=Save&Vexmo1_Form_id=&Vexmo1_Form_tag=x");
  EXPECT_EQ(page.errors, "The key value '' of id is empty in UpdateRecord.<br>");
  page = OpenEdit("0) UNION SELECT sql, 1, 1, 1, 1, 1, 1, 1, 1 FROM sqlite_master --", Editing());
  EXPECT_EQ(page.output.find("CREATE TABLE"), std::string::npos);
  ExpectUnchanged();
}

TEST_F(ForgeryTest, BracketsInTextKeysStayPartOfTheValue) {
  Execute("CREATE TABLE K (code VARCHAR(10) PRIMARY KEY, label VARCHAR(10))");
  Execute("INSERT INTO K VALUES ('AB1', 'one'), ('AB[1]', 'bracketed')");
  const Configure keyed = [](DbView& v) {
    v.SetSql("SELECT code FROM K");
    v.SetEditSQL("SELECT * FROM K");
    v.SetEditPrimaryKeys("code");
    v.SetEditOptions("ALL");
    v.SetDeleteSQL("DELETE FROM K");
  };
  BrowserForm form(OpenEdit("AB[1]", keyed).output);
  form.Set("Vexmo1_Form_label", "changed");
  Press(form, "Vexmo1FormUpdate", keyed);
  EXPECT_EQ(Rows("SELECT label FROM K ORDER BY code"),
            (std::vector<std::vector<std::string>>{{"one"}, {"changed"}}));
  Press(BrowserForm(OpenEdit("AB[1]", keyed).output), "Vexmo1FormDelete", keyed);
  EXPECT_EQ(Rows("SELECT code FROM K"), (std::vector<std::vector<std::string>>{{"AB1"}}));
}

TEST_F(ForgeryTest, LinksAndCookiesNeverWrite) {
  RenderedPage page =
      Get("Vexmo1FormDelete=1&Vexmo1_Form_id=1&Vexmo1FormDisplay=formOneRec", Editing());
  EXPECT_EQ(page.output.find("[Record deleted]"), std::string::npos);
  RequestData request = RequestData::Post("/list.asp", "Vexmo1FormDisplay=formOneRec");
  request.cookies = {
      {"Vexmo1FormUpdate", "Save"}, {"Vexmo1_Form_id", "1"}, {"Vexmo1_Form_name", "Mallory"}};
  page = Render(request, Editing());
  EXPECT_EQ(page.errors, "");
  ExpectUnchanged();
}

TEST_F(ForgeryTest, OptionsCannotBeBypassed) {
  BrowserForm form(OpenEdit("1", Editing()).output);
  RenderedPage page =
      Press(form, "Vexmo1FormDelete", Editing([](DbView& v) { v.SetEditOptions("UPDATE"); }));
  EXPECT_NE(page.output.find("Delete failed: EditOptions does not allow deleting records<br>"),
            std::string::npos);
  form.Set("Vexmo1FormInsert", "1");
  form.Set("Vexmo1_Form_id", "9");
  page = Press(form, "Vexmo1FormUpdate", Editing([](DbView& v) { v.SetEditOptions("UPDATE"); }));
  EXPECT_NE(page.output.find("Record WAS NOT SAVED: EditOptions does not allow adding records"),
            std::string::npos);
  ExpectUnchanged();
}

TEST_F(ForgeryTest, OnlyFieldsTheFormShowsAreWritten) {
  const Configure hidden = Editing([](DbView& v) { v.SetFormFieldsHide("qty,notes"); });
  BrowserForm form(OpenEdit("1", hidden).output);
  EXPECT_FALSE(form.Has("Vexmo1_Form_qty"));
  const std::string body =
      form.Body("Vexmo1FormUpdate") + "&Vexmo1_Form_qty=666&Vexmo1_Form_notes=&Vexmo1_Form_photo=x";
  const RenderedPage page = PostForm(body, hidden);
  EXPECT_NE(page.output.find("[Record saved ok]"), std::string::npos);
  ExpectUnchanged();
}

TEST_F(ForgeryTest, PostedMarkupIsEncodedWhereverItIsShown) {
  const std::string script = "%3Cscript%3Ealert(1)%3C%2Fscript%3E";
  BrowserForm form(OpenEdit("1", Editing()).output);
  for (const char* field : {"name", "qty", "born", "notes"}) {
    form.Set(std::string("Vexmo1_Form_") + field, "<script>alert(1)</script>");
  }
  form.Set("Vexmo1_Form_tag", "<img src=x>");
  RenderedPage page = Press(form, "Vexmo1FormUpdate", Editing());
  EXPECT_NE(page.output.find("&lt;script&gt;alert(1)&lt;/script&gt; is not a number"),
            std::string::npos);
  ExpectNoMarkup(page);
  page = PostForm("Vexmo1FormDelete=Delete&Vexmo1FormDisplay=formOneRec&Vexmo1_Form_id=" + script);
  ExpectNoMarkup(page);
  page = OpenEdit("<script>", Editing());
  ExpectNoMarkup(page);
  ExpectUnchanged();
}

}  // namespace
}  // namespace kelvo::testing
