// Stored procedures on PostgreSQL: set-returning functions and procedures of the database,
// called with their arguments bound.
#include "data/conformance_fixture.h"
#include "data/postgres_fixture.h"

namespace kelvo::testing {
namespace {

using namespace ado;

class PostgresProcedureTest : public PostgresTest {
 protected:
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped()) return;
    db_->Execute("CREATE TABLE items (id serial PRIMARY KEY, name text)");
    db_->Execute("INSERT INTO items (name) SELECT 'item' || g FROM generate_series(1, 8) g");
    db_->Execute(
        "CREATE FUNCTION fn_List(n int) RETURNS TABLE (id int, name text) LANGUAGE sql AS "
        "$$ SELECT id, name FROM items WHERE id <= n ORDER BY id $$");
  }

  std::shared_ptr<Recordset> Call(std::string_view call, int cursor = adOpenForwardOnly) {
    auto command = std::make_shared<Command>();
    command->SetActiveConnection(db_);
    command->SetCommandType(adCmdStoredProc);
    command->SetCommandText(call);
    auto recordset = std::make_shared<Recordset>();
    recordset->SetCursorType(cursor);
    recordset->Open(command);
    return recordset;
  }
};

TEST_F(PostgresProcedureTest, SetReturningFunctionTakesItsArgumentBound) {
  auto recordset = Call("fn_List 5", adOpenStatic);
  EXPECT_EQ(recordset->RecordCount(), 5);
  EXPECT_EQ(recordset->GetRows(), (std::vector<Variant>{Variant(1), Variant("item1")}));
  EXPECT_EQ(Call("FN_LIST(2)")->GetRows(), (std::vector<Variant>{Variant(1), Variant("item1")}));
}

TEST_F(PostgresProcedureTest, TextArgumentsStayData) {
  db_->Execute(
      "CREATE FUNCTION fn_Find(wanted text) RETURNS SETOF items LANGUAGE sql AS "
      "$$ SELECT * FROM items WHERE name = wanted $$");
  auto recordset = Call("fn_Find 'x''); DROP TABLE items; --'");
  EXPECT_TRUE(recordset->Eof());
  EXPECT_EQ(Scalar("SELECT count(*) FROM items"), Variant(8));
  EXPECT_EQ(Call("fn_Find 'item3'")->Fields().Item("id").Value(), Variant(3));
}

TEST_F(PostgresProcedureTest, NamesAreFoundAsWrittenOrFoldedAndBySchema) {
  db_->Execute("CREATE FUNCTION \"Exact\"() RETURNS int LANGUAGE sql AS $$ SELECT 1 $$");
  db_->Execute("CREATE FUNCTION exact() RETURNS int LANGUAGE sql AS $$ SELECT 2 $$");
  EXPECT_EQ(Call("Exact")->Fields().Item(0).Value(), Variant(1));
  EXPECT_EQ(Call("EXACT")->Fields().Item(0).Value(), Variant(2));
  const std::string schema = Scalar("SELECT current_schema()").AsString();
  EXPECT_EQ(Call(schema + ".fn_List 1")->GetRows(),
            (std::vector<Variant>{Variant(1), Variant("item1")}));
}

TEST_F(PostgresProcedureTest, ProceduresRunThroughCall) {
  db_->Execute(
      "CREATE PROCEDURE sp_Add(label text) LANGUAGE sql AS "
      "$$ INSERT INTO items (name) VALUES (label) $$");
  db_->Execute("sp_Add 'added'", adCmdStoredProc);
  EXPECT_EQ(Scalar("SELECT count(*) FROM items WHERE name = 'added'"), Variant(1));
}

TEST_F(PostgresProcedureTest, UnknownRoutinesAndTheirFailuresAreReported) {
  const Error unknown = CaughtError([&] { Call("fn_Missing 1"); });
  EXPECT_NE(unknown.description().find("Unknown stored procedure 'fn_Missing'"), std::string::npos);
  db_->Execute(
      "CREATE FUNCTION fn_Fail(n int) RETURNS SETOF int LANGUAGE plpgsql AS "
      "$$ BEGIN RAISE EXCEPTION 'no customer %', n; END $$");
  EXPECT_EQ(CaughtError([&] { Call("fn_Fail 7"); }).description(), "no customer 7");
  const Error arguments = CaughtError([&] { Call("fn_List 1, 2"); });
  EXPECT_NE(arguments.description().find("fn_list"), std::string::npos) << arguments.description();
}

}  // namespace
}  // namespace kelvo::testing
