#include "edit/field_editor.h"

#include <gtest/gtest.h>

#include "edit_page.h"

namespace kelvo::testing {
namespace {

class FieldEditorTest : public EditStateTest {
 protected:
  // The editor of `field` (column `column`) for record `id`.
  std::string Editor(const std::string& field, int column, int id = 1) {
    recordset_ = Open("SELECT * FROM P WHERE id = " + std::to_string(id));
    return detail::GetFormEditField(s_, recordset_->Fields().Item(field), column);
  }
  std::shared_ptr<Recordset> recordset_;
};

TEST_F(FieldEditorTest, TextInputsAreSizedByTheirField) {
  // `free` is text of no declared size: SQLite's column without a type, PostgreSQL's varchar.
  connection_->Execute("CREATE TABLE S (id " + KeyType() +
                       ", short VARCHAR(10), long VARCHAR(100), free" +
                       (OnPostgres() ? " VARCHAR" : "") + ")");
  connection_->Execute("INSERT INTO S VALUES (1, 'a', 'b', 'c')");
  recordset_ = Open("SELECT * FROM S");
  FieldCollection& fields = recordset_->Fields();
  EXPECT_EQ(detail::GetFormEditField(s_, fields.Item("short"), 2),
            "<input class=\"KelvoInput\" size=12 type=\"text\" id=\"Vexmo1_Form_short\" "
            "name=\"Vexmo1_Form_short\" value=\"a\" maxlength=\"10\">\r\n");
  EXPECT_NE(detail::GetFormEditField(s_, fields.Item("long"), 3).find("size=60 type"),
            std::string::npos);
  EXPECT_NE(detail::GetFormEditField(s_, fields.Item("long"), 3).find("maxlength=\"100\""),
            std::string::npos);
  EXPECT_NE(detail::GetFormEditField(s_, fields.Item("free"), 4).find("size=60 type"),
            std::string::npos);
  EXPECT_NE(detail::GetFormEditField(s_, fields.Item("free"), 4).find("maxlength=\"\""),
            std::string::npos);
  s_.UseCSS = false;
  EXPECT_EQ(detail::GetFormEditField(s_, fields.Item("id"), 1),
            "<nobr><input size=20 type=\"text\" id=\"Vexmo1_Form_id\" name=\"Vexmo1_Form_id\" "
            "value=\"1\" maxlength=\"20\">&nbsp;*&nbsp;</nobr>\r\n");
}

TEST_F(FieldEditorTest, EachTypeHasItsControl) {
  EXPECT_EQ(Editor("notes", 7),
            "<textarea cols=60 rows=5 class=\"KelvoTextArea\" id=\"Vexmo1_Form_notes\" "
            "name=\"Vexmo1_Form_notes\">note</textarea>\r\n\r\n");
  EXPECT_EQ(Editor("active", 6),
            "<input type=\"checkbox\" class=\"KelvoCheckBox\" id=\"Vexmo1_Form_active\" "
            "name=\"Vexmo1_Form_active\" checked >\r\n");
  EXPECT_EQ(Editor("active", 6, 2),
            "<input type=\"checkbox\" class=\"KelvoCheckBox\" id=\"Vexmo1_Form_active\" "
            "name=\"Vexmo1_Form_active\">\r\n");
  EXPECT_EQ(
      Editor("born", 5),
      "<input class=\"KelvoInput\" size=22 maxlength=25 type=\"text\" id=\"Vexmo1_Form_born\" "
      "name=\"Vexmo1_Form_born\" value=\"5/1/1990\">\r\n");
  EXPECT_TRUE(Editor("born", 5, 2).ends_with(" value=\"\">\r\n"));
  EXPECT_EQ(Editor("photo", 8), "\r\n");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FieldEditorTest, ReadOnlyFieldsPostTheirValueThroughACarrier) {
  s_.EditFieldsReadOnly = "tag,2";
  EXPECT_EQ(Editor("tag", 9),
            "<input  disabled class=\"KelvoInput\" size=12 type=\"text\" id=\"Vexmo1_Form_tag\" "
            "name=\"Vexmo1_Form_tag\" value=\"a\" maxlength=\"10\"><input type=\"hidden\" "
            "name=\"Vexmo1_Form_tag\" value=\"a\">\r\n");
  EXPECT_EQ(Editor("name", 2),
            "<nobr><input  disabled class=\"KelvoInput\" size=22 type=\"text\" "
            "id=\"Vexmo1_Form_name\" name=\"Vexmo1_Form_name\" value=\"Ann\" maxlength=\"20\">"
            "<input type=\"hidden\" name=\"Vexmo1_Form_name\" value=\"Ann\">&nbsp;*&nbsp;"
            "</nobr>\r\n");
}

TEST_F(FieldEditorTest, HiddenKeyIsOnlyAHiddenInput) {
  s_.FormFieldsShow = "name";
  EXPECT_EQ(Editor("id", 1), "<input type=\"hidden\" name=\"Vexmo1_Form_id\" value=\"1\">\r\n");
}

TEST_F(FieldEditorTest, ValuesAreEncodedSoTheBrowserPostsThemBack) {
  connection_->Execute(
      "UPDATE P SET tag = '\"&amp;<', notes = '</textarea><script>x</script> AT&amp;T' "
      "WHERE id = 1");
  EXPECT_NE(Editor("tag", 9).find("value=\"&quot;&amp;amp;&lt;\""), std::string::npos);
  EXPECT_NE(Editor("notes", 7)
                .find(">&lt;/textarea&gt;&lt;script&gt;x&lt;/script&gt; "
                      "AT&amp;amp;T</textarea>"),
            std::string::npos);
}

TEST_F(FieldEditorTest, AfterAFailedSaveEditorsShowWhatWasPosted) {
  UseRequest(RequestData::Post(
      "/list.asp", "Vexmo1_Form_name=+Zed+&Vexmo1_Form_notes=%3Cb%3E&Vexmo1_Form_born=x"));
  s_.mvarUpdateFailed = true;
  EXPECT_NE(Editor("name", 2).find("value=\"Zed\""), std::string::npos);
  EXPECT_NE(Editor("notes", 7).find(">&lt;b&gt;</textarea>"), std::string::npos);
  EXPECT_NE(Editor("born", 5).find("value=\"x\""), std::string::npos);
  // The box was not posted, so it shows unticked although the record's is ticked.
  EXPECT_EQ(Editor("active", 6).find("checked"), std::string::npos);
  UseRequest(RequestData::Post("/list.asp", "Vexmo1_Form_active=on"));
  EXPECT_NE(Editor("active", 6, 2).find(" checked "), std::string::npos);
  // After a post this server cannot vouch for, the stored values are shown.
  s_.mvarShowStored = true;
  EXPECT_NE(Editor("name", 2).find("value=\"Ann\""), std::string::npos);
  EXPECT_EQ(Editor("active", 6, 2).find("checked"), std::string::npos);
}

TEST_F(FieldEditorTest, AddModeEmptiesOnlyDatesAndLongText) {
  UseRequest(RequestData::Get("/list.asp", "Vexmo1FormAdd=1"));
  EXPECT_NE(Editor("name", 2).find("value=\"Ann\""), std::string::npos);
  EXPECT_NE(Editor("born", 5).find("value=\"\""), std::string::npos);
  EXPECT_NE(Editor("notes", 7).find("\"></textarea>"), std::string::npos);
}

TEST_F(FieldEditorTest, MemoLimitZeroEmptiesTheTextAreaAndOtherLimitsKeepItWhole) {
  s_.MemoFieldLimit = 0;
  EXPECT_NE(Editor("notes", 7).find("\"></textarea>"), std::string::npos);
  s_.MemoFieldLimit = 2;
  EXPECT_NE(Editor("notes", 7).find(">note</textarea>"), std::string::npos);
}

TEST_F(FieldEditorTest, IndicatorFollowsRequiredFields) {
  s_.RequiredFieldIndicator = "<b>!</b>";
  EXPECT_TRUE(Editor("name", 2).ends_with("maxlength=\"20\"><b>!</b></nobr>\r\n"));
  EXPECT_EQ(Editor("tag", 9).find("<nobr>"), std::string::npos);
}

}  // namespace
}  // namespace kelvo::testing
