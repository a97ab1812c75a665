// The PostgreSQL provider's connection strings, session and failures.
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "data/conformance_fixture.h"
#include "data/postgres_fixture.h"
#include "data/postgres_result.h"

namespace kelvo::testing {
namespace {

using namespace ado;

class PostgresConnectionTest : public PostgresTest {
 protected:
  // The keyword form of the test server's address, as the server itself reports it, without
  // the database.
  std::string KeywordAddress() const {
    auto where = Query(
        "SELECT split_part(current_setting('unix_socket_directories'), ',', 1), "
        "current_setting('port'), current_user");
    const std::vector<Variant> row = where->GetRows();
    return "Provider=PostgreSQL;Host='" + row[0].AsString() + "';Port=" + row[1].AsString() +
           ";User ID=" + row[2].AsString();
  }

  static Variant ScalarOn(const std::string& connection_string, std::string_view sql) {
    auto connection = std::make_shared<Connection>();
    connection->Open(connection_string);
    Recordset recordset;
    recordset.Open(sql, connection);
    return recordset.Fields().Item(0).Value();
  }

  static Error OpenError(const std::string& connection_string, std::string_view user = {}) {
    return CaughtError([&] {
      Connection connection;
      connection.Open(connection_string, user);
    });
  }
};

TEST_F(PostgresConnectionTest, KeywordFormKeepsQuotedValuesWhole) {
  const std::string address =
      KeywordAddress() + ";Database=" + Scalar("SELECT current_database()").AsString();
  EXPECT_EQ(ScalarOn(address, "SELECT current_database()"), Scalar("SELECT current_database()"));
  // Blanks, quotes, ';' and '=' reach libpq as one value, never read as more keywords.
  const std::string name = "Kelvo's \"page\"; host=elsewhere";
  EXPECT_EQ(ScalarOn(address + ";Application Name='Kelvo''s \"page\"; host=elsewhere'",
                     "SELECT current_setting('application_name')"),
            Variant(name));
  const Error database = OpenError(KeywordAddress() + ";Database='kelvo_test host=elsewhere'");
  EXPECT_NE(database.description().find("\"kelvo_test host=elsewhere\" does not exist"),
            std::string::npos)
      << database.description();
}

TEST_F(PostgresConnectionTest, UriIsHandedToLibpqAsWritten) {
  const std::string uri = WithLibpqOption(PostgresServer(), "application_name", "a b&c");
  EXPECT_EQ(ScalarOn(uri, "SELECT current_setting('application_name')"), Variant("a b&c"));
  EXPECT_EQ(
      ScalarOn(PostgresServer() + (PostgresServer().find('?') == std::string::npos ? "?" : "&") +
                   "connect_timeout=5",
               "SELECT 1"),
      Variant(1));
}

TEST_F(PostgresConnectionTest, LoopbackPortReachesTheServer) {
  const char* tcp = std::getenv("KELVO_TEST_POSTGRES_TCP");
  if (tcp == nullptr) GTEST_SKIP() << "KELVO_TEST_POSTGRES_TCP is not set";
  EXPECT_EQ(ScalarOn(tcp, "SELECT host(inet_server_addr())"), Variant("127.0.0.1"));
}

TEST_F(PostgresConnectionTest, OpenArgumentsWinAndRefusalsCarryTheServerMessage) {
  const Error user = OpenError(connection_string_, "no_such_role");
  EXPECT_EQ(user.number(), errc::kDatabase);
  EXPECT_NE(user.description().find("Cannot connect to PostgreSQL"), std::string::npos);
  EXPECT_NE(user.description().find("\"no_such_role\""), std::string::npos) << user.description();

  const Error refused =
      OpenError("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;connect_timeout=5");
  EXPECT_NE(refused.description().find("127.0.0.1"), std::string::npos) << refused.description();
}

TEST_F(PostgresConnectionTest, ConnectionStringMistakesAreNamed) {
  EXPECT_NE(
      OpenError("Provider=PostgreSQL;Hots=localhost").description().find("unknown key 'hots'"),
      std::string::npos);
  EXPECT_NE(OpenError("Provider=PostgreSQL;Data Source=db").description().find("Data Source"),
            std::string::npos);
  EXPECT_NE(OpenError("postgresql:db").description().find("postgresql://"), std::string::npos);
}

TEST_F(PostgresConnectionTest, ServerErrorsCarryMessageAndDetail) {
  db_->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY)");
  db_->Execute("INSERT INTO t VALUES (1)");
  const Error duplicate = CaughtError([&] { db_->Execute("INSERT INTO t VALUES (1)"); });
  EXPECT_EQ(duplicate.number(), errc::kDatabase);
  EXPECT_EQ(duplicate.description(),
            "duplicate key value violates unique constraint \"t_pkey\"; Key (id)=(1) already "
            "exists.");
  const Error syntax = CaughtError([&] { Query("SELEKT 1"); });
  EXPECT_EQ(syntax.description(), "syntax error at or near \"SELEKT\"");
  // The connection is usable after a failure.
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(1));
}

