// The whole grid page on PostgreSQL: the same table in an SQLite file and in a PostgreSQL
// schema renders the same HTML for each request, byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data/postgres_test_database.h"
#include "kelvo/data.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace kelvo::testing {
namespace {

struct Page {
  std::string output;
  std::string errors;
};

class PostgresGridPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = PostgresUnavailable(); !why.empty()) GTEST_SKIP() << why;
    postgres_ = NewPostgresSchema();
    sqlite_ = "sqlite:" + dir_.File("grid.db") + "?mode=create";
    options_.signing_secret = "test secret";
    MakeTable(postgres_, "DOUBLE PRECISION");
    MakeTable(sqlite_, "REAL");
  }

  void TearDown() override {
    if (!postgres_.empty()) DropPostgresSchema(postgres_);
  }

  // Names sort alike under any collation; every type reads alike on both databases.
  static void MakeTable(const std::string& connection_string, const std::string& real_type) {
    Connection connection;
    connection.Open(connection_string);
    connection.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL, price " +
                       real_type + ", added DATE, in_stock BOOLEAN, note TEXT)");
    connection.BeginTrans();
    for (int i = 1; i <= 45; ++i) {
      std::string name = "item " + std::to_string(1000 + (i * 37) % 100);
      const Variant values[] = {
          Variant(i),          Variant(name),
          Variant(i * 1.25),   Variant("2024-03-" + std::to_string(10 + i % 19)),
          Variant(i % 3 == 0), i % 4 == 0 ? Variant::Null() : Variant("<b>" + name + "</b>")};
      connection.Execute(
          "INSERT INTO t (id, name, price, added, in_stock, note) VALUES (?, ?, ?, ?, ?, ?)",
          values);
    }
    connection.CommitTrans();
  }

  Page Render(const std::string& connection_string, RequestData request,
              const std::function<void(DbView&)>& configure) const {
    MemoryPage page(std::move(request), options_);
    DbView grid;
    page.Run([&](ScriptingContext&) {
      grid.OnStartPage(Variant(page.context()));
      grid.SetConnectionString(connection_string);
      grid.SetSql("SELECT id, name, price, added, in_stock, note FROM t");
      if (configure) configure(grid);
      grid.WriteHtmlTable();
      grid.OnEndPage();
    });
    return {page.output(), grid.ErrorMessage()};
  }

  // Renders the request on both databases and compares.
  void ExpectSamePage(const std::function<RequestData()>& request,
                      const std::function<void(DbView&)>& configure = nullptr) const {
    const Page on_sqlite = Render(sqlite_, request(), configure);
    const Page on_postgres = Render(postgres_, request(), configure);
    EXPECT_EQ(on_sqlite.errors, "");
    EXPECT_EQ(on_postgres.errors, "");
    EXPECT_GT(on_sqlite.output.size(), 1000u);
    EXPECT_EQ(on_postgres.output, on_sqlite.output);
  }

  TempDir dir_;
  std::string postgres_;
  std::string sqlite_;
  PageOptions options_;
};

TEST_F(PostgresGridPageTest, FirstPageIsTheSame) {
  ExpectSamePage([] { return RequestData::Get("/list.asp", ""); });
}

TEST_F(PostgresGridPageTest, PagingAndSortingAreTheSame) {
  ExpectSamePage(
      [] { return RequestData::Post("/list.asp", "Vexmo1NEXT.x=1&Vexmo1CurrRecord=1"); });
  ExpectSamePage(
      [] { return RequestData::Post("/list.asp", "Vexmo1LAST.x=1&Vexmo1CurrRecord=1"); });
  ExpectSamePage(
      [] { return RequestData::Get("/list.asp", "Vexmo1maxrecords=10&Vexmo1CurrRecord=15"); },
      [](DbView& v) {
        v.SetOrderByFields("name");
        v.SetOrderByDesc(true);
      });
}

TEST_F(PostgresGridPageTest, RecordViewIsTheSame) {
  ExpectSamePage([] {
    return RequestData::Get("/list.asp", "Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=12");
  });
}

TEST_F(PostgresGridPageTest, ExportIsTheSame) {
  ExpectSamePage([] { return RequestData::Post("/list.asp", "Vexmo1ToExcel.x=1"); });
}

}  // namespace
}  // namespace kelvo::testing
