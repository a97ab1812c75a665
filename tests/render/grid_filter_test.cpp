// Search, column filters and facets over HTTP-shaped requests: the rows they find, the count,
// paging, record view and export that follow them, hostile input, and two grids on a page.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "kelvo/db_connection.h"
#include "support/grid_page.h"

namespace kelvo::testing {
namespace {

class GridFilterTest : public GridPageTest {
 protected:
  void SetUp() override {
    GridPageTest::SetUp();
    if (IsSkipped()) return;
    Execute("CREATE TABLE P (id " + KeyType() +
            ", name VARCHAR(40), city VARCHAR(20), qty INTEGER, made DATE)");
    const std::vector<std::string> rows = {
        "1, 'Alpha', 'Oslo', 5, '2024-01-05'",      "2, 'ALPHABET', 'Bergen', 12, '2024-02-10'",
        "3, '50% off', 'Oslo', 7, '2024-02-11'",     "4, 'a_b', NULL, 30, NULL",
        "5, 'ab', 'Oslo', 8, '2024-03-01'",          "6, 'back\\slash', 'Bergen', 1, '2024-03-02'",
        "7, NULL, 'Trondheim', 9, '2024-03-03'",     "8, 'beta', '', 20, '2024-04-04'",
    };
    for (const std::string& row : rows) Execute("INSERT INTO P VALUES (" + row + ")");
    for (int id = 9; id <= 33; ++id) {
      Execute("INSERT INTO P VALUES (" + std::to_string(id) + ", 'gamma " + std::to_string(id) +
              "', 'Oslo', " + std::to_string(id) + ", '2024-05-01')");
    }
  }

  static std::function<void(DbView&)> Grid(std::function<void(DbView&)> more = nullptr) {
    return [more](DbView& v) {
      v.SetSql("SELECT id, name, city, qty, made FROM P");
      v.SetEditPrimaryKeys("id");
      v.SetOrderByFields("id");
      v.SetSearchFields("name,city");
      v.SetFilterFields("name,3,qty,made");
      if (more) more(v);
    };
  }

