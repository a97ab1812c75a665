// Provider conformance: connections, statements, cursors, fields, types and procedures.
#include <cstdint>
#include <string>
#include <vector>

#include "data/conformance_fixture.h"
#include "data/field_facts.h"
#include "kelvo/date.h"

namespace kelvo::testing {
namespace {

using namespace ado;

TEST_P(ProviderConformanceTest, ExecuteReportsChangedRowsAndBindsParameters) {
  CreateItems(3);
  EXPECT_EQ(db_->Execute("UPDATE items SET qty = qty + 1 WHERE qty > 10"), 2);
  EXPECT_EQ(db_->Execute("CREATE TABLE other (x " + Type(ColumnKind::kInteger) + ")"), 0);
  const Variant name[] = {Variant("item2")};
  EXPECT_EQ(db_->Execute("DELETE FROM items WHERE name = ?", name), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(2));
}

TEST_P(ProviderConformanceTest, ParameterCountMustMatchTheValues) {
  CreateItems(1);
  const Variant two[] = {Variant(1), Variant(2)};
  const Error error = CaughtError([&] { db_->Execute("DELETE FROM items WHERE id = ?", two); });
  EXPECT_EQ(error.number(), errc::kWrongArguments);
  EXPECT_NE(error.description().find("takes 1 parameter"), std::string::npos);
  EXPECT_THROW(db_->Execute("DELETE FROM items WHERE id = ?"), Error);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
}

TEST_P(ProviderConformanceTest, TransactionsCommitAndRollBack) {
  CreateItems(0);
  db_->BeginTrans();
  db_->Execute("INSERT INTO items (name) VALUES ('kept')");
  db_->CommitTrans();
  db_->BeginTrans();
  db_->Execute("INSERT INTO items (name) VALUES ('dropped')");
  db_->RollbackTrans();
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
}

TEST_P(ProviderConformanceTest, ClosingTheConnectionClosesItsRecordsets) {
  CreateItems(2);
  auto recordset = Query("SELECT name FROM items");
  Field& name = recordset->Fields().Item(0);
  db_->Close();
  EXPECT_EQ(db_->State(), adStateClosed);
  EXPECT_EQ(recordset->State(), adStateClosed);
  EXPECT_EQ(CaughtError([&] { name.Value(); }).number(), errc::kClosedObject);
  EXPECT_EQ(CaughtError([&] { recordset->MoveNext(); }).number(), errc::kClosedObject);
  EXPECT_EQ(CaughtError([&] { db_->Execute("SELECT 1"); }).number(), errc::kClosedObject);
  EXPECT_EQ(CaughtError([&] { Query("SELECT 1"); }).number(), errc::kClosedObject);
}

TEST_P(ProviderConformanceTest, BadStatementsCarryTheDatabaseMessage) {
  const Error missing = CaughtError([&] { Query("SELECT * FROM no_such_table"); });
  EXPECT_EQ(missing.number(), errc::kDatabase);
  EXPECT_NE(missing.description().find("no_such_table"), std::string::npos)
      << missing.description();
  EXPECT_THROW(Query("SELEKT 1"), Error);
  EXPECT_THROW(db_->Execute("INSERT INTO no_such_table VALUES (1)"), Error);
}

TEST_P(ProviderConformanceTest, StatementWithoutColumnsIsRefusedWithoutRunning) {
  CreateItems(3);
  const Error error = CaughtError([&] { Query("DELETE FROM items"); });
  EXPECT_NE(error.description().find("returned no columns"), std::string::npos);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(3));
  EXPECT_THROW(Query("DELETE FROM items", adOpenStatic), Error);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(3));
}

TEST_P(ProviderConformanceTest, ForwardOnlyStreamsWithoutACountStaticCountsAll) {
  CreateItems(5);
  auto forward = Query("SELECT id, name FROM items ORDER BY id");
  EXPECT_EQ(forward->RecordCount(), -1);
  int rows = 0;
  for (; !forward->Eof(); forward->MoveNext()) ++rows;
  EXPECT_EQ(rows, 5);
  EXPECT_EQ(CaughtError([&] { forward->MoveNext(); }).number(), errc::kNoCurrentRecord);
  EXPECT_EQ(CaughtError([&] { forward->Fields().Item(0).Value(); }).number(),
            errc::kNoCurrentRecord);

  for (int cursor : {adOpenStatic, adOpenKeyset}) {
    auto buffered = Query("SELECT id, name FROM items", cursor);
    EXPECT_EQ(buffered->RecordCount(), 5);
  }
  auto empty = Query("SELECT id FROM items WHERE id < 0");
  EXPECT_TRUE(empty->Eof());
}

