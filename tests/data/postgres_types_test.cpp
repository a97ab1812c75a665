// PostgreSQL's column types: their codes, sizes and nullability, and their values.
#include <cmath>
#include <cstdint>
#include <limits>

#include "data/conformance_fixture.h"
#include "data/field_facts.h"
#include "data/postgres_fixture.h"
#include "kelvo/date.h"

namespace kelvo::testing {
namespace {

using namespace ado;

using PostgresTypesTest = PostgresTest;

TEST_F(PostgresTypesTest, EachTypeHasItsCodeSizeAndNullability) {
  db_->Execute(
      "CREATE TABLE typed (a int2 NOT NULL, b int4, c int8 NOT NULL, d float4, e float8, "
      "f numeric(12,3), g money, h bool NOT NULL, i date, j time, k timestamp, "
      "l timestamptz, m char(5), n varchar(40) NOT NULL, o varchar, p text, q bytea, "
      "r uuid)");
  auto recordset = Query("SELECT * FROM typed");
  const FieldFacts expected[] = {
      {adSmallInt, 0, false},    {adInteger, 0, true},       {adBigInt, 0, false},
      {adSingle, 0, true},       {adDouble, 0, true},        {adNumeric, 0, true},
      {adCurrency, 0, true},     {adBoolean, 0, false},      {adDBDate, 0, true},
      {adDBTime, 0, true},       {adDBTimeStamp, 0, true},   {adDBTimeStamp, 0, true},
      {adVarWChar, 5, true},     {adVarWChar, 40, false},    {adVarWChar, 0, true},
      {adLongVarWChar, 0, true}, {adLongVarBinary, 0, true}, {adVarWChar, 0, true},
  };
  ExpectFieldFacts(recordset->Fields(), expected);
  // Through a view and an alias the column is still the table's; an expression may be null.
  db_->Execute("CREATE VIEW v AS SELECT n AS renamed FROM typed");
  auto view = Query("SELECT t.n AS x, n || 'y' AS y FROM typed t");
  EXPECT_EQ(view->Fields().Item("x").Attributes() & adFldIsNullable, 0);
  EXPECT_NE(view->Fields().Item("y").Attributes() & adFldIsNullable, 0);
}

TEST_F(PostgresTypesTest, ValuesReadAsTheirKelvoTypes) {
  auto recordset = Query(
      "SELECT 32767::int2, 9000000000::int8, 1.5::float4, 'NaN'::float8, "
      "12345678901234567890.123456789::numeric, '-1234.56'::numeric::money, true, "
      "'2024-02-29'::date, '13:45:10.5'::time, '1999-12-31 23:59:58'::timestamp, "
      "'2024-07-01 10:00:00+00'::timestamptz, '\\x00ff10'::bytea, 'infinity'::date, "
      "'a  '::char(3)");
  const std::vector<Variant> row = recordset->GetRows();
  EXPECT_EQ(row[0], Variant(32767));
  EXPECT_EQ(row[1], Variant(std::int64_t{9'000'000'000}));
  EXPECT_EQ(row[2], Variant(1.5));
  EXPECT_TRUE(std::isnan(row[3].AsDouble()));
  EXPECT_EQ(row[4], Variant(Decimal{"12345678901234567890.123456789"}));
  EXPECT_EQ(row[5], Variant(Currency{-12345600}));
  EXPECT_EQ(row[6], Variant(true));
  EXPECT_EQ(row[7], Variant(MakeDate({2024, 2, 29, 0, 0, 0})));
  EXPECT_NEAR(row[8].AsDate().serial, MakeDate({1899, 12, 30, 13, 45, 10}).serial + 0.5 / 86400,
              1e-9);
  EXPECT_EQ(row[9], Variant(MakeDate({1999, 12, 31, 23, 59, 58})));
  EXPECT_EQ(row[11], Variant(Bytes{0, 255, 16}));
  EXPECT_EQ(row[12], Variant("infinity"));  // no Date for it: shown as the server wrote it
  EXPECT_EQ(row[13], Variant("a  "));
}

TEST_F(PostgresTypesTest, TimestampWithZoneReadsAsTheSessionsWallTime) {
  db_->Execute("SET TimeZone = 'Europe/Oslo'");
  db_->Execute("CREATE TABLE stamps (id serial PRIMARY KEY, at timestamptz)");
  db_->Execute("INSERT INTO stamps (at) VALUES ('2024-07-01 10:00:00+00')");
  EXPECT_EQ(Scalar("SELECT at FROM stamps"), Variant(MakeDate({2024, 7, 1, 12, 0, 0})));
  // A Date written back is the same wall time in the session's zone.
  const Variant two_pm[] = {Variant(MakeDate({2024, 7, 1, 14, 0, 0}))};
  EXPECT_EQ(db_->Execute("UPDATE stamps SET at = ?", two_pm), 1);
  EXPECT_EQ(Scalar("SELECT at = '2024-07-01 12:00:00+00' FROM stamps"), Variant(true));
}

TEST_F(PostgresTypesTest, SerialAndIdentityKeysAreAssignedGeneratedColumnsReadOnly) {
  db_->Execute(
      "CREATE TABLE keyed (id int GENERATED ALWAYS AS IDENTITY PRIMARY KEY, seq bigserial, "
      "name text NOT NULL, twice int GENERATED ALWAYS AS (length(name) * 2) STORED)");
  auto recordset = std::make_shared<Recordset>();
  recordset->Open("SELECT * FROM keyed", db_, adOpenKeyset, adLockOptimistic);
  recordset->AddNew();
  FieldCollection& fields = recordset->Fields();
  EXPECT_TRUE(fields.Item("id").Value().IsEmpty());
  EXPECT_TRUE(fields.Item("seq").Value().IsEmpty());
  EXPECT_TRUE(fields.Item("name").Value().IsNull());
  EXPECT_THROW(fields.Item("twice").SetValue(Variant("4")), Error);
  fields.Item("name").SetValue(Variant("abc"));
  recordset->Update();
  EXPECT_EQ(fields.Item("id").Value(), Variant(1));
  EXPECT_EQ(fields.Item("seq").Value(), Variant(1));

  fields.Item("name").SetValue(Variant("abcd"));
  recordset->Update();
  EXPECT_EQ(Scalar("SELECT twice FROM keyed"), Variant(8));
}

TEST_F(PostgresTypesTest, TableChangesShowInTheNextRecordset) {
  db_->Execute("CREATE TABLE t (id serial PRIMARY KEY, a text)");
  const auto nullable = [&](const char* column) {
    return (Query("SELECT * FROM t")->Fields().Item(column).Attributes() & adFldIsNullable) != 0;
  };
  EXPECT_TRUE(nullable("a"));
  db_->Execute("ALTER TABLE t ALTER COLUMN a SET NOT NULL");
  EXPECT_FALSE(nullable("a"));
  // A column another connection adds can be written at once.
  Connect()->Execute("ALTER TABLE t ADD COLUMN b int NOT NULL DEFAULT 0");
  EXPECT_FALSE(nullable("b"));
  auto recordset = std::make_shared<Recordset>();
  recordset->Open("SELECT * FROM t", db_, adOpenKeyset, adLockOptimistic);
  recordset->AddNew();
  recordset->Fields().Item("a").SetValue(Variant("x"));
  recordset->Fields().Item("b").SetValue(Variant("7"));
  recordset->Update();
  EXPECT_EQ(Scalar("SELECT b FROM t"), Variant(7));
}

TEST_F(PostgresTypesTest, WrittenValuesConvertToTheColumnType) {
  db_->Execute(
      "CREATE TABLE w (id serial PRIMARY KEY, d date, t time, ts timestamp, n numeric(30,10), "
      "m money, f real, b bytea, s text)");
  auto recordset = std::make_shared<Recordset>();
  recordset->Open("SELECT * FROM w", db_, adOpenKeyset, adLockOptimistic);
  recordset->AddNew();
  FieldCollection& f = recordset->Fields();
  const Date moment = MakeDate({2024, 3, 1, 18, 30, 5});
  f.Item("d").SetValue(Variant(moment));  // a date column keeps the day
  f.Item("t").SetValue(Variant(moment));  // a time column the time of day
  f.Item("ts").SetValue(Variant(moment));
  f.Item("n").SetValue(Variant("12345678901234567890.0123456789"));
  f.Item("m").SetValue(Variant(Currency{199900}));
  f.Item("f").SetValue(Variant("0.1"));
  f.Item("b").SetValue(Variant(Bytes{1, 2, 3}));
  f.Item("s").SetValue(Variant("line\nbreak 'quoted' \\x00"));
  EXPECT_EQ(CaughtError([&] { f.Item("s").SetValue(Variant(std::string("a\0b", 3))); }).number(),
            errc::kTypeMismatch);
  recordset->Update();

  auto check = Query("SELECT d, t, ts, n, m, f, b, s FROM w");
  const std::vector<Variant> row = check->GetRows();
  EXPECT_EQ(row[0], Variant(MakeDate({2024, 3, 1, 0, 0, 0})));
  EXPECT_EQ(row[1], Variant(MakeDate({1899, 12, 30, 18, 30, 5})));
  EXPECT_EQ(row[2], Variant(moment));
  EXPECT_EQ(row[3], Variant(Decimal{"12345678901234567890.0123456789"}));
  EXPECT_EQ(row[4], Variant(Currency{199900}));
  EXPECT_EQ(row[5], Variant(0.1));  // a real reads as its shortest decimal
  EXPECT_EQ(row[6], Variant(Bytes{1, 2, 3}));
  EXPECT_EQ(row[7], Variant("line\nbreak 'quoted' \\x00"));
}

TEST_F(PostgresTypesTest, OptimisticChecksCompareExactlyWhatWasRead) {
  // Values whose text is not the value a client would write: float, timestamp fractions,
  // numeric scale. An update through the recordset must still find its row.
  db_->Execute(
      "CREATE TABLE exact (id serial PRIMARY KEY, f float8, r real, ts timestamptz, "
      "n numeric(10,4), note text)");
  db_->Execute(
      "INSERT INTO exact (f, r, ts, n) VALUES (0.1 + 0.2, 1.1, '2024-01-01 10:00:00.123456+00', "
      "1.5)");
  auto recordset = std::make_shared<Recordset>();
  recordset->Open("SELECT * FROM exact", db_, adOpenKeyset, adLockOptimistic);
  for (const char* column : {"f", "r", "ts", "n"}) {
    recordset->Fields().Item(column).SetValue(recordset->Fields().Item(column).Value());
  }
  recordset->Fields().Item("note").SetValue(Variant("kept"));
  recordset->Update();
  EXPECT_EQ(Scalar("SELECT note FROM exact"), Variant("kept"));
  EXPECT_EQ(
      Scalar("SELECT ts = '2024-01-01 10:00:00.123456+00' AND f = 0.1 + 0.2 AND r = 1.1::real "
             "AND n = 1.5 FROM exact"),
      Variant(true));
}

}  // namespace
}  // namespace kelvo::testing
