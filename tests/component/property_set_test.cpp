#include <gtest/gtest.h>

#include "component/db_view_state.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"

namespace kelvo {
namespace {

TEST(DbViewDefaults, MatchTheDocumentedValues) {
  DbView v;
  EXPECT_EQ(v.RecordsPerPage(), 20);
  EXPECT_EQ(v.RecordsMaxLimit(), 1000000);
  EXPECT_EQ(v.RecordCount(), -1);
  EXPECT_TRUE(v.CountRecords());
  EXPECT_EQ(v.DisplayNavBar(), "bottom");
  EXPECT_EQ(v.DisplayNavBarFirstLastBtn(), "True");
  EXPECT_EQ(v.RecordsPerPageOptions(), "5,10,20,30,40,50,100,200");
  EXPECT_EQ(v.TableTag(), "border=\"0\" cellspacing=\"0\"");
  EXPECT_EQ(v.RequiredFieldIndicator(), "&nbsp;*&nbsp;");
  EXPECT_EQ(v.ImageDir(), "../gfx/");
  EXPECT_EQ(v.Tag(), "1");
  EXPECT_EQ(v.Language(), "ENG");
  EXPECT_EQ(v.MemoFieldLimit(), -1);
  EXPECT_EQ(v.GridFreeFormatCellDataFieldDelimiter(), "#");
  EXPECT_TRUE(v.ApplyCellFormattingToForm());
  EXPECT_EQ(v.ErrorMessage(), "");
}

TEST(EditOptionsSetter, TrimsUpperCasesAndExpandsAll) {
  DbView v;
  v.SetEditOptions("all");
  EXPECT_EQ(v.EditOptions(), "ALL ADD UPDATE DELETE");
  v.SetEditOptions(" add ");
  EXPECT_EQ(v.EditOptions(), "ADD");
}

TEST(TableTagSetters, AddCellSpacingAndTakeTheFirstWidth) {
  DbView v;
  v.SetTableTag("border=1 width=600");
  EXPECT_EQ(v.TableTag(), "cellspacing=\"0\" border=1 width=600");
  EXPECT_EQ(v.Width(), "600");
  v.SetGridTableTag("width=300");
  EXPECT_EQ(v.Width(), "600");  // a set width is kept

  DbView w;
  w.SetTableTag("CellSpacing=2 width='80%'");
  EXPECT_EQ(w.TableTag(), "CellSpacing=2 width='80%'");
  EXPECT_EQ(w.Width(), "80%");

  DbView x;
  x.SetGridTableTag("width = 500");
  EXPECT_EQ(x.Width(), "500");

  DbView y;
  y.SetGridTableTag("class=x width");  // no value after the word
  EXPECT_EQ(y.Width(), "");
  y.SetGridTableTag("width=");
  EXPECT_EQ(y.Width(), "");
}

TEST(WidthSetter, RemovesQuotes) {
  DbView v;
  v.SetWidth("'90%'");
  EXPECT_EQ(v.Width(), "90%");
  v.SetWidth("\"90%\"");
  EXPECT_EQ(v.Width(), "90%");
}

TEST(SqlSetter, TellsQueriesFromProcedures) {
  auto connection = std::make_shared<DBConnection>();
  DbView v;
  v.SetVexmoConnection(connection);
  v.SetSql("select * from T");
  EXPECT_FALSE(v.state().mvarStoredProc);
  EXPECT_EQ(v.FormSQL(), "select * from T");
  EXPECT_EQ(v.EditSQL(), "select * from T");
  v.SetSql("GetAll");  // seven characters or fewer are always a query
  EXPECT_FALSE(v.state().mvarStoredProc);
  v.SetSql("sp_List 5");
  EXPECT_TRUE(v.state().mvarStoredProc);
  ASSERT_TRUE(v.StoredProcCommand());
  EXPECT_EQ(v.StoredProcCommand()->CommandText(), "sp_List 5");
  EXPECT_EQ(v.StoredProcCommand()->CommandType(), ado::adCmdStoredProc);
  EXPECT_EQ(v.StoredProcCommand()->ActiveConnection(), connection->Connection());
}

TEST(SqlSetter, AnyWhiteSpaceAfterSelectMakesAQuery) {
  DbView v;
  for (const char* statement : {"SELECT\tid FROM t", "select\r\n  id\r\nfrom t", "SELECT\nid FROM t",
                                "  SELECT id FROM t"}) {
    v.SetSql(statement);
    EXPECT_FALSE(v.state().mvarStoredProc) << statement;
  }
}

TEST(SqlSetter, ProcedureWithoutConnectionFailsAfterStoringTheText) {
  DbView v;
  EXPECT_THROW(v.SetSql("sp_List 5"), Error);
  EXPECT_EQ(v.sql(), "sp_List 5");
}

TEST(FormAndEditSql, TheLastSetterDecidesTheSeparateFlag) {
  DbView v;
  v.SetSql("SELECT * FROM t");
  v.SetFormSQL("SELECT * FROM t");
  EXPECT_FALSE(v.state().mvarSeparateFormSql);
  EXPECT_FALSE(v.ApplyCellFormattingToForm());
  EXPECT_FALSE(v.ApplyColFormattingToForm());
  v.SetFormSQL("SELECT a FROM t");
  EXPECT_TRUE(v.state().mvarSeparateFormSql);
  EXPECT_EQ(v.EditSQL(), "SELECT a FROM t");  // followed the form statement
  v.SetEditSQL("SELECT * FROM t");
  EXPECT_FALSE(v.state().mvarSeparateFormSql);
}

TEST(RecordsPerPageSetter, IgnoresValuesAtTheLimitAndOverflowsPast16Bits) {
  DbView v;
  v.SetRecordsMaxLimit(40);
  v.SetRecordsPerPage(50);
  EXPECT_EQ(v.RecordsPerPage(), 20);
  v.SetRecordsPerPage(40);
  EXPECT_EQ(v.RecordsPerPage(), 20);
  v.SetRecordsPerPage(0);
  EXPECT_EQ(v.RecordsPerPage(), 0);
  v.SetRecordsMaxLimit(100000);
  EXPECT_THROW(v.SetRecordsPerPage(40000), Error);
  EXPECT_EQ(v.RecordsPerPage(), 0);
}

TEST(NavBarSetters, TurnCountingOnWhenABarNeedsIt) {
  DbView v;
  v.SetCountRecords(false);
  v.SetDisplayNavBar("bottom");
  EXPECT_FALSE(v.CountRecords());
  v.SetDisplayNavBar(" top ");
  EXPECT_TRUE(v.CountRecords());
  v.SetCountRecords(false);
  v.SetDisplayNavBar("both");
  EXPECT_TRUE(v.CountRecords());

  DbView w;
  w.SetCountRecords(false);
  w.SetDisplayNavBarFirstLastBtn("false");
  EXPECT_EQ(w.DisplayNavBarFirstLastBtn(), "False");
  w.SetDisplayNavBar("top");
  EXPECT_FALSE(w.CountRecords());
  w.SetDisplayNavBarFirstLastBtn("1");
  EXPECT_TRUE(w.CountRecords());
  EXPECT_THROW(w.SetDisplayNavBarFirstLastBtn("maybe"), Error);
  EXPECT_EQ(w.DisplayNavBarFirstLastBtn(), "True");
}

TEST(DisplayFieldNames, GridNamesFillEmptyFormNames) {
  DbView v;
  v.SetGridDisplayFieldNames("A,B");
  EXPECT_EQ(v.FormDisplayFieldNames(), "A,B");
  v.SetGridDisplayFieldNames("C");
  EXPECT_EQ(v.FormDisplayFieldNames(), "A,B");
}

TEST(SuppressDupSetter, SizesOneSlotPerItemAndOneMore) {
  DbView v;
  v.SetGridFieldsSupressDup("a,b,c");
  EXPECT_EQ(v.state().marrGridFieldsSupressDup.size(), 4u);
}

TEST(DataSources, SuppliedRecordsetTurnsCountingOff) {
  DbView v;
  v.SetADORecordset(std::make_shared<Recordset>());
  EXPECT_FALSE(v.CountRecords());
  EXPECT_TRUE(v.state().mvarRecordsetSupplied);
}

TEST(DataSources, CommandNeedsTheConnectionFirst) {
  DbView v;
  EXPECT_THROW(v.SetStoredProcCommand(std::make_shared<Command>()), Error);
  auto connection = std::make_shared<DBConnection>();
  v.SetVexmoConnection(connection);
  auto command = std::make_shared<Command>();
  v.SetStoredProcCommand(command);
  EXPECT_EQ(command->ActiveConnection(), connection->Connection());
}

}  // namespace
}  // namespace kelvo