TEST_P(ProviderConformanceTest, MaxRecordsLimitsEveryCursor) {
  CreateItems(5);
  for (int cursor : {adOpenForwardOnly, adOpenStatic, adOpenKeyset}) {
    auto recordset = std::make_shared<Recordset>();
    recordset->SetMaxRecords(2);
    recordset->Open("SELECT id FROM items ORDER BY id", db_, cursor, adLockReadOnly);
    int rows = 0;
    for (; !recordset->Eof(); recordset->MoveNext()) ++rows;
    EXPECT_EQ(rows, 2) << "cursor " << cursor;
    EXPECT_EQ(recordset->RecordCount(), cursor == adOpenForwardOnly ? -1 : 2);
  }
}

TEST_P(ProviderConformanceTest, GetRowsReturnsTheRowAndMovesOn) {
  CreateItems(2);
  auto recordset = Query("SELECT name, qty FROM items ORDER BY id");
  EXPECT_EQ(recordset->GetRows(), (std::vector<Variant>{Variant("item1"), Variant(10)}));
  EXPECT_EQ(recordset->GetRows(), (std::vector<Variant>{Variant("item2"), Variant(20)}));
  EXPECT_TRUE(recordset->Eof());
  EXPECT_EQ(CaughtError([&] { recordset->GetRows(); }).number(), errc::kNoCurrentRecord);
}

TEST_P(ProviderConformanceTest, FieldsInResultOrderByOrdinalAndByNameIgnoringCase) {
  CreateItems(1);
  auto recordset = Query("SELECT qty, name AS Label, id FROM items");
  FieldCollection& fields = recordset->Fields();
  ASSERT_EQ(fields.Count(), 3);
  std::vector<std::string> names;
  for (Field& field : fields) names.push_back(field.Name());
  const std::string label = context().FoldsNamesToLowerCase() ? "label" : "Label";
  EXPECT_EQ(names, (std::vector<std::string>{"qty", label, "id"}));
  EXPECT_EQ(fields.Item("LABEL").Value(), Variant("item1"));
  EXPECT_EQ(&fields.Item("label"), &fields.Item(1));
  EXPECT_EQ(fields.Find("missing"), nullptr);
  EXPECT_EQ(CaughtError([&] { fields.Item("missing"); }).number(), errc::kItemNotFound);
  EXPECT_EQ(CaughtError([&] { fields.Item(3); }).number(), errc::kItemNotFound);
  EXPECT_EQ(CaughtError([&] { fields.Item(-1); }).number(), errc::kItemNotFound);
}

TEST_P(ProviderConformanceTest, FieldTypesSizesAndNullability) {
  db_->Execute("CREATE TABLE typed (i " + Type(ColumnKind::kInteger) + " NOT NULL, b " +
               Type(ColumnKind::kBigInt) + ", d " + Type(ColumnKind::kDouble) + ", n " +
               Type(ColumnKind::kDecimal) + ", m " + Type(ColumnKind::kMoney) + ", f " +
               Type(ColumnKind::kBoolean) + ", dt " + Type(ColumnKind::kDate) + ", tm " +
               Type(ColumnKind::kTime) + ", ts " + Type(ColumnKind::kDateTime) + ", s " +
               Type(ColumnKind::kShortText) + " NOT NULL, t " + Type(ColumnKind::kLongText) +
               ", bin " + Type(ColumnKind::kBinary) + ")");
  auto recordset = Query("SELECT * FROM typed");
  const FieldFacts expected[] = {
      {adInteger, 0, false},   {adBigInt, 0, true},       {adDouble, 0, true},
      {adNumeric, 0, true},    {adCurrency, 0, true},     {adBoolean, 0, true},
      {adDBDate, 0, true},     {adDBTime, 0, true},       {adDBTimeStamp, 0, true},
      {adVarWChar, 40, false}, {adLongVarWChar, 0, true}, {adLongVarBinary, 0, true},
  };
  ExpectFieldFacts(recordset->Fields(), expected);
}

