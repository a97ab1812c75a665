#include "component/captions.h"

#include <gtest/gtest.h>

#include "kelvo/db_view.h"
#include "kelvo/error.h"

namespace kelvo::detail {
namespace {

TEST(Language, ChoosesOneOfThreeExactCodes) {
  DbView v;
  DbViewState& s = v.state();
  EXPECT_EQ(CaptionText(s, CapNext), "Next");
  v.SetLanguage("GER");
  EXPECT_EQ(CaptionText(s, CapNextN), "N\u00e4chste");
  EXPECT_EQ(CaptionText(s, CapRecords), "Datens\u00e4tze");
  EXPECT_EQ(ButtonText(s, BtnEdit), "Edit");  // German keeps English buttons
  v.SetLanguage("ger");
  v.SetLanguage("FR");
  EXPECT_EQ(v.Language(), "GER");
  v.SetLanguage("NOR");
  EXPECT_EQ(ButtonText(s, BtnAdd), "Ny");
  EXPECT_EQ(MessageText(s, MsgDeleted), "[Dataposten ble slettet]");
}

TEST(LanguageLists, ReplaceTablesOnlyWithEnoughItems) {
  DbView v;
  DbViewState& s = v.state();
  v.SetLanguageString("1,2,3,4,5,6,7,8,9,10,11");
  EXPECT_EQ(v.ErrorMessage(),
            "Wrong number of strings set in the LanguageString. 11 was given. The correct number "
            "of strings separated by comma is 12!<br>");
  EXPECT_EQ(CaptionText(s, CapNext), "Next");
  v.SetLanguageString(" Forward,2,3,4,5,6,7,8,9,10,11,12,13");
  EXPECT_EQ(CaptionText(s, CapNext), " Forward");
  EXPECT_EQ(CaptionText(s, CapPage), "12");
  v.SetLanguageBtnString("E,S,C,A,D");
  // Grids share a language's tables: one grid's own list leaves every other grid's alone.
  DbView other;
  EXPECT_EQ(CaptionText(other.state(), CapNext), "Next");
  EXPECT_EQ(ButtonText(other.state(), BtnSave), "Save");
  v.SetLanguage("NOR");
  EXPECT_EQ(ButtonText(s, BtnSave), "Lagre");
}

TEST(LanguageLists, ThreeMessagesKeepTheRequiredFieldText) {
  DbView v;
  DbViewState& s = v.state();
  v.SetLangUpdString("new,saved,deleted");
  EXPECT_EQ(MessageText(s, MsgSaved), "saved");
  EXPECT_EQ(MessageText(s, MsgNotSaved), "Record WAS NOT SAVED. Fill out all required fields.");
  v.SetLangUpdString("");
  EXPECT_NE(v.ErrorMessage().find("LanguageUpdString. 0 was given"), std::string::npos);
}

TEST(CaptionSlots, ReadingAMissingSlotIsAFailureNotACrash) {
  DbViewState empty;
  EXPECT_THROW(CaptionText(empty, CapNext), Error);
  EXPECT_THROW(ButtonText(empty, static_cast<ButtonSlot>(7)), Error);
}

}  // namespace
}  // namespace kelvo::detail
