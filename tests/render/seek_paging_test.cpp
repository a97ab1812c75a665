// Seek paging against positional paging: the same rows and texts on every page, pages that
// stay put when rows before them go, and boundaries that fail their check.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "kelvo/convert.h"
#include "state/seek_paging.h"
#include "support/grid_page.h"
#include "support/renderer_test.h"

namespace kelvo::testing {
namespace {

class SeekPagingTest : public GridPageTest {
 protected:
  void SetUp() override {
    GridPageTest::SetUp();
    if (IsSkipped()) return;
    // Ties and NULLs in both sort columns, ties in a column declared NOT NULL; the key
    // breaks the ties.
    Execute("CREATE TABLE S (id " + KeyType() +
            ", grp INTEGER, name VARCHAR(20), tag VARCHAR(5) NOT NULL)");
    for (int id = 1; id <= 47; ++id) {
      const std::string grp = id % 5 == 0 ? "NULL" : std::to_string(id % 4);
      const std::string name = id % 7 == 0 ? "NULL" : "'n" + std::to_string(id % 3) + "'";
      const std::string tag = "'t" + std::to_string(id % 6) + "'";
      Execute("INSERT INTO S VALUES (" + std::to_string(id) + ", " + grp + ", " + name + ", " +
              tag + ")");
    }
  }