TEST_P(ProviderConformanceTest, ValuesRoundTripThroughBoundParameters) {
  db_->Execute("CREATE TABLE v (i " + Type(ColumnKind::kInteger) + ", b " +
               Type(ColumnKind::kBigInt) + ", d " + Type(ColumnKind::kDouble) + ", n " +
               Type(ColumnKind::kDecimal) + ", m " + Type(ColumnKind::kMoney) + ", f " +
               Type(ColumnKind::kBoolean) + ", dt " + Type(ColumnKind::kDate) + ", tm " +
               Type(ColumnKind::kTime) + ", ts " + Type(ColumnKind::kDateTime) + ", s " +
               Type(ColumnKind::kShortText) + ", bin " + Type(ColumnKind::kBinary) + ")");
  const Date day = MakeDate({2024, 2, 29, 0, 0, 0});
  const Date time = MakeDate({1899, 12, 30, 13, 45, 10});
  const Date stamp = MakeDate({1999, 12, 31, 23, 59, 58});
  const Variant values[] = {Variant(-7),
                            Variant(std::int64_t{9'000'000'000}),
                            Variant(2.25),
                            Variant(Decimal{"1234.50"}),
                            Variant(Currency{context().MoneyDecimals() >= 4 ? 123456 : 123400}),
                            Variant(true),
                            Variant(day),
                            Variant(time),
                            Variant(stamp),
                            Variant("Ünïcode ' \" text"),
                            Variant(Bytes{0, 1, 2, 255})};
  db_->Execute("INSERT INTO v VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", values);
  db_->Execute(
      "INSERT INTO v VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
      "NULL, NULL)");
  auto recordset = Query("SELECT * FROM v");
  for (int i = 0; i < 11; ++i) {
    const Variant expected =
        i == 3 && !context().KeepsDecimalScale() ? Variant(Decimal{"1234.5"}) : values[i];
    EXPECT_EQ(recordset->Fields().Item(i).Value(), expected) << "column " << i;
  }
  recordset->MoveNext();
  for (int i = 0; i < 11; ++i) {
    EXPECT_TRUE(recordset->Fields().Item(i).Value().IsNull()) << "column " << i;
    EXPECT_EQ(recordset->Fields().Item(i).ActualSize(), 0) << "column " << i;
  }
}

// Reading row after row into one Variant per column gives exactly what Value gives, whatever
// follows what in a column: a whole number past 32 bits after a small one, Null after a value
// and a value after Null, longer and shorter text, a date after a time of day.
TEST_P(ProviderConformanceTest, ReadValueIntoReusedVariantsMatchesValue) {
  db_->Execute("CREATE TABLE r (k " + Type(ColumnKind::kInteger) + ", b " +
               Type(ColumnKind::kBigInt) + ", d " + Type(ColumnKind::kDouble) + ", n " +
               Type(ColumnKind::kDecimal) + ", f " + Type(ColumnKind::kBoolean) + ", dt " +
               Type(ColumnKind::kDate) + ", ts " + Type(ColumnKind::kDateTime) + ", s " +
               Type(ColumnKind::kShortText) + ", l " + Type(ColumnKind::kLongText) + ", bin " +
               Type(ColumnKind::kBinary) + ")");
  const std::string long_text(300, 'x');
  const Variant rows[][10] = {
      {Variant(1), Variant(5), Variant(0.5), Variant(Decimal{"1.25"}), Variant(true),
       Variant(MakeDate({2024, 2, 29, 0, 0, 0})), Variant(MakeDate({1899, 12, 30, 6, 0, 0})),
       Variant("a"), Variant("short"), Variant(Bytes{1})},
      {Variant(2), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
       Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()},
      {Variant(3), Variant(std::int64_t{9'000'000'000}), Variant(-2.75), Variant(Decimal{"-3.5"}),
       Variant(false), Variant(MakeDate({1850, 1, 1, 0, 0, 0})),
       Variant(MakeDate({2001, 9, 9, 1, 46, 40})), Variant("a longer text, past inline storage"),
       Variant(long_text), Variant(Bytes{2, 3, 4})},
      {Variant(4), Variant(7), Variant(1e300), Variant(Decimal{"0"}), Variant(true),
       Variant(MakeDate({9999, 12, 31, 0, 0, 0})), Variant(MakeDate({100, 1, 1, 23, 59, 59})),
       Variant("b"), Variant("shorter again"), Variant(Bytes{})},
  };
  for (const auto& row : rows)
    db_->Execute("INSERT INTO r VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", row);

  for (const int cursor : {adOpenForwardOnly, adOpenStatic}) {
    auto recordset = Query("SELECT * FROM r ORDER BY k", cursor);
    std::vector<Variant> read(10);
    int row = 0;
    for (; !recordset->Eof(); recordset->MoveNext(), ++row) {
      for (int i = 0; i < 10; ++i) {
        const Field& field = recordset->Fields().Item(i);
        field.ReadValue(read[static_cast<size_t>(i)]);
        EXPECT_EQ(read[static_cast<size_t>(i)], field.Value())
            << "cursor " << cursor << ", row " << row << ", column " << field.Name();
      }
    }
    EXPECT_EQ(row, 4);
    EXPECT_THROW(recordset->Fields().Item(0).ReadValue(read[0]), Error);
  }
}

TEST_P(ProviderConformanceTest, ActualSizeCountsTextBytesAndIsZeroForNoData) {
  CreateItems(1);
  db_->Execute("UPDATE items SET note = ''");
  auto recordset = Query("SELECT name, note, qty FROM items");
  EXPECT_EQ(recordset->Fields().Item("name").ActualSize(), 5);
  EXPECT_EQ(recordset->Fields().Item("note").ActualSize(), 0);
  EXPECT_GT(recordset->Fields().Item("qty").ActualSize(), 0);
}

TEST_P(ProviderConformanceTest, CountColumnIsAWholeNumber) {
  CreateItems(3);
  auto recordset = Query("SELECT COUNT(*) AS ANT FROM (SELECT * FROM items) KELVOALIAS");
  const Field& count = recordset->Fields().Item("ANT");
  EXPECT_TRUE(count.Type() == adInteger || count.Type() == adBigInt);
  const Variant value = count.Value();
  EXPECT_TRUE(value == Variant(3) || value == Variant(std::int64_t{3}));
}

TEST_P(ProviderConformanceTest, CommandBindsItsParametersToPlaceholders) {
  CreateItems(4);
  auto command = std::make_shared<Command>();
  command->SetActiveConnection(db_);
  command->SetCommandText("SELECT name FROM items WHERE qty > ? AND name <> ? ORDER BY id");
  command->Parameters() = {Variant(15), Variant("item3")};
  Recordset recordset;
  recordset.Open(command);
  EXPECT_EQ(recordset.GetRows(), std::vector<Variant>{Variant("item2")});
  EXPECT_EQ(recordset.GetRows(), std::vector<Variant>{Variant("item4")});
  EXPECT_TRUE(recordset.Eof());
  EXPECT_EQ(CaughtError([&] { recordset.Open(command); }).number(), errc::kInvalidCall);
}

TEST_P(ProviderConformanceTest, ProceduresBindTheirLiteralArguments) {
  CreateItems(4);
  db_->DefineProcedure("sp_List",
                       "SELECT name FROM items WHERE qty >= ? AND name <> ? ORDER BY id");
  auto command = std::make_shared<Command>();
  command->SetActiveConnection(db_);
  command->SetCommandType(adCmdStoredProc);
  command->SetCommandText("SP_LIST 30, 'item4'");
  auto recordset = std::make_shared<Recordset>();
  recordset->SetCursorType(adOpenStatic);
  recordset->Open(command);
  EXPECT_EQ(recordset->RecordCount(), 1);
  EXPECT_EQ(recordset->Fields().Item(0).Value(), Variant("item3"));

  // A text argument is data, whatever it holds.
  db_->DefineProcedure("sp_Find", "SELECT COUNT(*) FROM items WHERE name = ?");
  command->SetCommandText("sp_Find '1''; DROP TABLE items; --'");
  recordset = std::make_shared<Recordset>();
  recordset->Open(command);
  EXPECT_EQ(recordset->Fields().Item(0).Value(), Variant(0));
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(4));

  command->SetCommandText("sp_Find");
  command->Parameters() = {Variant("item1")};
  recordset = std::make_shared<Recordset>();
  recordset->Open(command);
  EXPECT_EQ(recordset->Fields().Item(0).Value(), Variant(1));
}

TEST_P(ProviderConformanceTest, ProcedureCallsFailClearly) {
  CreateItems(1);
  db_->DefineProcedure("sp_One", "SELECT name FROM items WHERE id = ?");
  Recordset recordset;
  const Error unknown =
      CaughtError([&] { recordset.Open("sp_Missing 1", db_, -1, -1, adCmdStoredProc); });
  EXPECT_NE(unknown.description().find("Unknown stored procedure 'sp_Missing'"), std::string::npos);
  const Error count =
      CaughtError([&] { recordset.Open("sp_One 1, 2", db_, -1, -1, adCmdStoredProc); });
  EXPECT_EQ(count.number(), errc::kWrongArguments);
  EXPECT_THROW(recordset.Open("sp_One 1; DELETE FROM items", db_, -1, -1, adCmdStoredProc), Error);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
  recordset.Open("sp_One NULL", db_, -1, -1, adCmdStoredProc);
  EXPECT_TRUE(recordset.Eof());
}

TEST_P(ProviderConformanceTest, ExecuteRunsAProcedure) {
  CreateItems(3);
  db_->DefineProcedure("sp_Delete", "DELETE FROM items WHERE qty < ?");
  EXPECT_EQ(db_->Execute("sp_Delete 25", adCmdStoredProc), 2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
}

}  // namespace
}  // namespace kelvo::testing
