#include "format/std_field_display.h"

#include <gtest/gtest.h>

#include "component/db_view_state.h"
#include "kelvo/data.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace kelvo::detail {
namespace {

class StdFieldDisplayTest : public ::testing::Test {
 protected:
  StdFieldDisplayTest() : page_(RequestData::Get("/list")) {
    s_.mvarScriptingContext = page_.context();
    connection_->Open("sqlite:" + dir_.File("f.db") + "?mode=create");
    connection_->Execute(
        "CREATE TABLE F (n INTEGER, t VARCHAR(20), memo TEXT, d DATE, ts DATETIME, tm TIME, "
        "b BLOB, flag BOOLEAN)");
  }

  // Opens one row of values and returns its fields.
  FieldCollection& Row(const std::string& values) {
    connection_->Execute("DELETE FROM F");
    connection_->Execute("INSERT INTO F VALUES (" + values + ")");
    recordset_ = std::make_shared<Recordset>();
    recordset_->Open("SELECT * FROM F", connection_);
    return recordset_->Fields();
  }

  testing::TempDir dir_;
  MemoryPage page_;
  DbViewState s_;
  std::shared_ptr<Connection> connection_ = std::make_shared<Connection>();
  std::shared_ptr<Recordset> recordset_;
};

TEST_F(StdFieldDisplayTest, NullsAndBlanksNeverCollapseACell) {
  FieldCollection& f = Row("NULL, '   ', NULL, NULL, NULL, NULL, NULL, NULL");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("n")), "&nbsp;");
  EXPECT_EQ(GetStdDbFieldStringRaw(s_, f.Item("n")), "");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("t")), "&nbsp;");
  EXPECT_EQ(GetStdDbFieldStringRaw(s_, f.Item("t")), "");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), "&nbsp;");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("d")), "&nbsp;");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(StdFieldDisplayTest, LongTextIsCutToTheMemoLimitInTheGridOnly) {
  const std::string memo(250, 'm');
  FieldCollection& f = Row("1, 'x', '" + memo + "', NULL, NULL, NULL, NULL, NULL");
  s_.MemoFieldLimit = 100;
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), memo.substr(0, 100) + "...");
  EXPECT_EQ(GetStdDbFieldStringRaw(s_, f.Item("memo")), memo);
  s_.MemoFieldLimit = 300;
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), memo + "&nbsp;");
  s_.MemoFieldLimit = -1;
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), memo);
  s_.MemoFieldLimit = 0;
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), "&nbsp;");
  s_.MemoFieldLimit = 100;
  s_.mvarFormMode = true;
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), memo + "&nbsp;");
}

TEST_F(StdFieldDisplayTest, CuttingCountsCharactersNotBytes) {
  FieldCollection& f = Row("1, 'x', '\xC3\xA6\xC3\xB8\xC3\xA5xyz', NULL, NULL, NULL, NULL, NULL");
  s_.MemoFieldLimit = 2;
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("memo")), "\xC3\xA6\xC3\xB8...");
}

TEST_F(StdFieldDisplayTest, DatesUseTheGeneralDateForm) {
  FieldCollection& f =
      Row("1, 'x', NULL, '2019-05-31', '2019-05-31 13:45:07', '13:45:07', NULL, NULL");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("d")), "5/31/2019");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("ts")), "5/31/2019 1:45:07 PM");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("tm")), "1:45:07 PM");  // the general rule
}

TEST_F(StdFieldDisplayTest, ValuesFollowThePageLocaleAndStayUnescaped) {
  FieldCollection& f = Row("3, '<b>bold</b>', NULL, NULL, NULL, NULL, x'0102', 1");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("t")), "<b>bold</b>");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("flag")), "True");
  EXPECT_EQ(GetStdDbFieldString(s_, f.Item("b")), "&nbsp;");
  connection_->Execute("UPDATE F SET n = NULL");
  PageOptions german_options;
  german_options.locale = "de-DE";
  MemoryPage german(RequestData::Get("/list"), german_options);
  s_.mvarScriptingContext = german.context();
  FieldCollection& g = Row("1, 'x', NULL, '2019-05-31', NULL, NULL, NULL, NULL");
  EXPECT_EQ(GetStdDbFieldString(s_, g.Item("d")), "31.05.2019");
}

}  // namespace
}  // namespace kelvo::detail