  int CountRows(const std::string& where) {
    Connection connection;
    connection.Open(ConnectionString());
    const auto count = connection.CountWithin("SELECT COUNT(*) FROM P " + where, 0);
    connection.Close();
    return static_cast<int>(count.value_or(-1));
  }
};

// The page's form as a browser posts it: hidden inputs, then the filter row's inputs with the
// values of `typed` (name → value) in place of theirs, then `extra`.
std::string FormOf(const RenderedPage& page, const std::vector<std::pair<std::string, std::string>>& typed,
                   const std::string& extra = {}) {
  static const std::regex kInput(
      "<input type=\"(?:hidden|search|text|date)\"[^>]*? name=\"([^\"]*)\" value=\"([^\"]*)\"");
  static const std::regex kSelect("<select [^>]*name=\"([^\"]*)\"[^>]*>(.*?)</select>");
  static const std::regex kSelected("<option value=\"([^\"]*)\" selected>");
  std::string form;
  const auto add = [&](const std::string& name, std::string value) {
    for (const auto& [key, replacement] : typed) {
      if (key == name) value = replacement;
    }
    form += FormEncode(name) + "=" + FormEncode(value) + "&";
  };
  for (std::sregex_iterator it(page.output.begin(), page.output.end(), kInput), end; it != end; ++it) {
    add(HtmlDecode((*it)[1]), HtmlDecode((*it)[2]));
  }
  for (std::sregex_iterator it(page.output.begin(), page.output.end(), kSelect), end; it != end; ++it) {
    const std::string options = (*it)[2];
    std::smatch selected;
    std::string value = Between(options, "<option value=\"", "\"");
    if (std::regex_search(options, selected, kSelected)) value = selected[1];
    add((*it)[1], value);
  }
  return form + extra;
}

// The ids of the rows shown (column 1 of every data row).
std::string Ids(const RenderedPage& page) {
  static const std::regex kCell("<td id=\"klv1cell_\\d+_1\"[^>]*>([^<]*)</td>");
  std::string ids;
  for (std::sregex_iterator it(page.output.begin(), page.output.end(), kCell), end; it != end; ++it) {
    ids += (*it)[1].str() + " ";
  }
  return ids;
}

std::string RecordText(const RenderedPage& page) {
  return Between(page.output, "&nbsp;Record", "</td>");
}

// The query of the first link whose address holds `part`, decoded from the attribute.
std::string LinkWith(const RenderedPage& page, const std::string& part) {
  static const std::regex kLink("<a[^>]* href=\"[^\"?]*\\?([^\"]*)\"");
  for (std::sregex_iterator it(page.output.begin(), page.output.end(), kLink), end; it != end; ++it) {
    const std::string query = HtmlDecode((*it)[1]);
    if (query.find(part) != std::string::npos) return query;
  }
  return {};
}

// The query of the first link whose text is `text`, decoded from the attribute.
std::string LinkQuery(const RenderedPage& page, const std::string& text) {
  const std::regex link("<a[^>]* href=\"[^\"?]*\\?([^\"]*)\">" + text + "</a>");
  std::smatch found;
  if (!std::regex_search(page.output, found, link)) return {};
  return HtmlDecode(found[1]);
}

TEST_F(GridFilterTest, SearchMatchesListedTextColumnsIgnoringCaseAndTakesWildcardsLiterally) {
  EXPECT_EQ(Ids(Get("Vexmo1Search=alpha", Grid())), "1 2 ");
  // City is searched too; the count and record text follow the matches.
  const RenderedPage bergen = Get("Vexmo1Search=BERG", Grid());
  EXPECT_EQ(Ids(bergen), "2 6 ");
  EXPECT_NE(RecordText(bergen).find("of 2"), std::string::npos) << RecordText(bergen);
  // A wildcard is matched as typed, and the page says so, with the text encoded.
  const RenderedPage percent = Get("Vexmo1Search=%25%3Cb", Grid());
  EXPECT_EQ(Ids(Get("Vexmo1Search=%25", Grid())), "3 ");
  EXPECT_NE(percent.output.find(
                "The search looked for &quot;%&lt;b&quot; as typed: *, ? and % are no wildcards here."),
            std::string::npos)
      << percent.output;
  EXPECT_EQ(Ids(Get("Vexmo1Search=a_", Grid())), "4 ");
  EXPECT_EQ(Ids(Get("Vexmo1Search=k%5Cs", Grid())), "6 ");
  // A column the list leaves out is not searched; "*" is every text column.
  EXPECT_EQ(Ids(Get("Vexmo1Search=trond", Grid([](DbView& v) { v.SetSearchFields("name"); }))), "");
  EXPECT_EQ(Ids(Get("Vexmo1Search=trond", Grid([](DbView& v) { v.SetSearchFields("*"); }))), "7 ");
  // Letters of every script match whatever their case: "достоевский", "ålesund".
  Execute("INSERT INTO P VALUES (34, 'Фёдор Достоевский', 'ÅLESUND', 1, NULL)");
  EXPECT_EQ(Ids(Get("Vexmo1Search=%D0%B4%D0%BE%D1%81%D1%82%D0%BE%D0%B5%D0%B2%D1%81%D0%BA%D0%B8%D0%B9", Grid())), "34 ");
  EXPECT_EQ(Ids(Get("Vexmo1Search=%C3%A5lesund", Grid())), "34 ");

  // The box is labelled, shows the text, and says when nothing matches.
  const RenderedPage none = Get("Vexmo1Search=%3Czz%3E", Grid());
  EXPECT_NE(none.output.find("<label for=\"Vexmo1Search\">Search</label> <input type=\"search\""),
            std::string::npos);
  EXPECT_NE(none.output.find("value=\"&lt;zz&gt;\""), std::string::npos);
  EXPECT_NE(none.output.find("no rows match"), std::string::npos);
  EXPECT_EQ(none.errors, "");

  // Too long a search is told and not applied.
  const RenderedPage overlong = Get("Vexmo1Search=" + std::string(1001, 'a'), Grid());
  EXPECT_NE(overlong.output.find("longer than 1,000 characters"), std::string::npos);
  EXPECT_EQ(Ids(overlong).substr(0, 8), "1 2 3 4 ");
}

// A column that only shows as text (a uuid, JSON, an array, an interval) is searched, filtered
// and grouped into facets by the text it shows, rather than failing the page.
TEST_F(GridFilterTest, ColumnsThatOnlyShowAsTextAreSearchedByWhatTheyShow) {
  if (!OnPostgres()) GTEST_SKIP() << "types of PostgreSQL";
  Execute("CREATE TABLE odd (id INTEGER PRIMARY KEY, uid UUID, meta JSONB, tags TEXT[], "
          "wait INTERVAL, doc JSON)");
  Execute("INSERT INTO odd VALUES "
          "(1, 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', '{\"k\": \"Fjord\"}', '{x,y}', '2 hours', "
          "'{\"a\": 1}'), "
          "(2, NULL, NULL, '{fjordland}', NULL, NULL), "
          "(3, '00000000-0000-0000-0000-000000000000', '[]', '{}', '1 day', '[]')");
  const auto grid = [](DbView& v) {
    v.SetSql("SELECT * FROM odd");
    v.SetEditPrimaryKeys("id");
    v.SetOrderByFields("id");
    v.SetSearchFields("*");
    v.SetFilterFields("uid, meta, doc");
    v.SetFacetFields("doc");
  };
  const RenderedPage fjord = Get("Vexmo1Search=FJORD", grid);
  EXPECT_EQ(fjord.errors, "");
  EXPECT_EQ(Ids(fjord), "1 2 ");
  EXPECT_EQ(Ids(Get("Vexmo1Search=9C0B", grid)), "1 ");
  EXPECT_EQ(Ids(Get("Vexmo1Search=02%3A00", grid)), "1 ");
  const RenderedPage contains = Get("Vexmo1Filter2=BB6D&Vexmo1Filter2Op=contains", grid);
  EXPECT_EQ(contains.errors, "");
  EXPECT_EQ(Ids(contains), "1 ");

  for (const char* column : {"2", "3", "6"}) {
    const RenderedPage empty =
        Get(std::string("Vexmo1Filter") + column + "=&Vexmo1Filter" + column + "Op=empty", grid);
    EXPECT_EQ(empty.errors, "") << column;
    EXPECT_EQ(Ids(empty), "2 ") << column;
  }
  EXPECT_EQ(Ids(Get("Vexmo1Filter2=00000000-0000-0000-0000-000000000000&Vexmo1Filter2Op=equals",
                    grid)),
            "3 ");
  const RenderedPage no_uuid = Get("Vexmo1Filter2=fjord&Vexmo1Filter2Op=equals", grid);
  EXPECT_EQ(no_uuid.errors, "");
  EXPECT_EQ(Ids(no_uuid), "");
  EXPECT_EQ(Ids(Get("Vexmo1Filter3=%7B%22k%22%3A+%22Fjord%22%7D&Vexmo1Filter3Op=equals", grid)),
            "1 ");
  const RenderedPage json = Get("Vexmo1Filter6=%5B%5D&Vexmo1Filter6Op=equals", grid);
  EXPECT_EQ(json.errors, "");
  EXPECT_EQ(Ids(json), "3 ");
  const std::string facets = Between(json.output, "class=\"KLVOTableFacets\">", "</td>");
  EXPECT_NE(facets.find(">[]</a>&nbsp;(1)"), std::string::npos) << facets;
}

TEST_F(GridFilterTest, EachFilterKindFindsTheRowsTheDatabaseFinds) {
  struct Case {
    std::string query;
    std::string where;
  };
  const std::vector<Case> cases = {
      {"Vexmo1Filter2=AB&Vexmo1Filter2Op=contains", "WHERE LOWER(name) LIKE '%ab%'"},
      {"Vexmo1Filter2=ab&Vexmo1Filter2Op=equals", "WHERE name = 'ab'"},
      {"Vexmo1Filter3=&Vexmo1Filter3Op=empty", "WHERE city IS NULL OR city = ''"},
      {"Vexmo1Filter4=7&Vexmo1Filter4Op=from", "WHERE qty >= 7"},
      {"Vexmo1Filter4=8.5&Vexmo1Filter4Op=to", "WHERE qty <= 8"},
      {"Vexmo1Filter5=2024-02-11&Vexmo1Filter5Op=to", "WHERE made <= '2024-02-11'"},
      {"Vexmo1Filter5=2024-03-01&Vexmo1Filter5Op=from&Vexmo1Filter4=9&Vexmo1Filter4Op=to",
       "WHERE made >= '2024-03-01' AND qty <= 9"},
      {"Vexmo1Filter5=&Vexmo1Filter5Op=empty", "WHERE made IS NULL"},
      {"Vexmo1Filter4=7&Vexmo1Filter4Op=from&Vexmo1Filter4To=12", "WHERE qty >= 7 AND qty <= 12"},
      {"Vexmo1Filter5=2024-02-10&Vexmo1Filter5Op=from&Vexmo1Filter5To=2024-03-02",
       "WHERE made >= '2024-02-10' AND made <= '2024-03-02'"},
  };
  for (const Case& c : cases) {
    const RenderedPage page = Get(c.query + "&Vexmo1maxrecords=50", Grid([](DbView& v) {
                                    v.SetRecordsPerPage(50);
                                  }));
    const int expected = CountRows(c.where);
    EXPECT_EQ(page.grid->RecordCount(), expected) << c.query;
    const std::string ids = Ids(page);
    EXPECT_EQ(static_cast<int>(std::count(ids.begin(), ids.end(), ' ')), expected) << c.query;
    EXPECT_EQ(page.errors, "") << c.query;
  }

  // A range travels in the view's link and its filter row.
  const RenderedPage range = Get("Vexmo1Filter4=7&Vexmo1Filter4To=12", Grid());
  const std::string range_link = LinkQuery(range, "link to this view");
  EXPECT_NE(range_link.find("Vexmo1Filter4=7&Vexmo1Filter4Op=from&Vexmo1Filter4To=12"),
            std::string::npos) << range_link;
  EXPECT_EQ(Get(range_link, Grid()).grid->RecordCount(), CountRows("WHERE qty >= 7 AND qty <= 12"));
  EXPECT_NE(range.output.find("name=\"Vexmo1Filter4To\" aria-label=\"qty to\" value=\"12\""),
            std::string::npos);
  const RenderedPage bad_to = Get("Vexmo1Filter4=7&Vexmo1Filter4To=x", Grid());
  EXPECT_NE(bad_to.output.find("is not a number"), std::string::npos);
  EXPECT_EQ(bad_to.grid->RecordCount(), 33);
  // An upper bound with another operator than "from" is left out, told once in ErrorMessage
  // however many came; the other filters still apply.
  const RenderedPage stray_to =
      Get("Vexmo1Filter4=9&Vexmo1Filter4Op=equals&Vexmo1Filter4To=12&Vexmo1Filter3=oslo&"
          "Vexmo1Filter3Op=contains&Vexmo1Filter5=2024-05-01&Vexmo1Filter5Op=equals&Vexmo1Filter5To=2024-12-31",
          Grid());
  EXPECT_EQ(Ids(stray_to), "9 ");
  EXPECT_EQ(stray_to.errors,
            "A posted upper bound was ignored: it goes with the filter \"from\" only in ReadGridFilter<br>");
  EXPECT_EQ(LinkQuery(stray_to, "link to this view").find("To="), std::string::npos);

  // Bad values are told and leave the rows unfiltered; a column the grid does not filter, or
  // none, is one ErrorMessage entry.
  const RenderedPage bad_number = Get("Vexmo1Filter4=12abc&Vexmo1Filter4Op=from", Grid());
  EXPECT_NE(bad_number.output.find("is not a number"), std::string::npos);
  EXPECT_EQ(bad_number.grid->RecordCount(), 33);
  const RenderedPage bad_date = Get("Vexmo1Filter5=2024-02-30&Vexmo1Filter5Op=from", Grid());
  EXPECT_NE(bad_date.output.find("is not a date"), std::string::npos);
  EXPECT_EQ(bad_date.grid->RecordCount(), 33);
  const RenderedPage wrong_op = Get("Vexmo1Filter4=1&Vexmo1Filter4Op=contains", Grid());
  EXPECT_NE(wrong_op.output.find("has no filter"), std::string::npos);
  const RenderedPage bad_columns =
      Get("Vexmo1Filter1=3&Vexmo1Filter99=1&Vexmo1FilterX=1&Vexmo1Filter4=5&Vexmo1Filter4Op=to", Grid());
  EXPECT_EQ(bad_columns.grid->RecordCount(), CountRows("WHERE qty <= 5"));
  EXPECT_EQ(bad_columns.errors,
            "A posted filter was ignored: it names no column the grid filters in ReadGridFilter<br>");
}

// A page in a locale with a decimal comma takes numbers as the grid shows them, and its facets
// link to values it reads back the same.
TEST_F(GridFilterTest, NumbersAreTypedAndLinkedInThePageLocale) {
  options_.locale = "de-DE";
  const auto grid = Grid([](DbView& v) {
    v.SetSql("SELECT id, name, city, qty, made, qty * 0.5 AS half FROM P");
    v.SetFilterFields("qty,half");
    v.SetFacetFields("half");
  });
  const RenderedPage half = Get("Vexmo1Filter6=3,5&Vexmo1Filter6Op=from", grid);
  EXPECT_EQ(half.errors, "");
  EXPECT_EQ(half.grid->RecordCount(), CountRows("WHERE qty >= 7"));
  EXPECT_EQ(Get("Vexmo1Filter4=7,5&Vexmo1Filter4Op=from", grid).grid->RecordCount(),
            CountRows("WHERE qty >= 8"));
  EXPECT_EQ(Ids(Get("Vexmo1Filter4=5,0&Vexmo1Filter4Op=equals", grid)), "1 ");
  EXPECT_EQ(Ids(Get("Vexmo1Filter4=1.000&Vexmo1Filter4Op=to", grid)).substr(0, 4), "1 2 ");

  const RenderedPage low = Get("Vexmo1Filter4=1&Vexmo1Filter4Op=to", grid);
  const std::string query = LinkQuery(low, "0,5");
  EXPECT_NE(query.find("Vexmo1Filter6=0,5&"), std::string::npos) << query;
  EXPECT_EQ(Ids(Get(query, grid)), "6 ");
}

TEST_F(GridFilterTest, FacetsCountUnderTheSearchAndLinkToTheirFilter) {
  const auto facets = Grid([](DbView& v) { v.SetFacetFields("city"); });
  const RenderedPage page = Get("Vexmo1Filter4=12&Vexmo1Filter4Op=to", facets);
  // qty <= 12: Oslo 1, 3, 5, 9, 10, 11, 12; Bergen 2, 6; Trondheim 7; '' 8 (qty 20 is out).
  const std::string row = Between(page.output, "class=\"KLVOTableFacets\">", "</td>");
  const std::size_t oslo = row.find(">Oslo</a>&nbsp;(7)");
  const std::size_t bergen = row.find(">Bergen</a>&nbsp;(2)");
  ASSERT_NE(oslo, std::string::npos) << row;
  ASSERT_NE(bergen, std::string::npos) << row;
  EXPECT_LT(oslo, bergen);
  EXPECT_NE(row.find(">Trondheim</a>&nbsp;(1)"), std::string::npos) << row;

  // The link keeps the filter and adds the facet's.
  const std::string query = LinkQuery(page, "Bergen");
  EXPECT_NE(query.find("Vexmo1Filter4=12&Vexmo1Filter4Op=to"), std::string::npos) << query;
  const RenderedPage clicked = Get(query, facets);
  EXPECT_EQ(Ids(clicked), "2 6 ");
  EXPECT_NE(Between(clicked.output, "class=\"KLVOTableFacets\">", "</td>").find(">Bergen</a>&nbsp;(2)"),
            std::string::npos);

  // Facets that cannot be counted within CountTimeoutMs are left out with a note; the count
  // carried from a page that had time keeps the grid's own count from using up the budget.
  const auto budgeted = [](int budget_ms) {
    return Grid([budget_ms](DbView& v) {
      v.SetSql("SELECT a.id, a.name, a.city, b.qty, c.made FROM P a, P b, P c");
      v.SetOrderByFields("");
      v.SetFacetFields("city");
      v.SetCountCacheSeconds(60);
      v.SetCountTimeoutMs(budget_ms);
    });
  };
  const RenderedPage roomy = Get("", budgeted(60000));
  EXPECT_NE(roomy.output.find(">Oslo</a>&nbsp;(" + std::to_string(28 * 33 * 33) + ")"),
            std::string::npos);
  const std::string carried = Between(roomy.output, "name=\"Vexmo1CarriedCount\" value=\"", "\"");
  ASSERT_FALSE(carried.empty());
  const RenderedPage tight = Get("Vexmo1CarriedCount=" + carried, budgeted(1));
  EXPECT_EQ(tight.grid->RecordCount(), 33 * 33 * 33);
  EXPECT_EQ(tight.output.find(">Oslo</a>&nbsp;("), std::string::npos);
  EXPECT_NE(tight.output.find("role=\"status\">The counts of city were left out: they took too long."),
            std::string::npos);

  // Three facets that each take two thirds of the budget to group share it: those it does not
  // reach are told, and the page ends about when the budget does (as soon as a database
  // notices the cancel: SQLite not while it sorts).
  const std::string rows = "FROM P a, P b, P c, P d WHERE d.id <= 4";
  Connection connection;
  connection.Open(ConnectionString());
  auto grouping_ms = std::chrono::milliseconds::max();
  for (int run = 0; run < 2; ++run) {
    const auto started = std::chrono::steady_clock::now();
    connection.CountWithin("SELECT COUNT(*) FROM (SELECT a.city, COUNT(*) AS n " + rows +
                               " GROUP BY a.city) t", 0);
    grouping_ms = std::min(grouping_ms, std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now() - started));
  }
  connection.Close();
  const int budget_ms = static_cast<int>(std::max<long long>(40, 3 * grouping_ms.count() / 2));
  // The page's time beside its facets (connecting, the rows) is measured on the same page
  // without them.
  const auto timed = [&](const std::string& facets, RenderedPage& page) {
    const auto started = std::chrono::steady_clock::now();
    page = Get("", Grid([&](DbView& v) {
      v.SetSql("SELECT a.id, a.city, b.city AS city2, c.city AS city3 " + rows);
      v.SetOrderByFields("");
      v.SetFacetFields(facets);
      v.SetRecordCount(33 * 33 * 33 * 4);  // as a page that knows its count sets it
      v.SetCountTimeoutMs(budget_ms);
    }));
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started).count();
  };
  RenderedPage shared;
  const long long plain_ms = timed("", shared);
  const long long spent_ms = timed("city,city2,city3", shared);
  EXPECT_LT(spent_ms, plain_ms + 3 * budget_ms)
      << "grouping took " << grouping_ms.count() << " ms, the page without facets " << plain_ms;
  EXPECT_EQ(shared.errors, "");
  for (const std::string facet : {"city", "city2", "city3"}) {
    const bool counted = shared.output.find("aria-label=\"" + facet + "\"><span") != std::string::npos;
    const bool told = shared.output.find("The counts of " + facet + " were left out") != std::string::npos;
    EXPECT_NE(counted, told) << facet;
  }
}

