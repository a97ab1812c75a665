#include "edit/edit_form.h"

#include <gtest/gtest.h>

#include "edit/key_condition.h"
#include "edit/record_hash.h"
#include "edit_page.h"

namespace kelvo::testing {
namespace {

using detail::RenderEditForm;

class EditFormTest : public EditStateTest {
 protected:
  EditFormTest() {
    s_.EditOptions = "ALL ADD UPDATE DELETE";
    s_.DeleteSQL = "DELETE FROM P";
  }

  // The form of record `id` (every field of P, or `statement`).
  std::string Form(int id = 1, const std::string& statement = "SELECT * FROM P") {
    auto recordset = Open(statement + " WHERE id = " + std::to_string(id));
    rows_ = 0;
    RenderEditForm(s_, *recordset, rows_);
    return Written();
  }

  // The hidden inputs of the record check of record `id` as it is stored.
  std::string CheckOf(int id) {
    auto recordset = Open("SELECT * FROM P WHERE id = " + std::to_string(id));
    return detail::RecordCheckInputs(s_, detail::VersionOf(s_, *recordset));
  }

  std::int32_t rows_ = -1;
};

constexpr char kButtonBarStart[] =
    "<tr><td><table width=\"100%\" cellspacing=0 cellpadding=0>\r\n"
    "<tr><td colspan=2 class=\"KelvoEditBtnBar\">\r\n"
    "<input type=\"hidden\" name=\"Vexmo1FormEdit\" value=\"1\">\r\n";

std::string SubmitButton(const std::string& leading, const std::string& suffix,
                         const std::string& caption, const std::string& script = "") {
  return leading +
         "<input class=\"KelvoInputBtn\" type=\"submit\" "
         "onclick=\"FormKelvoGrid1.Vexmo1FormEdit.value=''" +
         script + "\" name=\"Vexmo1" + suffix + "\" value=\"" + caption + "\">\r\n";
}

TEST_F(EditFormTest, ButtonBarAndRequiredFieldRowWithEveryOption) {
  const std::string html = Form();
  const std::string button_bar =
      std::string(kButtonBarStart) +
      "<input type=\"hidden\" name=\"Vexmo1FormInsert\" value=\"\">\r\n" +
      "<input type=\"hidden\" name=\"Vexmo1Key_Form_id\" value=\"1\">\r\n" + CheckOf(1) +
      SubmitButton("", "FormUpdate", "Save") + SubmitButton("&nbsp;", "FormView", "Close") +
      SubmitButton("&nbsp;", "FormAdd", "Add") +
      SubmitButton("&nbsp;", "FormDelete", "Delete", ";") +
      "</td></tr>\r\n\r\n</table></td></tr>\r\n"
      "<tr><td><table width=\"100%\" class=\"KLVOTableFormDataEdit\" border=\"0\" "
      "cellspacing=\"0\" >\r\n";
  ASSERT_EQ(html.rfind(button_bar, 0), 0u) << html;
  EXPECT_NE(html.find("<tr class=\"KLVOTableFormDataEdit\">\r\n<th class=\"KLVOTableFormDataEdit\" "
                      "align=left><span class=\"KelvoRequiredFieldLabel\">name</span></th>"
                      "<td class=\"KLVOTableFormDataEdit\"><nobr><input class=\"KelvoInput\" "
                      "size=22 type=\"text\" id=\"Vexmo1_Form_name\" name=\"Vexmo1_Form_name\" "
                      "value=\"Ann\" maxlength=\"20\">&nbsp;*&nbsp;</nobr>\r\n</td>\r\n</tr>\r\n"),
            std::string::npos)
      << html;
  EXPECT_TRUE(html.ends_with("</table></td></tr>\r\n"));
  EXPECT_EQ(rows_, 1);
  ASSERT_EQ(s_.mvarCurrentRowValues.size(), 9u);
  EXPECT_EQ(s_.mvarCurrentRowValues[1], Variant("Ann"));
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(EditFormTest, AddModeHasNoAddNoDeleteAndMarksTheInsert) {
  UseRequest(RequestData::Get("/list.asp", "Vexmo1FormAdd=1"));
  const std::string html = Form();
  EXPECT_NE(html.find("name=\"Vexmo1FormInsert\" value=\"1\">"), std::string::npos);
  EXPECT_EQ(html.find("Vexmo1FormAdd"), std::string::npos);
  EXPECT_EQ(html.find("Vexmo1FormDelete"), std::string::npos);
  EXPECT_EQ(html.find("Key_Form_"), std::string::npos);  // nothing to find yet
  EXPECT_EQ(html.find("Was_Form_"), std::string::npos);
  EXPECT_NE(html.find("Hash_Form_"), std::string::npos);  // the add form's signature
  EXPECT_TRUE(s_.mvarCurrentRowValues.empty());
}

TEST_F(EditFormTest, FailedInsertStaysAnInsert) {
  UseRequest(RequestData::Post("/list.asp", "Vexmo1FormInsert=1&Vexmo1FormUpdate=Save"));
  EXPECT_NE(Form().find("name=\"Vexmo1FormInsert\" value=\"\">"), std::string::npos);
  s_.mvarUpdateFailed = true;
  const std::string html = Form();
  EXPECT_NE(html.find("name=\"Vexmo1FormInsert\" value=\"1\">"), std::string::npos);
  EXPECT_EQ(html.find("Was_Form_"), std::string::npos);
  // No record exists yet to delete, and Add would drop what was typed.
  EXPECT_EQ(html.find("Vexmo1FormAdd"), std::string::npos);
  EXPECT_EQ(html.find("Vexmo1FormDelete"), std::string::npos);
}

TEST_F(EditFormTest, OptionsDecideTheButtons) {
  s_.EditOptions = "UPDATE NOVIEW";
  std::string html = Form();
  EXPECT_EQ(html.find("FormView"), std::string::npos);
  EXPECT_EQ(html.find("FormAdd"), std::string::npos);
  EXPECT_EQ(html.find("FormDelete"), std::string::npos);
  s_.EditOptions = "UPDATE DELETE";
  s_.DeleteSQL = "";
  EXPECT_EQ(Form().find("FormDelete"), std::string::npos);
}

TEST_F(EditFormTest, ConfirmationTextIsAScriptString) {
  s_.EditConfirmDeleteString = "Don't delete \"this\"?";
  EXPECT_NE(Form().find(SubmitButton("&nbsp;", "FormDelete", "Delete",
                                     ";return confirm('Don\\x27t delete \\x22this\\x22?');")),
            std::string::npos);
}

TEST_F(EditFormTest, HiddenKeyIsPostedOutsideTheRows) {
  s_.FormFieldsHide = "id,photo";
  const std::string html = Form();
  EXPECT_NE(html.find("cellspacing=\"0\" >\r\n<input type=\"hidden\" name=\"Vexmo1_Form_id\" "
                      "value=\"1\">\r\n<tr class="),
            std::string::npos)
      << html;
  EXPECT_EQ(html.find(">photo</th>"), std::string::npos);
}

TEST_F(EditFormTest, CaptionsWidthsAndCellTags) {
  s_.FormCellWidths = "30%,70%";
  s_.FormTDTag = "valign=top";
  s_.TDTag = "nowrap";
  s_.THTag = "align=right";
  s_.FormDisplayFieldNames = "Key,Name";
  std::string html = Form();
  EXPECT_NE(html.find("<th class=\"KLVOTableFormDataEdit\" align=right width=\"30%\"><span "
                      "class=\"KelvoRequiredFieldLabel\">Key</span></th>"
                      "<td class=\"KLVOTableFormDataEdit\" valign=top nowrap width=\"30%\">"),
            std::string::npos)
      << html;
  s_.DisplayHeader = false;
  html = Form();
  EXPECT_EQ(html.find("<th"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"KLVOTableFormDataEdit\" valign=top nowrap><nobr><input"),
            std::string::npos);
}

// With AccessibleMarkup a width is a style, a binary field has no label, without captions each
// editor keeps a label out of sight, and a hidden key's input sits in a hidden row.
TEST_F(EditFormTest, AccessibleCaptionsWidthsAndHiddenLabels) {
  s_.AccessibleMarkup = true;
  s_.FormCellWidths = "120,70%";
  std::string html = Form();
  EXPECT_NE(html.find("<th class=\"KLVOTableFormDataEdit\" scope=\"row\" style=\"width:120px\">"
                      "<label for=\"klv1editor_2\"><span class=\"KelvoRequiredFieldLabel\">"
                      "name</span></label></th><td class=\"KLVOTableFormDataEdit\" "
                      "style=\"width:120px\">"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("scope=\"row\" style=\"width:120px\">photo</th>"), std::string::npos);
  s_.DisplayHeader = false;
  html = Form();
  EXPECT_EQ(html.find("<th"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"KLVOTableFormDataEdit\"><label for=\"klv1editor_2\" "
                      "style=\"position:absolute;left:-10000px;width:1px;height:1px;overflow:hidden\">"
                      "name</label><span style=\"white-space:nowrap\"><input"),
            std::string::npos)
      << html;
  EXPECT_EQ(html.find("for=\"klv1editor_8\""), std::string::npos);
  s_.FormFieldsHide = "id";
  EXPECT_NE(Form().find("<tr hidden><td><input type=\"hidden\" name=\"Vexmo1_Form_id\" "
                        "value=\"1\">\r\n</td></tr>\r\n"),
            std::string::npos);
}

TEST_F(EditFormTest, WithoutCssNoClassIsWritten) {
  s_.UseCSS = false;
  const std::string html = Form();
  // Only the text area and the checkbox keep their classes.
  EXPECT_EQ(html.find("class=\"K"), html.find("class=\"KelvoCheckBox\"")) << html;
  EXPECT_EQ(html.find("KLVO"), std::string::npos);
  EXPECT_NE(html.find("<input type=\"submit\" onclick="), std::string::npos);
  EXPECT_NE(html.find("<tr>\r\n<th align=left><span>name</span></th><td><nobr><input size=22 "),
            std::string::npos)
      << html;
}

TEST_F(EditFormTest, EmptyRecordsetWritesNothing) {
  auto recordset = Open("SELECT * FROM P WHERE id = 99");
  RenderEditForm(s_, *recordset, rows_);
  EXPECT_EQ(Written(), "");
  EXPECT_EQ(rows_, 1);
}

TEST_F(EditFormTest, AfterAFailedSaveTheIdentityIsTheOnePosted) {
  UseRequest(RequestData::Post(
      "/list.asp", "Vexmo1FormUpdate=Save&Vexmo1Key_Form_id=2&Vexmo1Hash_Form_=abc%22"));
  s_.mvarUpdateFailed = true;
  const std::string html = Form(1);
  EXPECT_NE(html.find("name=\"Vexmo1Key_Form_id\" value=\"2\">"), std::string::npos);
  EXPECT_NE(html.find("name=\"Vexmo1Hash_Form_\" value=\"abc&quot;\">"), std::string::npos);
  // After a post this server cannot vouch for, the record as it now stands is shown, with its
  // own identity.
  s_.mvarShowStored = true;
  const std::string current = Form(1);
  EXPECT_NE(current.find("name=\"Vexmo1Key_Form_id\" value=\"1\">"), std::string::npos);
  EXPECT_NE(current.find(CheckOf(1)), std::string::npos);
}

TEST(IsPrimaryKeyField, ComparesTrimmedNamesIgnoringCase) {
  detail::DbViewState s;
  EXPECT_FALSE(detail::IsPrimaryKeyField(s, "id"));
  s.EditPrimaryKeys = " Id , Code";
  EXPECT_TRUE(detail::IsPrimaryKeyField(s, "ID"));
  EXPECT_TRUE(detail::IsPrimaryKeyField(s, "code"));
  EXPECT_FALSE(detail::IsPrimaryKeyField(s, "Name"));
}

}  // namespace
}  // namespace kelvo::testing
