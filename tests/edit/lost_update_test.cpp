#include <gtest/gtest.h>

#include "component/captions.h"
#include "edit_page.h"

namespace kelvo::testing {
namespace {

using LostUpdateTest = EditPageTest;

TEST_F(LostUpdateTest, TheSecondOfTwoSavesIsRefusedAndTheFirstStands) {
  // The refused form shows the record at the page's position: without an order, PostgreSQL
  // lists an updated row last.
  const Configure ordered = Editing([](DbView& v) { v.SetOrderByFields("id"); });
  BrowserForm first(OpenEdit("1", ordered).output);
  BrowserForm second(OpenEdit("1", ordered).output);
  first.Set("Vexmo1_Form_name", "Annie");
  EXPECT_NE(Press(first, "Vexmo1FormUpdate", ordered).output.find("[Record saved ok]"),
            std::string::npos);

  second.Set("Vexmo1_Form_qty", "8");
  const RenderedPage refused = Press(second, "Vexmo1FormUpdate", ordered);
  EXPECT_NE(refused.output.find("&nbsp;Record WAS NOT SAVED. It was changed by another user."),
            std::string::npos);
  EXPECT_EQ(Rows("SELECT name, qty FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"Annie", "3"}}));

  // The form keeps what this user typed; a field only the other user changed takes the stored
  // value unless the user chooses otherwise, and saving again is a deliberate choice.
  BrowserForm current(refused.output);
  EXPECT_EQ(current.Value("Vexmo1_Form_qty"), "8");
  EXPECT_EQ(current.Value("Vexmo1Choice_Form_name"), "stored");
  EXPECT_FALSE(current.Has("Vexmo1Choice_Form_qty"));
  EXPECT_NE(Press(current, "Vexmo1FormUpdate", ordered).output.find("[Record saved ok]"),
            std::string::npos);
  EXPECT_EQ(Rows("SELECT name, qty FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"Annie", "8"}}));
}

// A delete, too, takes only the record the user saw: changed since, it is refused, and the form
// shows the record as it now stands, from which it may be deleted.
TEST_F(LostUpdateTest, ADeleteOfARecordChangedMeanwhileIsRefused) {
  const Configure ordered = Editing([](DbView& v) { v.SetOrderByFields("id"); });
  BrowserForm form(OpenEdit("1", ordered).output);
  Execute("UPDATE P SET tag = 'z' WHERE id = 1");
  const RenderedPage refused = Press(form, "Vexmo1FormDelete", ordered);
  EXPECT_NE(refused.output.find("It was changed by another user."), std::string::npos);
  EXPECT_EQ(Value("SELECT tag FROM P WHERE id = 1"), "z");
  BrowserForm current(refused.output);
  EXPECT_EQ(current.Value("Vexmo1_Form_tag"), "z");
  Press(current, "Vexmo1FormDelete", ordered);
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P WHERE id = 1"), "0");
}

TEST_F(LostUpdateTest, AFailedSaveKeepsTheHashOfWhatWasFirstShown) {
  BrowserForm form(OpenEdit("1", Editing()).output);
  form.Set("Vexmo1_Form_qty", "many");
  BrowserForm retry(Press(form, "Vexmo1FormUpdate", Editing()).output);
  Execute("UPDATE P SET tag = 'other' WHERE id = 1");
  retry.Set("Vexmo1_Form_qty", "4");
  const RenderedPage page = Press(retry, "Vexmo1FormUpdate", Editing());
  EXPECT_NE(page.output.find("It was changed by another user."), std::string::npos);
  EXPECT_EQ(Value("SELECT qty FROM P WHERE id = 1"), "3");
}

TEST_F(LostUpdateTest, ChangesToFieldsTheFormCannotSaveDoNotConflict) {
  const Configure configure = Editing([](DbView& v) {
    v.SetEditFieldsReadOnly("tag");
    v.SetFormFieldsHide("notes");
  });
  BrowserForm form(OpenEdit("1", configure).output);
  Execute("UPDATE P SET tag = 'z', notes = 'elsewhere', photo = " + BinaryLiteral("01") +
          " WHERE id = 1");
  form.Set("Vexmo1_Form_qty", "6");
  EXPECT_NE(Press(form, "Vexmo1FormUpdate", configure).output.find("[Record saved ok]"),
            std::string::npos);
  EXPECT_EQ(Rows("SELECT qty, tag, notes FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"6", "z", "elsewhere"}}));
}

// A post another site could forge carries no record check this server signed: the save, the
// delete and the insert are refused with 403 and nothing is written.
TEST_F(LostUpdateTest, APostWithoutTheRecordCheckWritesNothing) {
  const auto before = Rows("SELECT * FROM P ORDER BY id");
  const std::string refusal = "Nothing was changed: this form could not be verified.";
  for (const std::string body :
       {"Vexmo1FormUpdate=Save&Vexmo1_Form_id=1&Vexmo1_Form_name=Eve&Vexmo1_Form_qty=5",
        "Vexmo1FormUpdate=Save&Vexmo1Key_Form_id=1&Vexmo1_Form_name=Eve&Vexmo1Hash_Form_=00",
        "Vexmo1FormDelete=Delete&Vexmo1_Form_id=1",
        "Vexmo1FormUpdate=Save&Vexmo1FormInsert=1&Vexmo1_Form_id=7&Vexmo1_Form_name=Eve"}) {
    const RenderedPage page =
        Render(RequestData::Post("/list.asp", body + "&Vexmo1FormDisplay=formOneRec"), Editing());
    EXPECT_EQ(page.status, 403) << body;
    EXPECT_NE(page.output.find(refusal), std::string::npos) << body;
  }
  // A signed version of one record does not change another.
  BrowserForm form(OpenEdit("2", Editing()).output);
  form.Set("Vexmo1Key_Form_id", "1");
  form.Set("Vexmo1_Form_id", "1");
  form.Set("Vexmo1_Form_name", "Eve");
  EXPECT_EQ(Press(form, "Vexmo1FormUpdate", Editing()).status, 403);
  EXPECT_EQ(Press(form, "Vexmo1FormDelete", Editing()).status, 403);
  EXPECT_EQ(Rows("SELECT * FROM P ORDER BY id"), before);
}

// A form that another server or an earlier run signed under another secret says so, in the
// page's language, and writes nothing.
TEST_F(LostUpdateTest, AFormSignedUnderAnotherSecretSaysWhereItCameFrom) {
  const auto before = Rows("SELECT * FROM P ORDER BY id");
  const struct {
    const char* language;
    const char* says;
  } languages[] = {
      {"ENG", "this form was made by another server or an earlier run of this one"},
      {"GER", "Dieses Formular stammt von einem anderen Server oder einem fr\u00fcheren Lauf"},
      {"NOR", "dette skjemaet ble laget av en annen server eller en tidligere kj\u00f8ring"}};
  for (const auto& l : languages) {
    const Configure configure = Editing([&](DbView& v) { v.SetLanguage(l.language); });
    options_.signing_secret = "the secret of an earlier run";
    BrowserForm edit(OpenEdit("1", configure).output);
    BrowserForm add(OpenAdd(configure).output);
    options_.signing_secret = "test secret";
    edit.Set("Vexmo1_Form_name", "Eve");
    add.Set("Vexmo1_Form_name", "Eve");
    for (const RenderedPage& page :
         {Press(edit, "Vexmo1FormUpdate", configure), Press(edit, "Vexmo1FormDelete", configure),
          Press(add, "Vexmo1FormUpdate", configure)}) {
      EXPECT_EQ(page.status, 403) << l.language;
      EXPECT_NE(page.output.find(l.says), std::string::npos) << l.language << page.output;
    }
  }
  EXPECT_EQ(Rows("SELECT * FROM P ORDER BY id"), before);
}

TEST_F(LostUpdateTest, TheMessageHasItsOwnSlotInEveryLanguage) {
  detail::DbViewState s;
  detail::SetLanguage(s, "NOR");
  EXPECT_EQ(detail::MessageText(s, detail::MsgChangedByOther),
            "Dataposten ble IKKE LAGRET. Den ble endret av en annen bruker.");
  detail::SetLanguage(s, "GER");
  EXPECT_EQ(detail::MessageText(s, detail::MsgChangedByOther),
            "Record WAS NOT SAVED. It was changed by another user.");
  detail::SetLangUpdString(s, "a,b,c,d,Changed elsewhere");
  EXPECT_EQ(detail::MessageText(s, detail::MsgChangedByOther), "Changed elsewhere");
  detail::SetLangUpdString(s, "a,b,c");
  EXPECT_EQ(detail::MessageText(s, detail::MsgChangedByOther), "Changed elsewhere");
  EXPECT_EQ(s.ErrorMessage, "");
}

}  // namespace
}  // namespace kelvo::testing