TEST_F(GridFilterTest, SortPagingRecordViewEditAndExportSeeTheFilteredRows) {
  const auto grid = Grid([](DbView& v) {
    v.SetRecordsPerPage(5);
    v.SetSeekPaging(true);
    v.SetCountCacheSeconds(60);
    v.SetCountTimeoutMs(5000);
    v.SetEditOptions("ALL");
    v.SetDisplayNavBar("both");
  });
  // Oslo rows, sorted by qty descending by the header link.
  const RenderedPage first = Get("Vexmo1Filter3=oslo&Vexmo1Filter3Op=contains", grid);
  const std::string sort_link = LinkWith(first, "OrderByFields=4&Vexmo1BookMark");
  EXPECT_NE(sort_link.find("Vexmo1Filter3=oslo&Vexmo1Filter3Op=contains"), std::string::npos) << sort_link;
  const RenderedPage sorted = Get(LinkWith(Get(sort_link, grid), "OrderByFields=4&Vexmo1BookMark"), grid);
  ASSERT_EQ(sorted.grid->RecordCount(), CountRows("WHERE city = 'Oslo'"));
  EXPECT_EQ(Ids(sorted), "33 32 31 30 29 ");
  // Next (sought, with the carried count) and Last stay within the filter.
  const RenderedPage next = Post(FormOf(sorted, {}, "Vexmo1NEXT.x=1&Vexmo1NEXT.y=1"), grid);
  EXPECT_EQ(Ids(next), "28 27 26 25 24 ");
  EXPECT_EQ(next.errors, "");
  const RenderedPage last = Post(FormOf(next, {}, "Vexmo1LAST.x=1&Vexmo1LAST.y=1"), grid);
  EXPECT_EQ(Ids(last), "5 3 1 ");
  EXPECT_NE(RecordText(last).find("of 28"), std::string::npos) << RecordText(last);

  // A new search from that page starts at its first page and takes no carried count or
  // boundaries of the old view.
  const RenderedPage searched = Post(FormOf(last, {{"Vexmo1Search", "gamma 1"}}), grid);
  EXPECT_EQ(Ids(searched), "19 18 17 16 15 ");
  EXPECT_EQ(searched.grid->RecordCount(), CountRows("WHERE name LIKE 'gamma 1%' AND city = 'Oslo'"));
  EXPECT_EQ(searched.errors, "");
  // A count carried from the unfiltered view is refused for the filtered one.
  const RenderedPage plain = Get("", grid);
  const std::string carried = Between(plain.output, "name=\"Vexmo1CarriedCount\" value=\"", "\"");
  ASSERT_FALSE(carried.empty());
  const RenderedPage forged = Get("Vexmo1Search=alpha&Vexmo1CarriedCount=" + carried, grid);
  EXPECT_EQ(forged.grid->RecordCount(), 2);
  EXPECT_NE(forged.errors.find("carried record count was ignored"), std::string::npos);

  // The record link keeps the filter; the record view counts and moves within it.
  const std::string record = LinkWith(searched, "PK=19");
  const RenderedPage view = Get(record, grid);
  EXPECT_EQ(view.mode, "formview");
  EXPECT_NE(RecordText(view).find("1 of 10"), std::string::npos) << RecordText(view);
  EXPECT_NE(view.output.find("name=\"Vexmo1Search\" value=\"gamma 1\""), std::string::npos);
  // A key outside the filter opens no record, in the view or the edit form.
  const std::string outside = std::regex_replace(record, std::regex("PK=19"), "PK=1");
  for (const std::string suffix : {"", "&Vexmo1FormEdit=1"}) {
    const RenderedPage gone = Get(outside + suffix, grid);
    EXPECT_NE(gone.output.find("[The record no longer exists]"), std::string::npos) << suffix;
    EXPECT_EQ(gone.output.find("value=\"Alpha\""), std::string::npos) << suffix;
    EXPECT_EQ(gone.output.find(">Alpha<"), std::string::npos) << suffix;
    // So does a record view that reads a statement of its own.
    const RenderedPage form_gone = Get(outside + suffix, [&grid](DbView& v) {
      grid(v);
      v.SetFormSQL("SELECT id, name, qty FROM P");
    v.SetEditSQL("SELECT id, name, qty FROM P");
    });
    EXPECT_NE(form_gone.output.find("[The record no longer exists]"), std::string::npos) << suffix;
    EXPECT_EQ(form_gone.output.find("Alpha"), std::string::npos) << suffix;
    EXPECT_EQ(form_gone.errors, "") << suffix;
  }
  const RenderedPage form_view = Get(record, [&grid](DbView& v) {
    grid(v);
    v.SetFormSQL("SELECT id, name, qty FROM P");
    v.SetEditSQL("SELECT id, name, qty FROM P");
  });
  EXPECT_NE(form_view.output.find("gamma 19"), std::string::npos);
  EXPECT_NE(RecordText(form_view).find("1 of 10"), std::string::npos) << RecordText(form_view);
  // The edit form carries the filter to the page its save returns to.
  const RenderedPage edit = Get(record + "&Vexmo1FormEdit=1", grid);
  EXPECT_EQ(edit.mode, "formedit");
  EXPECT_NE(edit.output.find("name=\"Vexmo1Search\" value=\"gamma 1\""), std::string::npos);

  // The export holds exactly the rows the grid pages through, in its order.
  const RenderedPage exported = Post(FormOf(searched, {}, "Vexmo1ToExcel.x=1&Vexmo1ToExcel.y=1"), grid);
  static const std::regex kRow("<tr>\r\n<td [^>]*>(\\d+)</td>");
  std::string ids;
  for (std::sregex_iterator it(exported.output.begin(), exported.output.end(), kRow), end; it != end; ++it) {
    ids += (*it)[1].str() + " ";
  }
  EXPECT_EQ(ids, "19 18 17 16 15 14 13 12 11 10 ");
}

