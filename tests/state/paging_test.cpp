#include "state/paging.h"

#include <gtest/gtest.h>

#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

using detail::DbViewState;

class PagingTest : public GridPageTest {
 protected:
  std::shared_ptr<Connection> Open() {
    auto connection = std::make_shared<Connection>();
    connection->Open(ConnectionString());
    return connection;
  }
};

TEST_F(PagingTest, CountWrapsTheStatementAndGivesMinusOneWhenItCannot) {
  MakeTable(45);
  auto connection = Open();
  EXPECT_EQ(detail::GetRecordCount(connection, "SELECT * FROM T"), 45);
  EXPECT_EQ(detail::GetRecordCount(connection, "SELECT * FROM T WHERE id > 40"), 5);
  EXPECT_EQ(detail::GetRecordCount(connection, "SELECT * FROM Missing"), -1);
  EXPECT_EQ(detail::GetRecordCount(connection, "DELETE FROM T"), -1);
  EXPECT_EQ(detail::GetRecordCount(connection, "SELECT * FROM T"), 45);  // nothing was deleted
  EXPECT_EQ(detail::GetRecordCount(nullptr, "SELECT * FROM T"), -1);
}

TEST_F(PagingTest, FetchLimitIsOneMoreThanThePageCappedAtTheMaximum) {
  DbViewState s;
  s.mvarCurrRecord = 21;
  s.RecordsPerPage = 20;
  EXPECT_EQ(detail::PageFetchLimit(s), 41);
  s.RecordsMaxLimit = 30;
  EXPECT_EQ(detail::PageFetchLimit(s), 30);
  s.mvarCurrRecord = 2147483647;
  s.RecordsMaxLimit = 1000000;
  EXPECT_EQ(detail::PageFetchLimit(s), 1000000);
}

TEST_F(PagingTest, PositioningMovesToTheFirstRecordOfThePage) {
  MakeTable(45);
  DbViewState s;
  s.mvarCurrRecord = 41;
  s.RecordCount = 45;
  Recordset rows;
  rows.Open("SELECT id FROM T ORDER BY id", Open());
  detail::PositionOnFirstRecord(s, rows);
  EXPECT_EQ(rows.Fields().Item(0).Value(), Variant(41));

  DbViewState stale;
  stale.mvarCurrRecord = 900;
  stale.RecordCount = 45;
  Recordset again;
  again.Open("SELECT id FROM T ORDER BY id", Open());
  detail::PositionOnFirstRecord(stale, again);
  EXPECT_EQ(stale.mvarCurrRecord, 45);
  EXPECT_EQ(again.Fields().Item(0).Value(), Variant(45));
}

TEST_F(PagingTest, OpeningOnARecordMatchesSteppingToIt) {
  MakeTable(60);
  for (const char* statement : {"SELECT id FROM T ORDER BY id DESC", "SELECT id FROM T;"}) {
    Recordset stepped;
    stepped.Open(statement, Open());
    for (int i = 1; i < 41; ++i) stepped.MoveNext();
    Recordset skipped;
    skipped.SetFirstRecord(41);
    skipped.SetMaxRecords(45);
    skipped.Open(statement, Open());
    int rows = 0;
    for (; !skipped.Eof(); skipped.MoveNext(), stepped.MoveNext(), ++rows) {
      EXPECT_EQ(skipped.Fields().Item(0).Value(), stepped.Fields().Item(0).Value()) << statement;
    }
    EXPECT_EQ(rows, 5) << statement;  // the record limit counts from the first record
  }
  Recordset beyond;
  beyond.SetFirstRecord(100);
  beyond.Open("SELECT id FROM T", Open());
  EXPECT_TRUE(beyond.Eof());
}

TEST_F(PagingTest, WindowAboveAGrid) {
  DbViewState s;
  s.RecordsPerPage = 20;
  s.mvarCurrRecord = 41;
  s.RecordCount = 45;
  EXPECT_EQ(detail::TopOfGridWindow(s), 0);
  EXPECT_EQ(s.FromRow, 41);
  EXPECT_EQ(s.ToRow, 45);
  s.mvarCurrRecord = 21;
  s.RecordCount = 60;
  EXPECT_EQ(detail::TopOfGridWindow(s), 41);
  EXPECT_EQ(s.ToRow, 40);
  s.mvarCurrRecord = 2147483647;
  s.RecordCount = 2147483647;
  EXPECT_EQ(detail::TopOfGridWindow(s), 0);
}

TEST_F(PagingTest, WindowAboveAForm) {
  DbViewState s;
  s.RecordsPerPage = 20;
  s.mvarCurrRecord = 5;
  s.RecordCount = 10;
  EXPECT_EQ(detail::TopOfFormWindow(s), 6);  // one record at a time
  EXPECT_EQ(s.ToRow, 5);
  s.DisplayType = "form";
  EXPECT_EQ(detail::TopOfFormWindow(s), 0);  // a multi-record form shows the rest
  EXPECT_EQ(s.ToRow, 10);
  s.RecordCount = -1;
  s.DisplayType = "default";
  EXPECT_EQ(detail::TopOfFormWindow(s), -1);  // an uncounted total passes -1 on
}

TEST_F(PagingTest, WindowAfterRenderingLooksAtTheRecordsetEnd) {
  MakeTable(60);
  DbViewState s;
  s.mvarCurrRecord = 21;
  Recordset rows;
  rows.Open("SELECT id FROM T WHERE id > 40", Open());
  EXPECT_EQ(detail::WindowAfterRendering(s, rows, 20, 7), 41);
  EXPECT_EQ(s.FromRow, 21);
  EXPECT_EQ(s.ToRow, 40);
  s.RecordsMaxLimit = 30;
  EXPECT_EQ(detail::WindowAfterRendering(s, rows, 20, 7), 0);
  Recordset empty;
  empty.Open("SELECT id FROM T WHERE id < 0", Open());
  EXPECT_EQ(detail::WindowAfterRendering(s, empty, 5, 7), 7);
}

TEST_F(PagingTest, DriverCapsTheCountAndCountingOffLeavesMinusOne) {
  MakeTable(500);
  const RenderedPage capped = Post("Vexmo1LAST.x=1", [](DbView& v) { v.SetRecordsMaxLimit(100); });
  EXPECT_EQ(capped.grid->RecordCount(), 100);
  EXPECT_EQ(capped.grid->FromRow(), 81);
  const RenderedPage uncounted = Get({}, [](DbView& v) { v.SetCountRecords(false); });
  EXPECT_EQ(uncounted.grid->RecordCount(), -1);
  const RenderedPage known = Get({}, [](DbView& v) { v.SetRecordCount(7); });
  EXPECT_EQ(known.grid->RecordCount(), 7);  // a count the page knows is not taken again
}

}  // namespace
}  // namespace kelvo::testing
