// Page files: what the loader accepts, the order it keeps, and how it names what it refuses.
#include "site/page_loader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/page_file.h"

namespace kelvo::site {
namespace {

std::vector<std::string> Keys(const GridPlan& grid) {
  std::vector<std::string> keys;
  for (const GridStep& step : grid.steps) keys.push_back(step.key);
  return keys;
}

void Replay(const GridPlan& grid, DbView& view) {
  for (const GridStep& step : grid.steps) {
    view.Invoke(step.member,
                step.kind == GridStep::Kind::kCall ? CallKind::kMethod : CallKind::kPropertyPut,
                step.arguments);
  }
}

// The loader's refusal of `text`, which must name the file, `line` and `key`.
PageFileError Refusal(const std::string& text) {
  try {
    LoadPagePlan(text, "page.toml");
  } catch (const PageFileError& failure) {
    return failure;
  }
  ADD_FAILURE() << "the page loaded:\n" << text;
  return PageFileError("", 0, "", "");
}

void ExpectRefused(const std::string& text, int line, const std::string& key,
                   const std::string& problem) {
  const PageFileError failure = Refusal(text);
  EXPECT_EQ(failure.file(), "page.toml");
  EXPECT_EQ(failure.line(), line) << failure.description();
  EXPECT_EQ(failure.key(), key) << failure.description();
  EXPECT_NE(failure.description().find(problem), std::string::npos) << failure.description();
  EXPECT_EQ(failure.description().rfind("page.toml:" + std::to_string(line) + ": " + key, 0), 0u)
      << failure.description();
}

TEST(PageLoaderTest, TopLevelKeysAndGridsInFileOrder) {
  const PagePlan plan = LoadPagePlan(R"(
title = "Orders & more"
locale = "de-DE"
before = "<h1>x</h1>"
after = "<p>y</p>"
connection = "sqlite:shop.db"
engine = "sqla"
[procedures]
zeta = "SELECT 1"
alpha = "SELECT ?"
[[grid]]
sql = "SELECT * FROM a"
[[grid]]
sql = "SELECT * FROM b"
)",
                                     "orders.toml");
  EXPECT_EQ(plan.title, "Orders & more");
  EXPECT_EQ(plan.locale, "de-DE");
  EXPECT_EQ(plan.before, "<h1>x</h1>");
  EXPECT_EQ(plan.after, "<p>y</p>");
  EXPECT_EQ(plan.connection, "sqlite:shop.db");
  EXPECT_EQ(plan.engine, "sqla");
  ASSERT_EQ(plan.procedures.size(), 2u);
  EXPECT_EQ(plan.procedures[0].first, "zeta");
  EXPECT_EQ(plan.procedures[1].first, "alpha");
  ASSERT_EQ(plan.grids.size(), 2u);
  EXPECT_EQ(plan.grids[1].steps[0].arguments[0].AsString(), "SELECT * FROM b");
}

// toml++ keeps a table's keys sorted by name; the setters must run in the order of the file.
TEST(PageLoaderTest, SettersRunInTheOrderTheFileGivesThem) {
  const PagePlan plan = LoadPagePlan(R"([[grid]]
Width = "400"
sql = "SELECT id FROM t"
FormSQL = "SELECT * FROM t"
GridTableTag = "width=900"
DisplayNavBar = "top"
)",
                                     "page.toml");
  EXPECT_EQ(Keys(plan.grids[0]),
            (std::vector<std::string>{"Width", "sql", "FormSQL", "GridTableTag", "DisplayNavBar"}));
  EXPECT_EQ(plan.grids[0].steps[1].line, 3);

  DbView view;
  Replay(plan.grids[0], view);
  EXPECT_EQ(view.Width(), "400");  // the first width wins over the tag's
  EXPECT_EQ(view.FormSQL(), "SELECT * FROM t");
  EXPECT_EQ(view.EditSQL(), "SELECT * FROM t");  // FormSQL after sql carries over to EditSQL
}

