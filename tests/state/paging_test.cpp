#include "state/paging.h"

#include <gtest/gtest.h>

#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

using detail::DbViewState;

// A grid over the large table whose count runs past a budget of a millisecond: the filter
// keeps the database from counting the table by its size.
void OverBudget(DbView& v) {
  v.SetSql("SELECT * FROM T WHERE name <> 'none'");
  v.SetOrderByFields("id");
  v.SetCountTimeoutMs(1);
}

class PagingTest : public GridPageTest {
 protected:
  // Enough rows that counting them takes longer than a budget of a millisecond.
  void MakeLargeTable() {
    MakeTable(0);
    Execute("INSERT INTO T (id, name, price) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
            "SELECT i + 1 FROM n WHERE i < 300000) SELECT i, 'item ' || i, i * 1.5 FROM n");
  }

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

TEST_F(PagingTest, CountPastItsBudgetShowsTheEstimateAndPagesStillShowTheirRows) {
  MakeLargeTable();
  Execute("ANALYZE");
  const auto budgeted = OverBudget;
  const RenderedPage first = Get({}, budgeted);
  EXPECT_NE(first.output.find("Record (1..20) of about "), std::string::npos) << first.output;
  if (!OnPostgres()) {
    EXPECT_NE(first.output.find("of about 300,000"), std::string::npos);
  }
  EXPECT_NE(first.output.find(">item 20<"), std::string::npos);
  EXPECT_EQ(first.output.find(">item 21<"), std::string::npos);

  const RenderedPage next = Post("Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1NEXT.x=1", budgeted);
  EXPECT_NE(next.output.find("Record (21..40) of about "), std::string::npos);
  EXPECT_NE(next.output.find(">item 21<"), std::string::npos);
  EXPECT_NE(next.output.find("nextpg.gif"), std::string::npos);

  // Last counts to the end: an estimate could name a page past the records or short of them.
  const RenderedPage last = Post("Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1LAST.x=1", budgeted);
  EXPECT_EQ(last.grid->RecordCount(), 300000);
  EXPECT_EQ(last.grid->FromRow(), 299981);
  EXPECT_NE(last.output.find(">item 300000<"), std::string::npos);
  EXPECT_EQ(last.output.find("about"), std::string::npos);

  // Rows read correct an estimate: at the end of the records it becomes the count, and a
  // stale estimate below the rows seen is raised to them.
  const RenderedPage end = Post("Vexmo1CurrRecord=299981&Vexmo1CountRecords=on", budgeted);
  EXPECT_NE(end.output.find("Record (299981..300000) of 300000</td>"), std::string::npos)
      << end.output;
  if (!OnPostgres()) {
    Execute("UPDATE sqlite_stat1 SET stat = '10' WHERE tbl = 'T'");
    const RenderedPage low = Post("Vexmo1CurrRecord=1&Vexmo1CountRecords=on", budgeted);
    EXPECT_NE(low.output.find("Record (1..20) of about 21</td>"), std::string::npos) << low.output;
    // The top bar is drawn from the rows read as well: its Next is not disabled by the stale
    // estimate.
    const RenderedPage both = Post("Vexmo1CurrRecord=1&Vexmo1CountRecords=on", [&](DbView& v) {
      budgeted(v);
      v.SetDisplayNavBar("both");
    });
    const auto count = [&](const std::string& text) {
      int found = 0;
      for (std::size_t at = both.output.find(text); at != std::string::npos;
           at = both.output.find(text, at + 1)) {
        ++found;
      }
      return found;
    };
    EXPECT_EQ(count("name=\"Vexmo1NEXT\""), 2) << both.output;
    EXPECT_EQ(count("Record (1..20) of about 21</td>"), 2);
    EXPECT_LT(both.output.find("Vexmo1NEXT"), both.output.find(">item 1<"));
    Execute("ANALYZE");
    // A filter's estimate is the share of the rows it keeps, not the table's size.
    const RenderedPage half = Get({}, [&](DbView& v) {
      budgeted(v);
      v.SetSql("SELECT * FROM T WHERE id % 2 = 0");
    });
    EXPECT_NE(half.output.find("Record (1..20) of about 150,000</td>"), std::string::npos)
        << half.output;
    const RenderedPage german = Get({}, [&](DbView& v) {
      budgeted(v);
      v.SetLanguage("GER");
    });
    EXPECT_NE(german.output.find("von etwa 300.000"), std::string::npos);
    EXPECT_NE(german.output.find("Seite 1 von etwa 15.000"), std::string::npos);
  }
  EXPECT_EQ(first.errors, "");
}

// Under a short budget a PostgreSQL count runs without parallel workers, which are slow to
// start and slower to stop when the budget cancels them (a 25 ms budget ran to 39 ms); a
// longer budget keeps them for the counts they speed up.
TEST_F(PagingTest, AShortCountBudgetRunsWithoutParallelWorkers) {
  if (!OnPostgres()) GTEST_SKIP() << "parallel workers are PostgreSQL's";
  auto connection = Open();
  const std::string serial =
      "SELECT COUNT(*) FROM pg_settings WHERE name = 'max_parallel_workers_per_gather' "
      "AND setting = '0'";
  EXPECT_EQ(connection->CountWithin(serial, 25), 1);
  EXPECT_EQ(connection->CountWithin(serial, 250), 0);
  EXPECT_EQ(connection->CountWithin(serial, 0), 0);
  EXPECT_EQ(connection->CountWithin(serial, 25), 1);
}

// A record opened by key stands after the records its sort values and key place before it,
// however rows came and went since its link was drawn: ties broken by the key, either
// direction, Null names where the database sorts them.
TEST_F(PagingTest, RecordOpenedByKeyIsPlacedAfterTheRecordsBeforeIt) {
  MakeTable(0);
  Execute("INSERT INTO T (id, name) VALUES (1, 'b'), (2, 'a'), (3, 'b'), (4, 'c'), (5, 'b')");
  const auto keyed = [](DbView& v) {
    v.SetEditPrimaryKeys("id");
    v.SetSeekPaging(true);
  };
  const auto view = [&](int id, const std::string& order) {
    return Get("Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=3&Vexmo1CountRecords=on&Vexmo1PK=" +
                   std::to_string(id) + "&Vexmo1OrderByFields=" + order,
               keyed);
  };
  const RenderedPage before = view(3, "name");
  EXPECT_NE(before.output.find("Record 3 of 5</td>"), std::string::npos) << before.output;
  const auto carrying = [&](DbView& v) {
    keyed(v);
    v.SetCountCacheSeconds(30);
  };
  const std::string carried = Between(Get({}, carrying).output,
                                      "name=\"Vexmo1CarriedCount\" value=\"", "\"");
  ASSERT_FALSE(carried.empty());

  Execute("INSERT INTO T (id, name) VALUES (0, 'b'), (9, 'a'), (6, 'b'), (8, NULL)");
  // Under the count its link's page carried, the link's number holds: both tell the moment
  // the link was drawn, and nothing is counted again.
  const RenderedPage snapshot =
      Post("Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=3&Vexmo1CountRecords=on&Vexmo1PK=3"
           "&Vexmo1OrderByFields=name&Vexmo1CarriedCount=" + carried,
           carrying);
  EXPECT_NE(snapshot.output.find("Record 3 of 5</td>"), std::string::npos) << snapshot.output;
  EXPECT_EQ(snapshot.errors, "");
  const bool nulls_first = !OnPostgres();
  const RenderedPage ascending = view(3, "name");
  EXPECT_NE(ascending.output.find(nulls_first ? "Record 6 of 9</td>" : "Record 5 of 9</td>"),
            std::string::npos)
      << ascending.output;
  const RenderedPage descending = view(3, "name%20DESC");
  EXPECT_NE(descending.output.find(nulls_first ? "Record 4 of 9</td>" : "Record 5 of 9</td>"),
            std::string::npos)
      << descending.output;
  const RenderedPage null_name = view(8, "name");
  EXPECT_NE(null_name.output.find(nulls_first ? "Record 1 of 9</td>" : "Record 9 of 9</td>"),
            std::string::npos)
      << null_name.output;
  EXPECT_EQ(ascending.errors + descending.errors + null_name.errors, "");
}

// Counting the records before one opened by key keeps to the count's budget: past it the page
// shows the number its link carried, as an estimate.
TEST_F(PagingTest, RecordOpenedByKeyPastTheCountBudgetShowsItsLinksNumberAsAnEstimate) {
  MakeLargeTable();
  const RenderedPage page = Get(
      "Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=250000&Vexmo1CountRecords=on"
      "&Vexmo1PK=250001&Vexmo1OrderByFields=id",
      [](DbView& v) {
        v.SetEditPrimaryKeys("id");
        v.SetSeekPaging(true);
        v.SetCountTimeoutMs(1);
      });
  EXPECT_NE(page.output.find(">item 250001<"), std::string::npos) << page.output;
  EXPECT_NE(page.output.find("Record about 250,000 of "), std::string::npos) << page.output;
  EXPECT_EQ(page.errors, "");
}

TEST_F(PagingTest, CarriedCountServesItsStatementUntilAWriteAndForgeriesAreReported) {
  MakeTable(45);
  const auto carrying = [](DbView& v) { v.SetCountCacheSeconds(30); };
  const RenderedPage first = Get({}, carrying);
  const std::string carried =
      Between(first.output, "name=\"Vexmo1CarriedCount\" value=\"", "\"");
  ASSERT_FALSE(carried.empty()) << first.output;
  const std::string state = "Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1CarriedCount=";

  // No count runs while the carried one lives: rows deleted meanwhile do not show in it.
  Execute("DELETE FROM T WHERE id > 40");
  const RenderedPage kept = Post(state + carried, carrying);
  EXPECT_NE(kept.output.find(" of 45</td>"), std::string::npos) << kept.output;
  EXPECT_EQ(kept.errors, "");
  EXPECT_NE(kept.output.find(carried), std::string::npos);  // carried on with its own end

  // A save posted through the grid drops it.
  const RenderedPage written = Post(state + carried + "&Vexmo1FormUpdate=Save", carrying);
  EXPECT_EQ(written.output.find(" of 45</td>"), std::string::npos);
  EXPECT_EQ(written.grid->RecordCount(), 40);

  const std::string forged = "1000" + carried.substr(carried.find('.'));
  for (const RenderedPage& refused :
       {Post(state + forged, carrying), Post(state + carried, [&](DbView& v) {
          carrying(v);
          v.SetSql("SELECT * FROM T WHERE id > 0");
        })}) {
    EXPECT_NE(refused.output.find(" of 40</td>"), std::string::npos);
    const std::string entry = "The carried record count was ignored";
    ASSERT_NE(refused.errors.find(entry), std::string::npos);
    EXPECT_EQ(refused.errors.find(entry, refused.errors.find(entry) + 1), std::string::npos);
  }

  // The library's page carries nothing.
  EXPECT_EQ(Get().output.find("CarriedCount"), std::string::npos);
}

// An estimate past the budget is carried as the count is: Next shows it without counting
// again (a count would now give another figure), still as an estimate, and an estimate is
// never taken for an exact count; a save drops it.
TEST_F(PagingTest, AnEstimatePastTheBudgetIsCarriedAsAnEstimate) {
  MakeLargeTable();
  Execute("ANALYZE");
  const auto budgeted = [](DbView& v) {
    OverBudget(v);
    v.SetCountCacheSeconds(30);
  };
  const RenderedPage first = Get({}, budgeted);
  const std::string shown = Between(first.output, "Record (1..20) of about ", "<");
  ASSERT_FALSE(shown.empty()) << first.output;
  const std::string carried =
      Between(first.output, "name=\"Vexmo1CarriedCount\" value=\"", "\"");
  ASSERT_EQ(carried.substr(0, 1), "~") << first.output;
  const std::string state = "Vexmo1CurrRecord=1&Vexmo1CountRecords=on&Vexmo1CarriedCount=";

  Execute("DELETE FROM T WHERE id > 100");
  Execute(OnPostgres() ? "ANALYZE" : "UPDATE sqlite_stat1 SET stat = '100' WHERE tbl = 'T'");
  const RenderedPage next = Post(state + carried + "&Vexmo1NEXT.x=1", budgeted);
  EXPECT_NE(next.output.find("Record (21..40) of about " + shown + "<"), std::string::npos)
      << next.output;
  EXPECT_NE(next.output.find(carried), std::string::npos);
  EXPECT_EQ(next.errors, "");

  const std::string as_exact = carried.substr(1);
  const RenderedPage forged = Post(state + as_exact, budgeted);
  EXPECT_NE(forged.errors.find("The carried record count was ignored"), std::string::npos);

  const RenderedPage written = Post(state + carried + "&Vexmo1FormUpdate=Save", budgeted);
  EXPECT_EQ(written.output.find("of about " + shown + "<"), std::string::npos) << written.output;
}

}  // namespace
}  // namespace kelvo::testing
