// How the PostgreSQL provider reads rows: streaming in little memory, limits kept by the
// server, other commands while a stream is open, and failures in the middle of a stream.
#include <unistd.h>

#include <cstdint>
#include <fstream>

#include "data/conformance_fixture.h"
#include "data/postgres_fixture.h"

namespace kelvo::testing {
namespace {

using namespace ado;

using PostgresStreamTest = PostgresTest;

// Resident memory of this process now.
long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST_F(PostgresStreamTest, MillionRowsStreamInLittleMemory) {
  constexpr std::int64_t kRows = 1'000'000;
  const long before = ResidentBytes();
  auto recordset = Query(
      "SELECT g, 'row ' || g || repeat('x', 60) AS label "
      "FROM generate_series(1, 1000000) g");
  long peak_growth = 0;
  std::int64_t rows = 0;
  std::int64_t sum = 0;
  FieldCollection& fields = recordset->Fields();
  for (; !recordset->Eof(); recordset->MoveNext()) {
    sum += fields.Item(0).Value().AsInt32();
    if (fields.Item(1).ActualSize() != 0) ++rows;
    if (rows % 50'000 == 0) peak_growth = std::max(peak_growth, ResidentBytes() - before);
  }
  EXPECT_EQ(rows, kRows);
  EXPECT_EQ(sum, kRows * (kRows + 1) / 2);
  // The whole result would take some 100 MB; a stream holds a row at a time. (The address
  // sanitizer keeps freed memory in quarantine, so its resident size says nothing here.)
  if (!kSanitized) {
    EXPECT_LT(peak_growth, 16L << 20) << "grew by " << (peak_growth >> 10) << " KiB";
  }
  RecordProperty("ResidentGrowthKiB", std::to_string(peak_growth >> 10));
}

TEST_F(PostgresStreamTest, StaticCursorsKnowTheirCount) {
  EXPECT_EQ(Query("SELECT g FROM generate_series(1, 10000) g", adOpenStatic)->RecordCount(), 10000);
  EXPECT_EQ(Query("SELECT g FROM generate_series(1, 10000) g", adOpenStatic, 50)->RecordCount(),
            50);
  EXPECT_EQ(Query("SELECT g FROM generate_series(1, 10000) g")->RecordCount(), -1);
}

TEST_F(PostgresStreamTest, RowLimitStopsTheServerEarlyAndKeepsTheOrder) {
  auto ordered =
      Query("SELECT g FROM generate_series(1, 100000) g ORDER BY g DESC", adOpenForwardOnly, 3);
  std::vector<Variant> firsts;
  for (; !ordered->Eof(); ordered->MoveNext()) firsts.push_back(ordered->Fields().Item(0).Value());
  EXPECT_EQ(firsts, (std::vector<Variant>{Variant(100000), Variant(99999), Variant(99998)}));

  // Each row the server produces takes a number: the limit stops it producing, not just the
  // reader reading.
  db_->Execute("CREATE SEQUENCE produced");
  for (int cursor : {adOpenForwardOnly, adOpenStatic}) {
    auto limited = Query("SELECT nextval('produced') FROM generate_series(1, 100000)", cursor, 2);
    limited->MoveNext();
    limited->MoveNext();
    EXPECT_TRUE(limited->Eof());
  }
  EXPECT_EQ(Scalar("SELECT last_value FROM produced"), Variant(4));
}

TEST_F(PostgresStreamTest, RecordsBeforeTheFirstAreSkippedWithoutEndingATransaction) {
  db_->Execute("CREATE TABLE items (id int PRIMARY KEY)");
  db_->Execute("INSERT INTO items SELECT g FROM generate_series(1, 100) g");
  db_->BeginTrans();
  // The second cannot be skipped by the server (a change inside a subquery is refused), so it
  // is read from its start.
  for (const char* sql : {"SELECT id FROM items ORDER BY id -- by id;",
                          "WITH gone AS (DELETE FROM items WHERE id > 1000 RETURNING id) "
                          "SELECT id FROM items ORDER BY id"}) {
    Recordset recordset;
    recordset.SetFirstRecord(41);
    recordset.SetMaxRecords(43);
    recordset.Open(sql, db_, adOpenForwardOnly, adLockReadOnly);
    std::vector<Variant> ids;
    for (; !recordset.Eof(); recordset.MoveNext())
      ids.push_back(recordset.Fields().Item(0).Value());
    EXPECT_EQ(ids, (std::vector<Variant>{Variant(41), Variant(42), Variant(43)})) << sql;
  }
  db_->CommitTrans();
}

TEST_F(PostgresStreamTest, OtherCommandsWhileStreamingLoseNoRow) {
  db_->Execute("CREATE TABLE items (id int PRIMARY KEY, name text)");
  db_->Execute("INSERT INTO items SELECT g, 'item' || g FROM generate_series(1, 2000) g");
  auto stream = Query("SELECT id, name FROM items ORDER BY id");
  int expected = 1;
  for (; expected <= 10; ++expected, stream->MoveNext()) {
    ASSERT_EQ(stream->Fields().Item(0).Value(), Variant(expected));
  }
  // The connection is needed while the stream is open: a write, a read, a second stream.
  EXPECT_EQ(db_->Execute("UPDATE items SET name = 'changed' WHERE id > 1000"), 1000);
  EXPECT_EQ(Scalar("SELECT count(*) FROM items WHERE name = 'changed'"), Variant(1000));
  auto second = Query("SELECT id FROM items ORDER BY id DESC");
  EXPECT_EQ(second->Fields().Item(0).Value(), Variant(2000));
  for (; !stream->Eof(); stream->MoveNext(), ++expected) {
    ASSERT_EQ(stream->Fields().Item(0).Value(), Variant(expected));
    // The stream's rows are those of the moment it started.
    ASSERT_EQ(stream->Fields().Item(1).Value(), Variant("item" + std::to_string(expected)));
  }
  EXPECT_EQ(expected, 2001);
  second->MoveNext();
  EXPECT_EQ(second->Fields().Item(0).Value(), Variant(1999));
}

TEST_F(PostgresStreamTest, ClosingAStreamEarlyKeepsWhatItsStatementChanged) {
  db_->Execute("CREATE TABLE t (x int)");
  auto inserted = Query("INSERT INTO t SELECT g FROM generate_series(1, 500) g RETURNING x");
  EXPECT_EQ(inserted->Fields().Item(0).Value(), Variant(1));
  inserted->Close();
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(500));
}

TEST_F(PostgresStreamTest, FailureInTheMiddleOfAStreamReachesTheReader) {
  const char* sql = "SELECT 100 / (5 - g) FROM generate_series(1, 10) g";
  auto stream = Query(sql);
  int rows = 0;
  const Error error = CaughtError([&] {
    for (; !stream->Eof(); stream->MoveNext()) ++rows;
  });
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(error.description(), "division by zero");
  EXPECT_EQ(Scalar("SELECT 1"), Variant(1));

  // Also when the rows were set aside for another command first.
  auto spilled = Query(sql);
  EXPECT_EQ(Scalar("SELECT 2"), Variant(2));
  rows = 0;
  EXPECT_EQ(CaughtError([&] {
              for (; !spilled->Eof(); spilled->MoveNext()) ++rows;
            }).description(),
            "division by zero");
  EXPECT_EQ(rows, 4);
}

}  // namespace
}  // namespace kelvo::testing