// The same settings in another order give another grid.
TEST(PageLoaderTest, ReorderedSettersGiveAnotherGrid) {
  const auto replayed = [](const std::string& text) {
    auto view = std::make_unique<DbView>();
    Replay(LoadPagePlan(text, "page.toml").grids[0], *view);
    return view;
  };
  const auto tag_first =
      replayed("[[grid]]\nTableTag = \"width=600\"\nGridTableTag = \"width=900\"\n");
  const auto grid_tag_first =
      replayed("[[grid]]\nGridTableTag = \"width=900\"\nTableTag = \"width=600\"\n");
  EXPECT_EQ(tag_first->Width(), "600");
  EXPECT_EQ(grid_tag_first->Width(), "900");

  const auto count_off_last = replayed("[[grid]]\nDisplayNavBar = \"top\"\nCountRecords = false\n");
  const auto count_off_first =
      replayed("[[grid]]\nCountRecords = false\nDisplayNavBar = \"top\"\n");
  EXPECT_FALSE(count_off_last->CountRecords());
  EXPECT_TRUE(count_off_first->CountRecords());
}

TEST(PageLoaderTest, PropertyNamesMatchWithoutRegardToCase) {
  const PagePlan plan = LoadPagePlan("[[grid]]\nrecordsperpage = 7\nUSECSS = false\n", "p.toml");
  DbView view;
  Replay(plan.grids[0], view);
  EXPECT_EQ(view.RecordsPerPage(), 7);
  EXPECT_FALSE(view.UseCSS());
}

TEST(PageLoaderTest, IndexedPropertiesTakeTablesFromColumnToText) {
  const PagePlan plan = LoadPagePlan(R"([[grid]]
GridFormatCellFunction = { 3 = "FORMATCURRENCY,2", 0 = "UCASE" }
GridColAttributes.2 = "align=right"
[grid.GridFreeFormatCellByCol]
5 = "<b>#name#</b>"
12 = "#id#"
)",
                                     "page.toml");
  EXPECT_EQ(Keys(plan.grids[0]),
            (std::vector<std::string>{"GridFormatCellFunction.3", "GridFormatCellFunction.0",
                                      "GridColAttributes.2", "GridFreeFormatCellByCol.5",
                                      "GridFreeFormatCellByCol.12"}));
  DbView view;
  Replay(plan.grids[0], view);
  EXPECT_EQ(view.GridFormatCellFunction(3), "FORMATCURRENCY,2");
  EXPECT_EQ(view.GridFormatCellFunction(0), "UCASE");
  EXPECT_EQ(view.GridColAttributes(2), "align=right");
  EXPECT_EQ(view.GridFreeFormatCellByCol(12), "#id#");
}

TEST(PageLoaderTest, IndexedPropertyMistakesNameTheEntry) {
  ExpectRefused("[[grid]]\nGridColAttributes = { x = \"a\" }\n", 2, "GridColAttributes.x",
                "not a column number");
  ExpectRefused("[[grid]]\nGridColAttributes = { 40000 = \"a\" }\n", 2, "GridColAttributes.40000",
                "not a column number");
  ExpectRefused("[[grid]]\n\nGridColAttributes = { 1 = 5 }\n", 3, "GridColAttributes.1",
                "expects a string, not an integer");
  ExpectRefused("[[grid]]\nGridColAttributes = \"align=right\"\n", 2, "GridColAttributes",
                "takes the arguments Column");
  ExpectRefused("[[grid]]\nRecordsPerPage = { 1 = \"a\" }\n", 2, "RecordsPerPage",
                "not indexed by one column");
}

TEST(PageLoaderTest, LookupsAreCalledWithArgumentsInTheirDeclaredOrder) {
  const std::string page = R"([[grid]]
sql = "SELECT * FROM orders"
[[grid.AddEditLookup]]
AllowNulls = true
DisplayField = "label"
FieldName = "status"
LinkField = "code"
LookupTable = "order_status"
OrderBy = "label"
)";
  DbView probe;
  try {
    probe.ArgumentNames("AddEditLookup");
  } catch (const Error&) {
    // Until the grid has the method, the page is refused, naming the lookup's line.
    ExpectRefused(page, 3, "AddEditLookup", "no such member");
    return;
  }
  const PagePlan plan = LoadPagePlan(page, "page.toml");
  ASSERT_EQ(plan.grids[0].steps.size(), 2u);
  const GridStep& call = plan.grids[0].steps[1];
  EXPECT_EQ(call.kind, GridStep::Kind::kCall);
  ASSERT_EQ(call.arguments.size(), 6u);
  EXPECT_EQ(call.arguments[0].AsString(), "status");
  EXPECT_EQ(call.arguments[1].AsString(), "order_status");
  EXPECT_EQ(call.arguments[2].AsString(), "code");
  EXPECT_EQ(call.arguments[3].AsString(), "label");
  EXPECT_EQ(call.arguments[4].AsString(), "label");
  EXPECT_TRUE(call.arguments[5] == Variant(true));
}