TEST_F(GridFilterTest, HostileParametersAreBoundOrRefusedNeverRun) {
  const auto grid = Grid([](DbView& v) { v.SetFacetFields("city"); });
  const std::vector<std::string> attacks = {
      "Vexmo1Search=x%27%29+OR+1%3D1+--",
      "Vexmo1Search=%27%3B+DROP+TABLE+P%3B+--",
      "Vexmo1Filter2=x%27+OR+%271%27%3D%271&Vexmo1Filter2Op=equals",
      "Vexmo1Filter2=a&Vexmo1Filter2Op=contains%29+OR+1%3D1+--",
      "Vexmo1Filter4=1+OR+1%3D1&Vexmo1Filter4Op=from",
      "Vexmo1Filter5=2024-01-01%27+OR+%271&Vexmo1Filter5Op=to",
      "Vexmo1Filter1%3B+DROP+TABLE+P=1",
      "Vexmo1View=%22%3E%3Cscript%3E",
  };
  for (const std::string& attack : attacks) {
    const RenderedPage page = Get(attack, grid);
    EXPECT_LE(page.grid->RecordCount(), 33) << attack;
    EXPECT_NE(page.grid->RecordCount(), -1) << attack;
    EXPECT_EQ(page.output.find("<script>"), std::string::npos) << attack;
    EXPECT_EQ(page.errors.find("in WriteHTMLTable"), std::string::npos) << attack << page.errors;
  }
  EXPECT_EQ(Get("Vexmo1Search=x%27%29+OR+1%3D1+--", grid).grid->RecordCount(), 0);
  EXPECT_EQ(CountRows(""), 33);

  // A procedure's rows cannot be searched: the refusal is said, the rows still shown.
  const RenderedPage procedure = Get("Vexmo1Search=alpha", [](DbView& v) {
    v.VexmoConnection()->Connection()->DefineProcedure("sp_Pick", "SELECT id, name FROM P WHERE id <= ?");
    v.SetSql("sp_Pick 3");
    v.SetSearchFields("*");
  });
  EXPECT_NE(procedure.output.find("role=\"status\">Search and filters are not available here"),
            std::string::npos);
  EXPECT_NE(procedure.errors.find("were refused"), std::string::npos) << procedure.errors;
  EXPECT_EQ(procedure.grid->RecordCount(), 3);
}

