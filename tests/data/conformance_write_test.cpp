// Provider conformance: adding and changing rows through keyset recordsets.
#include "data/conformance_fixture.h"
#include "kelvo/date.h"

namespace kelvo::testing {
namespace {

using namespace ado;

std::shared_ptr<Recordset> Editable(const std::shared_ptr<Connection>& connection,
                                    std::string_view sql) {
  auto recordset = std::make_shared<Recordset>();
  recordset->SetCursorLocation(adUseClient);
  recordset->Open(sql, connection, adOpenKeyset, adLockOptimistic);
  return recordset;
}

TEST_P(ProviderConformanceTest, AddNewInsertsAndReadsBackWhatTheDatabaseAssigned) {
  CreateItems(2);
  auto recordset = Editable(db_, "SELECT * FROM items");
  recordset->AddNew();
  EXPECT_EQ(recordset->EditMode(), adEditAdd);
  EXPECT_FALSE(recordset->Eof());
  FieldCollection& fields = recordset->Fields();
  EXPECT_TRUE(fields.Item("id").Value().IsEmpty());
  EXPECT_TRUE(fields.Item("name").Value().IsNull());
  fields.Item("name").SetValue(Variant("added"));
  fields.Item("qty").SetValue(Variant("12"));
  EXPECT_EQ(fields.Item("qty").Value(), Variant(12));
  recordset->Update();

  EXPECT_EQ(recordset->EditMode(), adEditNone);
  EXPECT_EQ(recordset->RecordCount(), 3);
  EXPECT_EQ(fields.Item("id").Value(), Variant(3));
  EXPECT_EQ(fields.Item("note").Value(), Variant("none"));  // the column default
  auto check = Query("SELECT name, qty FROM items WHERE id = 3", adOpenForwardOnly, adLockReadOnly,
                     Connect());
  EXPECT_EQ(check->GetRows(), (std::vector<Variant>{Variant("added"), Variant(12)}));
}

TEST_P(ProviderConformanceTest, SetValueConvertsTextToTheColumnType) {
  db_->Execute("CREATE TABLE conv (id " + Type(ColumnKind::kAutoIncrementKey) + ", i " +
               Type(ColumnKind::kInteger) + ", d " + Type(ColumnKind::kDouble) + ", n " +
               Type(ColumnKind::kDecimal) + ", m " + Type(ColumnKind::kMoney) + ", f " +
               Type(ColumnKind::kBoolean) + ", g " + Type(ColumnKind::kBoolean) + ", dt " +
               Type(ColumnKind::kDate) + ", ts " + Type(ColumnKind::kDateTime) + ", s " +
               Type(ColumnKind::kShortText) + ")");
  auto recordset = Editable(db_, "SELECT * FROM conv");
  recordset->AddNew();
  FieldCollection& f = recordset->Fields();
  f.Item("i").SetValue(Variant(" -42 "));
  f.Item("d").SetValue(Variant("2.5"));
  f.Item("n").SetValue(Variant("3.25"));
  f.Item("m").SetValue(Variant("19.99"));
  f.Item("f").SetValue(Variant(true));
  f.Item("g").SetValue(Variant("False"));
  f.Item("dt").SetValue(Variant("2024-03-01"));
  f.Item("ts").SetValue(Variant(MakeDate({2023, 7, 4, 18, 30, 0})));
  f.Item("s").SetValue(Variant::Null());
  recordset->Update();

  auto check = Query("SELECT i, d, n, m, f, g, dt, ts, s FROM conv");
  const std::vector<Variant> expected = {Variant(-42),
                                         Variant(2.5),
                                         Variant(Decimal{"3.25"}),
                                         Variant(Currency{199900}),
                                         Variant(true),
                                         Variant(false),
                                         Variant(MakeDate({2024, 3, 1, 0, 0, 0})),
                                         Variant(MakeDate({2023, 7, 4, 18, 30, 0})),
                                         Variant::Null()};
  EXPECT_EQ(check->GetRows(), expected);
}

TEST_P(ProviderConformanceTest, SetValueRefusesTextThatDoesNotConvert) {
  db_->Execute("CREATE TABLE conv (id " + Type(ColumnKind::kAutoIncrementKey) + ", qty " +
               Type(ColumnKind::kInteger) + ", price " + Type(ColumnKind::kDouble) + ", due " +
               Type(ColumnKind::kDate) + ", paid " + Type(ColumnKind::kBoolean) + ")");
  auto recordset = Editable(db_, "SELECT * FROM conv");
  recordset->AddNew();
  FieldCollection& f = recordset->Fields();
  const struct {
    const char* field;
    const char* text;
  } bad[] = {{"qty", "abc"},        {"qty", "1.5"},       {"price", "3,5"},
             {"due", "2024-02-30"}, {"due", "yesterday"}, {"paid", "maybe"}};
  for (const auto& entry : bad) {
    const std::string field = entry.field;
    const std::string text = entry.text;
    const Error error = CaughtError([&] { f.Item(field).SetValue(Variant(text)); });
    EXPECT_EQ(error.number(), errc::kTypeMismatch) << field << " " << text;
    EXPECT_NE(error.description().find("Field '" + field + "'"), std::string::npos)
        << error.description();
    EXPECT_NE(error.description().find(text), std::string::npos) << error.description();
  }
  recordset->Close();  // the pending row is dropped
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM conv"), Variant(0));
}

TEST_P(ProviderConformanceTest, CancelUpdateDiscardsThePendingRow) {
  CreateItems(1);
  auto recordset = Editable(db_, "SELECT id, name, qty FROM items");
  recordset->AddNew();
  recordset->Fields().Item("name").SetValue(Variant("never"));
  recordset->CancelUpdate();
  EXPECT_EQ(recordset->EditMode(), adEditNone);
  recordset->Fields().Item("qty").SetValue(Variant("77"));
  EXPECT_EQ(recordset->Fields().Item("qty").Value(), Variant(77));
  recordset->CancelUpdate();
  EXPECT_EQ(recordset->Fields().Item("qty").Value(), Variant(10));
  recordset->Update();  // nothing pending: nothing to do
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
  EXPECT_EQ(Scalar("SELECT qty FROM items"), Variant(10));
}

TEST_P(ProviderConformanceTest, UpdateChangesOnlyTheCurrentRow) {
  CreateItems(3);
  auto recordset = Editable(db_, "SELECT id, name, qty FROM items ORDER BY id");
  recordset->MoveNext();
  recordset->Fields().Item("qty").SetValue(Variant("99"));
  EXPECT_EQ(recordset->EditMode(), adEditInProgress);
  EXPECT_EQ(CaughtError([&] { recordset->MoveNext(); }).number(), errc::kInvalidCall);
  recordset->Update();
  EXPECT_EQ(recordset->Fields().Item("qty").Value(), Variant(99));
  auto check = Query("SELECT qty FROM items ORDER BY id");
  EXPECT_EQ(check->GetRows(), std::vector<Variant>{Variant(10)});
  EXPECT_EQ(check->GetRows(), std::vector<Variant>{Variant(99)});
  EXPECT_EQ(check->GetRows(), std::vector<Variant>{Variant(30)});
}

TEST_P(ProviderConformanceTest, SecondWriterOfTheSameRowGetsAConflict) {
  CreateItems(2);
  auto other = Connect();
  auto first = Editable(db_, "SELECT id, name, qty FROM items WHERE id = 1");
  auto second = Editable(other, "SELECT id, name, qty FROM items WHERE id = 1");
  first->Fields().Item("name").SetValue(Variant("first"));
  first->Fields().Item("qty").SetValue(Variant("1"));
  first->Update();

  second->Fields().Item("name").SetValue(Variant("second"));
  second->Fields().Item("qty").SetValue(Variant("2"));
  const Error conflict = CaughtError([&] { second->Update(); });
  EXPECT_EQ(conflict.number(), errc::kConflict);
  EXPECT_NE(conflict.description().find("changed or deleted by another user"), std::string::npos);
  EXPECT_EQ(second->EditMode(), adEditInProgress);  // still the caller's to resolve
  second->CancelUpdate();

  auto check = Query("SELECT name, qty FROM items WHERE id = 1");
  EXPECT_EQ(check->GetRows(), (std::vector<Variant>{Variant("first"), Variant(1)}));
  EXPECT_EQ(Scalar("SELECT name FROM items WHERE id = 2"), Variant("item2"));
}

TEST_P(ProviderConformanceTest, ChangesToOtherColumnsOrDeletedRowsAreChecked) {
  CreateItems(2);
  auto other = Connect();
  auto stale = Editable(other, "SELECT id, name, note FROM items ORDER BY id");
  db_->Execute("UPDATE items SET name = 'renamed' WHERE id = 1");
  db_->Execute("DELETE FROM items WHERE id = 2");

  // Only the columns being changed are compared: the rename does not stop a new note.
  stale->Fields().Item("note").SetValue(Variant("noted"));
  stale->Update();
  EXPECT_EQ(Scalar("SELECT name || '/' || note FROM items WHERE id = 1"), Variant("renamed/noted"));

  stale->MoveNext();
  stale->Fields().Item("note").SetValue(Variant("lost"));
  EXPECT_EQ(CaughtError([&] { stale->Update(); }).number(), errc::kConflict);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
}

TEST_P(ProviderConformanceTest, NullValuesReadBeforeAChangeCompareEqual) {
  CreateItems(1);
  db_->Execute("UPDATE items SET qty = NULL, note = NULL");
  auto recordset = Editable(db_, "SELECT * FROM items");
  recordset->Fields().Item("qty").SetValue(Variant("5"));
  recordset->Fields().Item("note").SetValue(Variant("set"));
  recordset->Update();
  EXPECT_EQ(Scalar("SELECT qty FROM items"), Variant(5));
}

TEST_P(ProviderConformanceTest, ReadOnlyRecordsetsRefuseChanges) {
  CreateItems(1);
  for (auto [cursor, lock] :
       {std::pair{adOpenStatic, adLockReadOnly}, std::pair{adOpenKeyset, adLockReadOnly},
        std::pair{adOpenForwardOnly, adLockOptimistic}}) {
    auto recordset = Query("SELECT * FROM items", cursor, lock);
    EXPECT_THROW(recordset->AddNew(), Error);
    EXPECT_THROW(recordset->Fields().Item("qty").SetValue(Variant("1")), Error);
    EXPECT_EQ(recordset->EditMode(), adEditNone);
  }
  EXPECT_EQ(Scalar("SELECT qty FROM items"), Variant(10));
}

TEST_P(ProviderConformanceTest, ResultsThatCannotBeWrittenBackSayWhy) {
  CreateItems(1);
  db_->Execute("CREATE TABLE tags (item_id " + Type(ColumnKind::kInteger) + ", tag " +
               Type(ColumnKind::kShortText) + ")");
  db_->Execute("INSERT INTO tags VALUES (1, 'red')");

  auto join = Editable(db_, "SELECT items.id, name, tag FROM items JOIN tags ON item_id = id");
  const Error tables = CaughtError([&] { join->AddNew(); });
  EXPECT_NE(tables.description().find("more than one table"), std::string::npos);

  auto computed = Editable(db_, "SELECT id, qty * 2 AS twice FROM items");
  const Error twice = CaughtError([&] { computed->Fields().Item("twice").SetValue(Variant("4")); });
  EXPECT_NE(twice.description().find("'twice' cannot be changed"), std::string::npos);

  auto no_key = Editable(db_, "SELECT name, qty FROM items");
  const Error key = CaughtError([&] { no_key->Fields().Item("qty").SetValue(Variant("4")); });
  EXPECT_NE(key.description().find("key column id"), std::string::npos) << key.description();
  no_key->AddNew();  // inserting needs no key
  no_key->Fields().Item("name").SetValue(Variant("keyless"));
  no_key->Update();
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(2));
  EXPECT_EQ(Scalar("SELECT qty FROM items WHERE id = 1"), Variant(10));
}

TEST_P(ProviderConformanceTest, DatabaseRefusalsOfAWriteCarryItsMessage) {
  CreateItems(1);
  auto recordset = Editable(db_, "SELECT * FROM items");
  recordset->AddNew();
  recordset->Fields().Item("qty").SetValue(Variant("3"));
  const Error error = CaughtError([&] { recordset->Update(); });  // name is NOT NULL
  EXPECT_EQ(error.number(), errc::kDatabase);
  EXPECT_NE(error.description().find("name"), std::string::npos) << error.description();
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM items"), Variant(1));
}

}  // namespace
}  // namespace kelvo::testing
