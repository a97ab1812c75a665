// What the SQLite provider adds to the conformance suite: connection strings and files,
// write-ahead logging and the busy timeout, typing by declared type and by value, and keys.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "data/conformance_fixture.h"
#include "kelvo/data.h"
#include "kelvo/date.h"
#include "support/temp_dir.h"

namespace kelvo::testing {
namespace {

using namespace ado;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

class SqliteTest : public ::testing::Test {
 protected:
  std::shared_ptr<Connection> Open(const std::string& connection_string) const {
    auto connection = std::make_shared<Connection>();
    connection->Open(connection_string);
    return connection;
  }
  std::shared_ptr<Connection> Create() const {
    return Open("Provider=SQLite;Data Source=" + file_ + ";Mode=Create");
  }
  static Variant Scalar(const std::shared_ptr<Connection>& connection, std::string_view sql) {
    Recordset recordset;
    recordset.Open(sql, connection);
    return recordset.Fields().Item(0).Value();
  }
  static std::shared_ptr<Recordset> Editable(const std::shared_ptr<Connection>& connection,
                                             std::string_view sql) {
    auto recordset = std::make_shared<Recordset>();
    recordset->Open(sql, connection, adOpenKeyset, adLockOptimistic);
    return recordset;
  }

  TempDir dir_;
  std::string file_ = dir_.File("shop.db");
};

TEST_F(SqliteTest, KeywordAndUrlFormsReachTheSameFile) {
  Create()->Execute("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (7)");
  const std::string forms[] = {
      "Provider=SQLite;Data Source=" + file_,
      "  provider = sqlite ;  DATA   SOURCE =  " + file_ + "  ; ",
      "Provider='SQLite';Data Source=\"" + file_ + "\";Mode=ReadWrite",
      "sqlite:" + file_,
      "SQLite:" + file_ + "?busy_timeout=100",
  };
  for (const std::string& form : forms) {
    EXPECT_EQ(Scalar(Open(form), "SELECT x FROM t"), Variant(7)) << form;
  }
}

TEST_F(SqliteTest, AMissingFileIsAnErrorUnlessCreationIsAsked) {
  Connection connection;
  const Error missing =
      CaughtError([&] { connection.Open("Provider=SQLite;Data Source=" + file_); });
  EXPECT_EQ(missing.number(), errc::kDatabase);
  EXPECT_NE(missing.description().find("does not exist"), std::string::npos);
  EXPECT_THROW(connection.Open("sqlite:" + file_), Error);
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(connection.State(), adStateClosed);

  connection.Open("sqlite:" + file_ + "?mode=create");
  EXPECT_TRUE(std::filesystem::exists(file_));
  EXPECT_EQ(connection.State(), adStateOpen);
  EXPECT_EQ(CaughtError([&] { connection.Open("sqlite:" + file_); }).number(), errc::kInvalidCall);
}

TEST_F(SqliteTest, BadConnectionStringsAreClearErrors) {
  const struct {
    std::string text;
    const char* says;
  } cases[] = {
      {"", "empty"},
      {"Data Source=" + file_, "no provider"},
      {"Provider=SQLite;Data Source", "has no '='"},
      {"Provider=SQLite;Data Source='" + file_, "no closing quote"},
      {"Provider=SQLite;Data Source='a' b", "text follows"},
      {"Provider=SQLite;Provider=SQLite", "given twice"},
      {"Provider=Oracle;Data Source=x", "Provider cannot be found"},
      {"Provider=SQLite;Data Sorce=" + file_, "unknown key 'data sorce'"},
      {"Provider=SQLite", "Data Source is missing"},
      {"Provider=SQLite;Data Source=x;Mode=Sometimes", "Mode must be"},
      {"sqlite:x?busy_timeout=soon", "Busy Timeout must be"},
      {"sqlite:x?foreign_keys=maybe", "Foreign Keys must be On or Off"},
  };
  for (const auto& entry : cases) {
    const std::string& text = entry.text;
    const char* says = entry.says;
    Connection connection;
    const Error error = CaughtError([&] { connection.Open(text); });
    EXPECT_NE(error.description().find(says), std::string::npos)
        << text << " -> " << error.description();
  }
}

TEST_F(SqliteTest, AFileThatIsNoDatabaseFailsAtOpen) {
  std::ofstream(file_) << "just some text, long enough to fill a database header page";
  Connection connection;
  const Error error = CaughtError([&] { connection.Open("sqlite:" + file_); });
  EXPECT_NE(error.description().find("not a database"), std::string::npos) << error.description();
}

TEST_F(SqliteTest, ReadOnlyModeRefusesWrites) {
  Create()->Execute("CREATE TABLE t (x INTEGER)");
  auto reader = Open("Provider=SQLite;Data Source=" + file_ + ";Mode=ReadOnly");
  EXPECT_EQ(Scalar(reader, "SELECT COUNT(*) FROM t"), Variant(0));
  const Error error = CaughtError([&] { reader->Execute("INSERT INTO t VALUES (1)"); });
  EXPECT_NE(error.description().find("readonly"), std::string::npos) << error.description();
}

TEST_F(SqliteTest, ForeignKeysAreEnforcedUnlessTurnedOff) {
  Create()->Execute(
      "CREATE TABLE p (id INTEGER PRIMARY KEY); CREATE TABLE c (p INTEGER "
      "REFERENCES p (id))");
  const Error error =
      CaughtError([&] { Open("sqlite:" + file_)->Execute("INSERT INTO c VALUES (9)"); });
  EXPECT_NE(error.description().find("FOREIGN KEY constraint failed"), std::string::npos)
      << error.description();
  Open("Provider=SQLite;Data Source=" + file_ + ";Foreign Keys=Off")
      ->Execute("INSERT INTO c VALUES (9)");
  EXPECT_EQ(Scalar(Open("sqlite:" + file_), "SELECT COUNT(*) FROM c"), Variant(1));
}

// A connection keeps what the schema says of columns until the schema changes, whoever
// changes it.
TEST_F(SqliteTest, ColumnFactsFollowSchemaChanges) {
  auto connection = Create();
  connection->Execute("CREATE TABLE t (a INTEGER, b TEXT)");
  const auto nullable = [&](const char* column) {
    Recordset recordset;
    recordset.Open("SELECT a, b FROM t", connection);
    return (recordset.Fields().Item(column).Attributes() & adFldIsNullable) != 0;
  };
  EXPECT_TRUE(nullable("b"));
  Open("sqlite:" + file_)
      ->Execute("DROP TABLE t; CREATE TABLE t (a INTEGER PRIMARY KEY, b TEXT NOT NULL)");
  EXPECT_FALSE(nullable("b"));
  connection->Execute("DROP TABLE t; CREATE TABLE t (a INTEGER, b TEXT)");
  EXPECT_TRUE(nullable("b"));
}

// A statement run before is described without running it again, as its run described it, only
// while that description cannot differ: every column has a declared type (one without is typed
// by its first value), and no connection has changed the schema since.
TEST_F(SqliteTest, KeptColumnsAreARunsDescriptionOnlyWhileItHolds) {
  auto connection = Create();
  connection->Execute(
      "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20) NOT NULL, note TEXT, loose);"
      "INSERT INTO t VALUES (1, 'a', NULL, 2.5)");
  const std::string declared = "SELECT id, name, note FROM t";
  EXPECT_FALSE(connection->KeptColumns(declared)) << "never run";
  std::vector<Connection::KeptColumn> run;
  {
    Recordset recordset;
    recordset.Open(declared, connection);
    for (const Field& field : recordset.Fields()) {
      run.push_back({field.Name(), field.Type(), (field.Attributes() & adFldIsNullable) != 0});
    }
  }
  const auto kept = connection->KeptColumns(declared);
  ASSERT_TRUE(kept);
  ASSERT_EQ(kept->size(), run.size());
  for (std::size_t i = 0; i < run.size(); ++i) {
    EXPECT_EQ((*kept)[i].name, run[i].name);
    EXPECT_EQ((*kept)[i].type, run[i].type) << run[i].name;
    EXPECT_EQ((*kept)[i].nullable, run[i].nullable) << run[i].name;
  }
  EXPECT_FALSE((*kept)[1].nullable);

  for (const char* typed_by_value : {"SELECT * FROM t", "SELECT id, name || 'x' AS e FROM t"}) {
    Scalar(connection, typed_by_value);
    EXPECT_FALSE(connection->KeptColumns(typed_by_value)) << typed_by_value;
  }

  Open("sqlite:" + file_)->Execute("ALTER TABLE t ADD COLUMN extra INTEGER");
  EXPECT_FALSE(connection->KeptColumns(declared)) << "the schema changed since the run";
}

TEST_F(SqliteTest, InMemoryDatabasesNeedNoFile) {
  auto memory = Open("Provider=SQLite;Data Source=:memory:");
  memory->Execute("CREATE TABLE t (x); INSERT INTO t VALUES (1), (2)");
  EXPECT_EQ(Scalar(memory, "SELECT SUM(x) FROM t"), Variant(3));
}

TEST_F(SqliteTest, FileDatabasesUseWriteAheadLogging) {
  EXPECT_EQ(Scalar(Create(), "PRAGMA journal_mode"), Variant("wal"));
}

TEST_F(SqliteTest, ReadersPassAWriterAndWritersWaitForIt) {
  auto writer = Create();
  writer->Execute("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (1)");
  auto other = Open("sqlite:" + file_);
  writer->BeginTrans();
  writer->Execute("INSERT INTO t VALUES (2)");

  // The reader sees the last committed state at once.
  EXPECT_EQ(Scalar(other, "SELECT COUNT(*) FROM t"), Variant(1));

  std::thread committer([&] {
    std::this_thread::sleep_for(milliseconds(300));
    writer->CommitTrans();
  });
  const auto start = steady_clock::now();
  other->Execute("INSERT INTO t VALUES (3)");  // waits for the commit, within the timeout
  const auto waited = steady_clock::now() - start;
  committer.join();
  EXPECT_GE(waited, milliseconds(200));
  EXPECT_EQ(Scalar(other, "SELECT COUNT(*) FROM t"), Variant(3));
}

TEST_F(SqliteTest, AWriterGivesUpAfterTheBusyTimeout) {
  auto writer = Create();
  writer->Execute("CREATE TABLE t (x INTEGER)");
  auto impatient = Open("Provider=SQLite;Data Source=" + file_ + ";Busy Timeout=50");
  writer->BeginTrans();
  writer->Execute("INSERT INTO t VALUES (1)");
  const Error error = CaughtError([&] { impatient->Execute("INSERT INTO t VALUES (2)"); });
  EXPECT_EQ(error.number(), errc::kDatabase);
  EXPECT_NE(error.description().find("database is locked"), std::string::npos);
  writer->RollbackTrans();
  EXPECT_EQ(Scalar(impatient, "SELECT COUNT(*) FROM t"), Variant(0));
}

TEST_F(SqliteTest, ColumnsWithoutADeclaredTypeAreTypedByTheirValue) {
  Recordset recordset;
  recordset.Open("SELECT 1 AS i, 5000000000 AS b, 2.5 AS r, 'x' AS s, x'00' AS blob, NULL AS n",
                 Create());
  const int expected[] = {adInteger, adBigInt, adDouble, adVarWChar, adLongVarBinary, adVarWChar};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(recordset.Fields().Item(i).Type(), expected[i]) << i;
  EXPECT_EQ(recordset.Fields().Item("b").Value(), Variant(std::int64_t{5000000000}));
  EXPECT_EQ(recordset.Fields().Item("blob").Value(), Variant(Bytes{0}));
}

TEST_F(SqliteTest, DatesAreStoredAsIsoTextAndOtherTextStaysText) {
  auto db = Create();
  db->Execute("CREATE TABLE d (id INTEGER PRIMARY KEY, day DATE, at TIME, stamp DATETIME)");
  auto recordset = Editable(db, "SELECT * FROM d");
  recordset->AddNew();
  recordset->Fields().Item("day").SetValue(Variant(MakeDate({2024, 3, 1, 0, 0, 0})));
  recordset->Fields().Item("at").SetValue(Variant("13:45:10"));
  recordset->Fields().Item("stamp").SetValue(Variant("2023-07-04T18:30:00"));
  recordset->Update();
  EXPECT_EQ(Scalar(db, "SELECT day || '|' || at || '|' || stamp FROM d"),
            Variant("2024-03-01|13:45:10|2023-07-04 18:30:00"));

  db->Execute("INSERT INTO d (day) VALUES ('soon')");
  EXPECT_EQ(Scalar(db, "SELECT day FROM d WHERE id = 2"), Variant("soon"));
}

TEST_F(SqliteTest, TablesWithoutAPrimaryKeyAreChangedByRowid) {
  auto db = Create();
  db->Execute(
      "CREATE TABLE plain (a TEXT, b INTEGER); INSERT INTO plain VALUES ('x', 1), ('x', 1)");
  auto with_rowid = Editable(db, "SELECT rowid, a, b FROM plain");
  with_rowid->Fields().Item("b").SetValue(Variant("5"));
  with_rowid->Update();
  EXPECT_EQ(Scalar(db, "SELECT group_concat(b) FROM (SELECT b FROM plain ORDER BY rowid)"),
            Variant("5,1"));

  auto without = Editable(db, "SELECT a, b FROM plain");
  const Error error = CaughtError([&] { without->Fields().Item("b").SetValue(Variant("7")); });
  EXPECT_NE(error.description().find("key column rowid"), std::string::npos) << error.description();
}

TEST_F(SqliteTest, OnlyASingleIntegerKeyIsAssignedByTheDatabase) {
  auto db = Create();
  db->Execute(
      "CREATE TABLE alias (id INTEGER PRIMARY KEY, v TEXT);"
      "CREATE TABLE pair (a INTEGER, b INTEGER, v TEXT, PRIMARY KEY (a, b));"
      "CREATE TABLE coded (code TEXT PRIMARY KEY, v TEXT) WITHOUT ROWID");
  auto alias = Editable(db, "SELECT * FROM alias");
  alias->AddNew();
  EXPECT_TRUE(alias->Fields().Item("id").Value().IsEmpty());
  alias->Fields().Item("v").SetValue(Variant("first"));
  alias->Update();
  EXPECT_EQ(alias->Fields().Item("id").Value(), Variant(1));

  auto pair = Editable(db, "SELECT * FROM pair");
  pair->AddNew();
  EXPECT_TRUE(pair->Fields().Item("a").Value().IsNull());

  db->Execute("INSERT INTO coded VALUES ('k1', 'old')");
  auto coded = Editable(db, "SELECT * FROM coded");
  coded->Fields().Item("v").SetValue(Variant("new"));
  coded->Update();
  EXPECT_EQ(Scalar(db, "SELECT v FROM coded"), Variant("new"));
}

TEST_F(SqliteTest, ValuesWrittenThroughFieldsStayData) {
  auto db = Create();
  db->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, s TEXT)");
  auto recordset = Editable(db, "SELECT * FROM t");
  recordset->AddNew();
  recordset->Fields().Item("s").SetValue(Variant("x'); DROP TABLE t; --"));
  recordset->Update();
  EXPECT_EQ(Scalar(db, "SELECT s FROM t"), Variant("x'); DROP TABLE t; --"));
}

}  // namespace
}  // namespace kelvo::testing
