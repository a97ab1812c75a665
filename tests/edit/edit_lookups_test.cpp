#include "edit/edit_lookups.h"

#include <gtest/gtest.h>

#include "edit_page.h"
#include "kelvo/db_view.h"

namespace kelvo::testing {
namespace {

using detail::GetLookupSelect;

class EditLookupsTest : public EditStateTest {
 protected:
  void SetUp() override {
    EditStateTest::SetUp();
    if (IsSkipped()) return;
    connection_->Execute("CREATE TABLE C (code VARCHAR(10), label VARCHAR(20))");
    connection_->Execute(
        "INSERT INTO C VALUES ('no', 'Norway'), ('a\"b', 'Quote & <Co>'), ('se', 'Sweden')");
  }
};

TEST(EditLookupDefinitions, AreStoredAndFoundByFieldIgnoringCase) {
  DbView view;
  EXPECT_EQ(view.EditLookupAsString("CountryId"), "");
  view.AddEditLookup("countryid", "Countries", "Id", "Name", "Name", true);
  view.AddEditLookup("CountryId", "Other", "Id", "Name", "", false);
  EXPECT_EQ(view.EditLookupAsString("CountryId"), "countryid,Countries,Id,Name,Name,1");
  const Variant args[] = {Variant("Tag"),  Variant("Tags"), Variant("Code"),
                          Variant("Text"), Variant(""),     Variant(false)};
  view.Invoke("addeditlookup", CallKind::kMethod, args);
  const Variant field[] = {Variant("TAG")};
  EXPECT_EQ(view.Invoke("EditLookupAsString", CallKind::kPropertyGet, field),
            Variant("Tag,Tags,Code,Text,,0"));
  EXPECT_EQ(view.ArgumentNames("AddEditLookup"),
            "FieldName,LookupTable,LinkField,DisplayField,OrderBy,AllowNulls");
  EXPECT_EQ(view.ArgumentNames("EditLookupAsString"), "FieldName");
}

TEST_F(EditLookupsTest, SelectListWithEmptyChoiceAndTheRawValueSelected) {
  const std::string html =
      GetLookupSelect(s_, "Vexmo1_Form_tag", "tag,C,code,label,label,1", "a\"b", "", false);
  EXPECT_EQ(html,
            "<select id=\"Vexmo1_Form_tag\" name=\"Vexmo1_Form_tag\">\r\n"
            "<option value=''>\r\n"
            "<option  value=\"no\">Norway\r\n"
            "<option  selected  value=\"a&quot;b\">Quote &amp; &lt;Co&gt;\r\n"
            "<option  value=\"se\">Sweden\r\n"
            "</select>\r\n");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(EditLookupsTest, NullsNotAllowedAndACommaInTheOrderShiftsTheParts) {
  std::string html = GetLookupSelect(s_, "N", "tag,C,code,label,code,0", "se", " disabled ", false);
  EXPECT_TRUE(
      html.starts_with("<select  disabled id=\"N\" name=\"N\">\r\n<option  value=\"a&quot;b\">"))
      << html;
  EXPECT_NE(html.find("<option  selected  value=\"se\">Sweden"), std::string::npos);
  // OrderBy "label,code" leaves "code" where the flag belongs: no empty choice.
  html = GetLookupSelect(s_, "N", "tag,C,code,label,label,code,1", "", "", false);
  EXPECT_EQ(html.find("<option value=''>"), std::string::npos);
  EXPECT_NE(html.find("<option  value=\"no\">Norway\r\n<option  value=\"a&quot;b\">"),
            std::string::npos)
      << html;  // ordered by label only
}

TEST_F(EditLookupsTest, AStoredValueTheTableLacksIsKeptInTheEditForm) {
  EXPECT_TRUE(GetLookupSelect(s_, "N", "tag,C,code,label,,0", "dk", "", true)
                  .starts_with("<select id=\"N\" name=\"N\">\r\n"
                               "<option  selected  value=\"dk\">dk\r\n<option  value=\"no\">"));
  EXPECT_EQ(GetLookupSelect(s_, "N", "tag,C,code,label,,0", "dk", "", false).find("dk"),
            std::string::npos);
  EXPECT_EQ(GetLookupSelect(s_, "N", "tag,C,code,label,,1", "", "", true).find(" selected "),
            std::string::npos);  // null is the empty choice
}

TEST_F(EditLookupsTest, FailuresAreReportedAndGiveNoList) {
  const std::string missing =
      OnPostgres() ? "relation \"missing\" does not exist" : "no such table: Missing";
  EXPECT_EQ(GetLookupSelect(s_, "N", "tag,Missing,code,label,,1", "", "", false), "");
  EXPECT_EQ(s_.ErrorMessage, missing + "<br>");
  s_.ErrorMessage.clear();
  s_.DisplayDebug = true;
  EXPECT_EQ(GetLookupSelect(s_, "N", "tag,Missing,code,label,label,1", "", "", false), "");
  EXPECT_EQ(s_.ErrorMessage,
            missing + ". lookup sql=SELECT code,label FROM Missing ORDER BY label<br>");
  s_.ErrorMessage.clear();
  EXPECT_EQ(GetLookupSelect(s_, "N", "tag,C,code", "", "", false), "");
  EXPECT_NE(s_.ErrorMessage.find("needs a table, a link field and a display field"),
            std::string::npos);
}

}  // namespace
}  // namespace kelvo::testing
