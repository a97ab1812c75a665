#include <gtest/gtest.h>

#include "edit/update_engine.h"
#include "edit_page.h"
#include "kelvo/db_connection.h"

namespace kelvo::testing {
namespace {

using detail::GetSqlPK;
using detail::KeyedStatement;

class GetSqlPKTest : public EditStateTest {
 protected:
  KeyedStatement FromRecord(const std::string& statement, int id = 1) {
    recordset_ = Open("SELECT * FROM P WHERE id = " + std::to_string(id));
    return GetSqlPK(s_, statement, true, recordset_.get());
  }
  KeyedStatement Posted(const std::string& key) {
    UseRequest(RequestData::Post("/list.asp", "Vexmo1PK=" + UrlEncode(key)));
    return GetSqlPK(s_, "SELECT * FROM P", false, nullptr);
  }
  std::shared_ptr<Recordset> recordset_;
};

TEST_F(GetSqlPKTest, ConditionBindsTheKeyAndShowsItAsWritten) {
  const KeyedStatement statement = FromRecord("SELECT * FROM P where id > 0");
  EXPECT_EQ(statement.text, "SELECT * FROM P WHERE (id=?)");
  EXPECT_EQ(statement.display, "SELECT * FROM P WHERE (id=1)");
  ASSERT_EQ(statement.parameters.size(), 1u);
  s_.VexmoConnection->SetDatabaseEngine("MSSQL");
  EXPECT_EQ(FromRecord("SELECT * FROM P").text, "SELECT * FROM P WHERE ([id]=?)");
  s_.VexmoConnection->SetDatabaseEngine("ACCESS");
  EXPECT_EQ(FromRecord("SELECT * FROM P").display, "SELECT * FROM P WHERE ([id]=1)");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(GetSqlPKTest, TextKeysAreQuotedInTheDisplayAndBracketsStayInValues) {
  connection_->Execute("INSERT INTO P (id, name) VALUES (3, 'O''Hara[1]')");
  s_.EditPrimaryKeys = "id, name";
  const KeyedStatement statement = FromRecord("SELECT * FROM P", 3);
  EXPECT_EQ(statement.display, "SELECT * FROM P WHERE (id=3) AND (name='O''Hara[1]')");
  EXPECT_EQ(statement.text, "SELECT * FROM P WHERE (id=?) AND (name=?)");
  auto one = std::make_shared<Recordset>();
  auto command = std::make_shared<Command>();
  command->SetActiveConnection(connection_);
  command->SetCommandText(statement.text);
  command->Parameters() = statement.parameters;
  one->Open(command);
  ASSERT_FALSE(one->Eof());
  EXPECT_EQ(one->Fields().Item("name").Value(), Variant("O'Hara[1]"));
}

TEST_F(GetSqlPKTest, PostedKeysAreCheckedAgainstTheirTypeBeforeAnyUse) {
  EXPECT_EQ(Posted("2").display, "SELECT * FROM P WHERE (id=2)");
  EXPECT_TRUE(Posted("0) UNION SELECT name FROM sqlite_master --").empty());
  EXPECT_EQ(s_.ErrorMessage,
            "The key value '0) UNION SELECT name FROM sqlite_master --' of id is not a number in "
            "GetSqlPK.<br>");
  s_.ErrorMessage.clear();
  EXPECT_TRUE(Posted("").empty());
  EXPECT_EQ(s_.ErrorMessage, "The key value '' of id is empty in GetSqlPK.<br>");
  s_.ErrorMessage.clear();
  EXPECT_TRUE(Posted("1.5").empty());
  EXPECT_NE(s_.ErrorMessage.find("is not a whole number"), std::string::npos);
}

TEST_F(GetSqlPKTest, ALinkCarriesTheKeyInTheQueryString) {
  UseRequest(RequestData::Get("/list.asp", "Vexmo1PK=2"));
  EXPECT_EQ(GetSqlPK(s_, "SELECT * FROM P", false, nullptr).display,
            "SELECT * FROM P WHERE (id=2)");
  UseRequest(RequestData::Post("/list.asp", "x=1", "Vexmo1PK=2"));  // a post reads the form
  EXPECT_TRUE(GetSqlPK(s_, "SELECT * FROM P", false, nullptr).empty());
}

TEST_F(GetSqlPKTest, SeveralKeysTakeOneValueEach) {
  s_.EditPrimaryKeys = "id,name";
  EXPECT_EQ(Posted("1,Ann").display, "SELECT * FROM P WHERE (id=1) AND (name='Ann')");
  EXPECT_TRUE(Posted("1").empty());
  EXPECT_EQ(s_.ErrorMessage,
            "The posted record key gives 1 values for 2 key fields in GetSqlPK.<br>");
}

TEST_F(GetSqlPKTest, NoRestrictionWithoutKeysRecordOrRows) {
  s_.EditPrimaryKeys = "";
  EXPECT_TRUE(FromRecord("SELECT * FROM P").empty());
  EXPECT_EQ(s_.ErrorMessage, "Kelvo property EditPrimaryKeys must be set!<br>");
  s_.EditPrimaryKeys = "id";
  s_.ErrorMessage.clear();
  EXPECT_TRUE(FromRecord("SELECT * FROM P", 99).empty());  // at its end
  EXPECT_TRUE(FromRecord("SELECT * FROM P WHERE id < 0").empty());
  EXPECT_EQ(s_.ErrorMessage, "");
}

}  // namespace
}  // namespace kelvo::testing