TEST_F(GridFilterTest, TwoGridsOnOnePageFilterIndependently) {
  const std::string query = "Vexmo1Search=alpha&Vexmo2Filter4=30&Vexmo2Filter4Op=from";
  const RenderedPage one = Get(query, Grid());
  const RenderedPage two = Get(query, Grid([](DbView& v) { v.SetTag("2"); }));
  EXPECT_EQ(Ids(one), "1 2 ");
  static const std::regex kCell2("<td id=\"klv2cell_\\d+_1\"[^>]*>([^<]*)</td>");
  std::string ids;
  for (std::sregex_iterator it(two.output.begin(), two.output.end(), kCell2), end; it != end; ++it) {
    ids += (*it)[1].str() + " ";
  }
  EXPECT_EQ(ids, "4 30 31 32 33 ");
  // Each carries the other's view in its links and form, and its own in its own names.
  EXPECT_NE(one.output.find("<input type=\"hidden\" name=\"Vexmo2Filter4\" value=\"30\">"), std::string::npos);
  EXPECT_NE(two.output.find("<input type=\"hidden\" name=\"Vexmo1Search\" value=\"alpha\">"), std::string::npos);
  EXPECT_NE(LinkQuery(two, "link to this view").find("Vexmo2Filter4=30&Vexmo2Filter4Op=from"),
            std::string::npos);
  EXPECT_NE(LinkQuery(two, "link to this view").find("Vexmo1Search=alpha"), std::string::npos);
}