  // The grid as the seek pages see it, sorted by `fields` (OrderByDesc `descending`).
  std::function<void(DbView&)> Sought(const std::string& fields, bool descending) {
    return [=](DbView& v) {
      v.SetSql("SELECT * FROM S");
      v.SetRecordsPerPage(10);
      v.SetEditPrimaryKeys("id");
      v.SetOrderByFields(fields);
      v.SetOrderByDesc(descending);
      v.SetSeekPaging(true);
    };
  }
  // The same order written out, paged by position.
  std::function<void(DbView&)> Positional(const std::string& order) {
    return [=](DbView& v) {
      v.SetSql("SELECT * FROM S");
      v.SetRecordsPerPage(10);
      v.SetEditPrimaryKeys("id");
      v.SetOrderByFields(order);
    };
  }
};

// The page's own form posted back with the button `button` ("NEXT", "PREV", "LAST").
std::string FormOf(const RenderedPage& page, const std::string& button) {
  static const std::regex kHidden("<input type=\"hidden\" name=\"([^\"]*)\" value=\"([^\"]*)\">");
  std::string form;
  for (std::sregex_iterator it(page.output.begin(), page.output.end(), kHidden), end; it != end;
       ++it) {
    form += FormEncode(HtmlDecode((*it)[1])) + "=" + FormEncode(HtmlDecode((*it)[2])) + "&";
  }
  return form + "Vexmo1" + button + ".x=3&Vexmo1" + button + ".y=4";
}

// Every data cell of the page.
std::string Cells(const RenderedPage& page) {
  static const std::regex kCell("<td id=\"klv1cell_\\d+_[1-9]\\d*\"[^>]*>([^<]*)</td>");
  std::string cells;
  for (std::sregex_iterator it(page.output.begin(), page.output.end(), kCell), end; it != end;
       ++it) {
    cells += (*it)[1].str() + "|";
  }
  return cells;
}

// What a user reads: the cells, the record text and the page text.
std::string Shown(const RenderedPage& page) {
  return Cells(page) + Between(page.output, "&nbsp;Record", "</td>") + " / " +
         Between(page.output, "&nbsp;Page", "&nbsp;");
}

std::string Current(const RenderedPage& page) {
  return Between(page.output, "name=\"Vexmo1CurrRecord\" value=\"", "\"");
}

TEST_F(SeekPagingTest, ShowsWhatPositionalPagingShowsOnEveryPage) {
  struct Order {
    std::string fields;
    bool descending;
    std::string positional;
  };
  // Header links sort by column number.
  const std::vector<Order> orders = {{"grp", false, "grp,id"},
                                     {"grp", true, "grp DESC,id DESC"},
                                     {"name DESC,grp", false, "name DESC,grp,id"},
                                     {"name,grp", true, "name,grp DESC,id DESC"},
                                     {"4", false, "tag,id"},
                                     {"4", true, "tag DESC,id DESC"},
                                     {"tag DESC,3", false, "tag DESC,name,id"}};
  for (const Order& order : orders) {
    SCOPED_TRACE(order.fields + (order.descending ? " descending" : ""));
    const auto sought = Sought(order.fields, order.descending);
    const auto positional = Positional(order.positional);
    RenderedPage page = Get({}, sought);
    std::vector<std::string> starts;
    // Forward with Next to the end, then Last, then back with Previous to the start.
    for (;;) {
      ASSERT_EQ(page.errors, "");
      ASSERT_NE(page.output.find("name=\"Vexmo1PageKeys\""), std::string::npos);
      starts.push_back(Current(page));
      EXPECT_EQ(Shown(page), Shown(Get("Vexmo1CurrRecord=" + starts.back(), positional)))
          << "page from " << starts.back();
      if (page.output.find("name=\"Vexmo1NEXT\"") == std::string::npos) break;
      page = Post(FormOf(page, "NEXT"), sought);
    }
    ASSERT_EQ(starts.size(), 5u);
    EXPECT_EQ(starts.back(), "41");
    page = Post(FormOf(Get({}, sought), "LAST"), sought);
    EXPECT_EQ(Current(page), "41");
    EXPECT_EQ(Shown(page), Shown(Get("Vexmo1CurrRecord=41", positional)));
    while (page.output.find("name=\"Vexmo1PREV\"") != std::string::npos) {
      page = Post(FormOf(page, "PREV"), sought);
      ASSERT_EQ(page.errors, "");
      EXPECT_EQ(Shown(page), Shown(Get("Vexmo1CurrRecord=" + Current(page), positional)))
          << "page from " << Current(page);
    }
    EXPECT_EQ(Current(page), "1");
  }
}

TEST_F(SeekPagingTest, NextContinuesAfterTheLastRecordShownWhenEarlierRowsGo) {
  const auto sought = Sought("grp", false);
  const RenderedPage second = Post(FormOf(Get({}, sought), "NEXT"), sought);
  // Two records of the first page go; a positional Next would skip two records.
  Execute("DELETE FROM S WHERE id IN (4, 8)");
  const RenderedPage third = Post(FormOf(second, "NEXT"), sought);
  EXPECT_EQ(third.errors, "");
  EXPECT_EQ(Current(third), "21");
  const RenderedPage by_position = Get("Vexmo1CurrRecord=19", Positional("grp,id"));
  EXPECT_EQ(Cells(third), Cells(by_position));
}

TEST_F(SeekPagingTest, BoundariesThatFailTheirCheckAreIgnoredOnce) {
  const auto sought = Sought("grp", true);
  const RenderedPage first = Get({}, sought);
  const std::string form = FormOf(first, "NEXT");
  std::string changed = form;
  const std::size_t value = changed.find("PageKeys=") + 9;
  changed[value] = changed[value] == '9' ? '8' : static_cast<char>(changed[value] + 1);
  const RenderedPage expected = Get("Vexmo1CurrRecord=11", Positional("grp DESC,id DESC"));
  // A changed value, another statement, and another position.
  const std::vector<std::pair<std::string, std::function<void(DbView&)>>> cases = {
      {changed, sought},
      {form,
       [&](DbView& v) {
         sought(v);
         v.SetSql("SELECT * FROM S WHERE id > 0");
       }},
      {std::regex_replace(form, std::regex("CurrRecord=1&"), "CurrRecord=2&"), sought}};
  for (const auto& [posted, configure] : cases) {
    const RenderedPage page = Post(posted, configure);
    EXPECT_NE(page.errors.find("The posted page boundaries were ignored"), std::string::npos);
    EXPECT_EQ(page.errors.find("<br>"), page.errors.rfind("<br>")) << page.errors;
  }
  const RenderedPage forged = Post(cases[0].first, sought);
  EXPECT_EQ(Shown(forged), Shown(expected));
}

TEST_F(SeekPagingTest, LastAndPreviousUnderAnEstimateReadTheFinalRecordsByReverseOrder) {
  MakeTable(0);
  Execute("INSERT INTO T (id, name, price) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
          "SELECT i + 1 FROM n WHERE i < 300000) SELECT i, 'item ' || i, i * 1.5 FROM n");
  Execute("ANALYZE");
  const auto by_position = [](DbView& v) {
    v.SetSql("SELECT * FROM T WHERE name <> 'none'");
    v.SetOrderByFields("id");
  };
  // No count finishes within a millisecond: the pages are numbered from the estimate.
  const auto sought = [&](DbView& v) {
    by_position(v);
    v.SetEditPrimaryKeys("id");
    v.SetSeekPaging(true);
    v.SetCountTimeoutMs(1);
  };
  const RenderedPage last = Post(FormOf(Get({}, sought), "LAST"), sought);
  ASSERT_EQ(last.errors, "");
  EXPECT_NE(last.output.find(") of about "), std::string::npos) << last.output;
  const int rows = last.grid->ToRow() - last.grid->FromRow() + 1;
  ASSERT_GE(rows, 1);
  ASSERT_LE(rows, 20);
  EXPECT_EQ(Cells(last),
            Cells(Get("Vexmo1CurrRecord=" + std::to_string(300001 - rows), by_position)));
  const RenderedPage previous = Post(FormOf(last, "PREV"), sought);
  ASSERT_EQ(previous.errors, "");
  EXPECT_NE(previous.output.find(") of about "), std::string::npos);
  EXPECT_EQ(Cells(previous),
            Cells(Get("Vexmo1CurrRecord=" + std::to_string(300001 - rows - 20), by_position)));
  // An estimate beyond the record limit ends at the limit: the last page is the limit's.
  const auto limited = [&](DbView& v) {
    sought(v);
    v.SetRecordsMaxLimit(100);
  };
  const RenderedPage capped = Post(FormOf(Get({}, limited), "LAST"), limited);
  EXPECT_EQ(capped.grid->FromRow(), 81);
  EXPECT_EQ(Cells(capped), Cells(Get("Vexmo1CurrRecord=81", by_position)));
}

class SeekPlanTest : public RendererTest {};

// A sort on a column that allows NULL is sought by ranges and NULL tests that an index on the
// column serves, in either direction, from a NULL or a value: a NULL test joined to a
// comparison by OR had SQLite read the whole index, 180 ms for a page of 2,000,000 rows.
TEST_F(SeekPlanTest, ColumnThatAllowsNullIsSoughtByIndexRanges) {
  if (OnPostgres()) GTEST_SKIP() << "reads SQLite's query plans";
  connection_->Execute("CREATE TABLE S (id INTEGER PRIMARY KEY, grp INTEGER, name TEXT)");
  connection_->Execute("INSERT INTO S VALUES (1, NULL, 'a'), (2, 1, 'b'), (3, 2, 'c')");
  connection_->Execute("CREATE INDEX S_grp ON S (grp)");
  s_.sql = "SELECT * FROM S";
  s_.EditPrimaryKeys = "id";
  s_.SeekPaging = true;
  s_.OrderByFields = "grp";
  for (const bool descending : {false, true}) {
    for (const int id : {1, 2}) {
      SCOPED_TRACE("record " + std::to_string(id) + (descending ? " descending" : ""));
      s_.OrderByDesc = descending;
      const std::optional<detail::SeekOrder> order = detail::SeekOrderOf(s_);
      ASSERT_TRUE(order);
      Recordset record;
      record.Open("SELECT * FROM S WHERE id = " + std::to_string(id), connection_);
      const std::optional<detail::SoughtStatement> count =
          detail::PrecedingCountStatement(s_, *order, record);
      ASSERT_TRUE(count);
      std::string explained = "EXPLAIN QUERY PLAN ";
      std::size_t bound = 0;
      for (const char c : count->text) {
        explained +=
            c == '?' ? CStr(count->parameters.at(bound++), Locale::Default()) : std::string(1, c);
      }
      Recordset plan;
      plan.Open(explained, connection_);
      std::string steps;
      for (; !plan.Eof(); plan.MoveNext()) {
        steps += CStr(plan.Fields().Item("detail").Value(), Locale::Default()) + "\n";
      }
      EXPECT_EQ(steps.find("SCAN S"), std::string::npos) << steps;
      EXPECT_NE(steps.find("SEARCH S USING COVERING INDEX S_grp"), std::string::npos) << steps;
    }
  }
}

}  // namespace
}  // namespace kelvo::testing