TEST(PageLoaderTest, LookupMistakesAreRefused) {
  DbView probe;
  try {
    probe.ArgumentNames("AddEditLookup");
  } catch (const Error&) {
    GTEST_SKIP() << "DbView has no AddEditLookup yet";
  }
  ExpectRefused("[[grid]]\n[[grid.AddEditLookup]]\nFieldName = \"a\"\nColour = \"red\"\n", 4,
                "AddEditLookup.Colour", "is not an argument");
  ExpectRefused("[[grid]]\n[[grid.AddEditLookup]]\nFieldName = \"a\"\n", 2, "AddEditLookup",
                "lacks the argument LookupTable");
}

TEST(PageLoaderTest, UnknownKeysAreRefusedWithTheirLine) {
  ExpectRefused("title = \"x\"\ncolour = \"red\"\n", 2, "colour", "unknown key");
  ExpectRefused("[[grid]]\nsql = \"SELECT 1\"\nRecordsPerPag = 5\n", 3, "RecordsPerPag",
                "DbView has no such member");
  ExpectRefused("[[grid]]\nWriteHtmlTable = true\n", 2, "WriteHtmlTable", "host calls");
  ExpectRefused("[procedures]\nlist = 5\n", 2, "list", "expects a string");
}

TEST(PageLoaderTest, ValuesOfTheWrongKindAreRefused) {
  ExpectRefused("[[grid]]\nRecordsPerPage = \"20\"\n", 2, "RecordsPerPage",
                "expects an integer, not a string");
  ExpectRefused("[[grid]]\nUseCSS = 1\n", 2, "UseCSS", "expects a boolean, not an integer");
  ExpectRefused("[[grid]]\nsql = true\n", 2, "sql", "expects a string, not a boolean");
  ExpectRefused("[[grid]]\nTag = 1979-05-27\n", 2, "Tag", "date or time");
  ExpectRefused("title = [\"a\"]\n", 1, "title", "expects a string, not an array");
  ExpectRefused("grid = 3\n", 1, "grid", "expects [[grid]] tables");
  // Refused by the setters themselves, still at load time.
  ExpectRefused("[[grid]]\nRecordsPerPage = 40000\nRecordsMaxLimit = 50000\n", 2, "RecordsPerPage",
                "Overflow");
  ExpectRefused("[[grid]]\nDisplayNavBarFirstLastBtn = \"perhaps\"\n", 2,
                "DisplayNavBarFirstLastBtn", "");
  ExpectRefused("[[grid]]\nErrorMessage = \"none\"\n", 2, "ErrorMessage", "");
  ExpectRefused("[[grid]]\nVexmoConnection = \"sqlite:x.db\"\n", 2, "VexmoConnection", "object");
}

TEST(PageLoaderTest, TopLevelValuesAreChecked) {
  ExpectRefused("locale = \"xx-YY\"\n", 1, "locale", "xx-YY");
  ExpectRefused("\nengine = \"db2\"\n", 2, "engine", "not ORACLE, SQLA, ACCESS or MSSQL");
}

TEST(PageLoaderTest, SyntaxErrorsNameTheLine) {
  const PageFileError failure = Refusal("title = \"x\"\n[[grid]]\nsql = \"unterminated\n");
  EXPECT_EQ(failure.line(), 3);
  EXPECT_EQ(failure.key(), "");
  EXPECT_EQ(failure.description().rfind("page.toml:3: ", 0), 0u) << failure.description();
}

TEST(PageLoaderTest, LoadingAMissingFileSaysSo) {
  try {
    PageFile::Load("/nonexistent/page.toml");
    FAIL() << "loaded a missing file";
  } catch (const PageFileError& failure) {
    EXPECT_EQ(failure.file(), "/nonexistent/page.toml");
    EXPECT_NE(failure.description().find("cannot read"), std::string::npos);
  }
}

TEST(PageLoaderTest, TitleDefaultsToTheFileName) {
  EXPECT_EQ(PageFile::Parse("", "pages/orders.toml")->title(), "orders");
  EXPECT_EQ(PageFile::Parse("title = \"Orders\"", "pages/orders.toml")->title(), "Orders");
}

}  // namespace
}  // namespace kelvo::site