TEST_F(GridFilterTest, CaptionsFollowTheLanguageOrThePagesList) {
  const std::string query = "Vexmo1Search=zzz";
  const RenderedPage german = Get(query, Grid([](DbView& v) { v.SetLanguage("GER"); }));
  EXPECT_NE(german.output.find(">Suche</label>"), std::string::npos);
  EXPECT_NE(german.output.find(">enth\u00e4lt</option>"), std::string::npos);
  EXPECT_NE(german.output.find("keine Zeilen gefunden"), std::string::npos);
  const RenderedPage norwegian = Get(query, Grid([](DbView& v) { v.SetLanguage("NOR"); }));
  EXPECT_NE(norwegian.output.find(">S\u00f8k</label>"), std::string::npos);
  EXPECT_NE(norwegian.output.find(">Fjern filtre</a>"), std::string::npos);
  const RenderedPage own = Get(query, Grid([](DbView& v) {
    v.SetLanguageFilterString("Find,Go,has,is,min,max,blank,Nothing here,Reset,Keep this view");
  }));
  EXPECT_NE(own.output.find(">Find</label>"), std::string::npos);
  EXPECT_NE(own.output.find(">blank</option>"), std::string::npos);
  EXPECT_NE(own.output.find(">Keep this view</a>"), std::string::npos);
  EXPECT_NE(own.output.find("Nothing here"), std::string::npos);
  // The statuses of what was not applied follow the language too, and a longer list replaces
  // them.
  const std::string refused = "Vexmo1Search=" + std::string(1001, 'a') +
                              "&Vexmo1Filter4=12abc&Vexmo1Filter4Op=from";
  const RenderedPage german_status = Get(refused, Grid([](DbView& v) { v.SetLanguage("GER"); }));
  EXPECT_NE(german_status.output.find(
                "<p class=\"KelvoSearchStatus\" role=\"status\">Die Suche wurde nicht angewandt: Sie "
                "ist l\u00e4nger als 1.000 Zeichen. Der Filter auf qty wurde nicht angewandt: "
                "\u201e12abc\u201c ist keine Zahl.</p>"),
            std::string::npos);
  const RenderedPage own_status = Get(refused, Grid([](DbView& v) {
    v.SetLanguageFilterString("Find,Go,has,is,min,max,blank,Nothing here,Reset,Keep this view,"
                              "Too long!,No text,No %2 on %1,Long,%1: %2 <is no number>");
  }));
  EXPECT_NE(own_status.output.find("role=\"status\">Too long! qty: 12abc &lt;is no number&gt;</p>"),
            std::string::npos);
  const RenderedPage short_list =
      Get(query, Grid([](DbView& v) { v.SetLanguageFilterString("Find,Go"); }));
  EXPECT_NE(short_list.output.find(">Search</label>"), std::string::npos);
  EXPECT_NE(short_list.errors.find("LanguageFilterString"), std::string::npos);
}

}  // namespace
}  // namespace kelvo::testing