TEST_F(PostgresConnectionTest, CommitOfAFailedTransactionIsAFailure) {
  db_->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY)");
  db_->BeginTrans();
  db_->Execute("INSERT INTO t VALUES (1)");
  EXPECT_THROW(db_->Execute("INSERT INTO t VALUES (1)"), Error);
  const Error commit = CaughtError([&] { db_->CommitTrans(); });
  EXPECT_NE(commit.description().find("rolled back"), std::string::npos) << commit.description();
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(0));
}

TEST_F(PostgresConnectionTest, ScriptsRunEveryStatementOrNone) {
  EXPECT_EQ(db_->Execute("CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (1), (2); "
                         "UPDATE t SET x = x + 1"),
            4);
  EXPECT_THROW(db_->Execute("INSERT INTO t VALUES (3); INSERT INTO t VALUES ('x')"), Error);
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(2));
}

// A table's version is read on every page of a session; the statement that reads it is planned
// once, not again at each run, and still sees a change of the table.
// Columns of types without '=' (json, xml, the geometric ones) are changed through an editable
// recordset, which still sees what another user wrote since it read them.
TEST_F(PostgresConnectionTest, ColumnsWithoutEqualityAreWrittenAndStillChecked) {
  db_->Execute("CREATE TABLE shapes (id INTEGER PRIMARY KEY, doc JSON, page XML, spot POINT, "
               "area BOX)");
  db_->Execute("INSERT INTO shapes VALUES (1, '{\"a\": 1}', '<a/>', '(1,2)', NULL), "
               "(2, '[]', NULL, NULL, NULL)");
  auto recordset = std::make_shared<Recordset>();
  recordset->SetCursorLocation(adUseClient);
  recordset->Open("SELECT * FROM shapes ORDER BY id", db_, adOpenKeyset, adLockOptimistic);
  FieldCollection& fields = recordset->Fields();
  fields.Item("doc").SetValue(Variant("{\"a\": 2}"));
  fields.Item("page").SetValue(Variant("<b/>"));
  fields.Item("spot").SetValue(Variant("(3,4)"));
  fields.Item("area").SetValue(Variant("((0,0),(2,2))"));
  recordset->Update();
  EXPECT_EQ(Query("SELECT doc::text || page::text || spot::text || area::text FROM shapes "
                  "WHERE id = 1")->GetRows(),
            std::vector<Variant>{Variant("{\"a\": 2}<b/>(3,4)(2,2),(0,0)")});

  recordset->MoveNext();
  db_->Execute("UPDATE shapes SET doc = '[1]' WHERE id = 2");
  fields.Item("doc").SetValue(Variant("[2]"));
  EXPECT_EQ(CaughtError([&] { recordset->Update(); }).number(), errc::kConflict);
}

TEST_F(PostgresConnectionTest, TableVersionsArePlannedOnceAndStillSeeChanges) {
  db_->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY)");
  const std::optional<std::string> first = db_->TableVersion("t");
  ASSERT_TRUE(first.has_value());
  for (int page = 0; page < 10; ++page) {
    EXPECT_EQ(db_->TableVersion("t"), first);
    db_->Execute("SELECT 1");  // a command may change a table: the version is read again
  }
  const std::vector<Variant> plans =
      Query("SELECT coalesce(sum(generic_plans), 0)::int, coalesce(sum(custom_plans), 0)::int "
            "FROM pg_prepared_statements WHERE statement LIKE '%to_regclass%'")
          ->GetRows();
  EXPECT_GE(plans[0].AsInt32(), 3) << "custom plans: " << plans[1].AsInt32();
  EXPECT_LE(plans[1].AsInt32(), 5);
  db_->Execute("ALTER TABLE t ADD COLUMN note TEXT");
  EXPECT_NE(db_->TableVersion("t"), first);
}

// While nothing has committed, a table's kept version stands without the catalogue being read;
// a change another session committed, and a search path a page set, still show.
TEST_F(PostgresConnectionTest, AnUnchangedSnapshotVouchesOnlyForWhatCommitted) {
  Connection other;
  other.Open(connection_string_);
  other.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY)");
  // A transaction's end makes the session check its versions again, as a new page does,
  // without touching its settings.
  const auto next_use = [this] {
    db_->BeginTrans();
    db_->RollbackTrans();
  };
  const std::optional<std::string> first = db_->TableVersion("t");
  ASSERT_TRUE(first.has_value());
  next_use();
  EXPECT_EQ(db_->TableVersion("t"), first);

  other.Execute("ALTER TABLE t ADD COLUMN outside TEXT");
  next_use();
  const std::optional<std::string> altered = db_->TableVersion("t");
  EXPECT_NE(altered, first) << "a change another session committed";

  // A schema of its own, beside the one the test's tables are in.
  const std::string elsewhere = Scalar("SELECT current_schema()").AsString() + "_elsewhere";
  other.Execute("DROP SCHEMA IF EXISTS " + elsewhere + " CASCADE; CREATE SCHEMA " + elsewhere +
                "; CREATE TABLE " + elsewhere + ".t (x INTEGER)");
  next_use();
  EXPECT_EQ(db_->TableVersion("t"), altered);
  db_->Execute("SET search_path = " + elsewhere);
  EXPECT_NE(db_->TableVersion("t"), altered) << "the name reaches another table";
  other.Execute("DROP SCHEMA " + elsewhere + " CASCADE");
}

// A budgeted count's round trip as the server may answer it: BEGIN and the timeout, the count,
// a sync, the rollback, a sync. The count that finished is kept when the rollback after it is
// lost; a cancelled count is the count's own answer; a refused BEGIN is the failure.
TEST(PostgresCountRoundTripTest, KeepsTheCountWhateverTheRollbackAnswers) {
  const auto made = [](ExecStatusType status) { return PQmakeEmptyPGresult(nullptr, status); };
  const auto counted = [](const char* value) {
    PGresult* result = PQmakeEmptyPGresult(nullptr, PGRES_TUPLES_OK);
    PGresAttDesc column{const_cast<char*>("count"), 0, 0, 0, 20, 8, -1};
    PQsetResultAttrs(result, 1, &column);
    PQsetvalue(result, 0, 0, const_cast<char*>(value), static_cast<int>(std::strlen(value)));
    return result;
  };
  // Answers the results in turn, then nulls, as a lost connection does.
  const auto read = [](std::vector<PGresult*> results) {
    std::size_t at = 0;
    return data::ReadCountRoundTrip(
        [&]() -> PGresult* { return at < results.size() ? results[at++] : nullptr; }, 2);
  };
  const data::CountRoundTrip lost = read({made(PGRES_COMMAND_OK), nullptr, made(PGRES_COMMAND_OK),
                                          nullptr, counted("42"), nullptr,
                                          made(PGRES_PIPELINE_SYNC), made(PGRES_FATAL_ERROR)});
  ASSERT_NE(lost.count, nullptr);
  EXPECT_STREQ(PQgetvalue(lost.count.get(), 0, 0), "42");
  EXPECT_EQ(PQresultStatus(lost.failure.get()), PGRES_FATAL_ERROR);

  const data::CountRoundTrip cancelled =
      read({made(PGRES_COMMAND_OK), nullptr, made(PGRES_COMMAND_OK), nullptr,
            made(PGRES_FATAL_ERROR), nullptr, made(PGRES_PIPELINE_SYNC), made(PGRES_COMMAND_OK),
            nullptr, made(PGRES_PIPELINE_SYNC)});
  EXPECT_EQ(PQresultStatus(cancelled.count.get()), PGRES_FATAL_ERROR);
  EXPECT_EQ(cancelled.failure, nullptr);

  const data::CountRoundTrip refused =
      read({made(PGRES_FATAL_ERROR), nullptr, made(PGRES_PIPELINE_ABORTED), nullptr,
            made(PGRES_PIPELINE_ABORTED), nullptr, made(PGRES_PIPELINE_SYNC),
            made(PGRES_COMMAND_OK), nullptr, made(PGRES_PIPELINE_SYNC)});
  EXPECT_EQ(refused.count, nullptr);
  EXPECT_EQ(PQresultStatus(refused.failure.get()), PGRES_FATAL_ERROR);
}

}  // namespace
}  // namespace kelvo::testing
