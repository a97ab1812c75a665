// A grid page far into a large result, rendered by WriteHtmlTable (count query, then moving
// the cursor forward to the page), against the raw queries a hand-written page would run:
// the count and SELECT ... LIMIT 20 OFFSET 900000, on the same connection in the same run.
//   kelvo_bench_positioning --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRows = 1'000'000;
constexpr const char* kQuery = "SELECT id, name, price, added FROM items";

class LargeDatabase {
 public:
  LargeDatabase() : file_(folder_.File("large.db")) {
    kelvo::Connection connection;
    connection.Open("sqlite:" + file_ + "?mode=create");
    connection.Execute(
        "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40), price REAL, added DATE)");
    connection.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
        "INSERT INTO items SELECT i, 'item ' || i, i * 0.25, date('2020-01-01', '+' || (i % 1000) "
        "|| ' days') FROM n");
  }
  const std::string& file() const { return file_; }

 private:
  kelvo::testing::TempDir folder_;
  std::string file_;
};

const LargeDatabase& Database() {
  static const LargeDatabase database;
  return database;
}

std::shared_ptr<kelvo::DBConnection> OpenShared() {
  auto holder = std::make_shared<kelvo::DBConnection>();
  holder->Connection()->Open("sqlite:" + Database().file());
  return holder;
}

void BM_WriteHtmlTableAtRecord900001(benchmark::State& state) {
  auto holder = OpenShared();
  std::size_t bytes = 0;
  for (auto _ : state) {
    kelvo::MemoryPage page(kelvo::RequestData::Get("/items", "Vexmo1CurrRecord=900001"));
    kelvo::DbView grid;
    page.Run([&](kelvo::ScriptingContext&) {
      grid.OnStartPage(kelvo::Variant(page.context()));
      grid.SetVexmoConnection(holder);
      grid.SetSql(kQuery);
      grid.WriteHtmlTable();
      grid.OnEndPage();
    });
    if (!grid.ErrorMessage().empty() || grid.FromRow() != 900001 || grid.ToRow() != 900020) {
      state.SkipWithError(("unexpected page: " + grid.ErrorMessage()).c_str());
      break;
    }
    bytes = page.output().size();
  }
  state.counters["page_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteHtmlTableAtRecord900001)->Unit(benchmark::kMillisecond);

void BM_RawCountAndLimitOffset(benchmark::State& state) {
  auto holder = OpenShared();
  const auto& connection = holder->Connection();
  long rows = 0;
  for (auto _ : state) {
    kelvo::Recordset count;
    count.Open(std::string("SELECT COUNT(*) AS n FROM (") + kQuery + ") t", connection);
    benchmark::DoNotOptimize(count.Fields().Item(0).Value());
    count.Close();
    kelvo::Recordset page;
    page.Open(std::string(kQuery) + " LIMIT 20 OFFSET 900000", connection);
    for (rows = 0; !page.Eof(); page.MoveNext(), ++rows) {
      for (kelvo::Field& field : page.Fields()) benchmark::DoNotOptimize(field.Value());
    }
    page.Close();
  }
  if (rows != 20) state.SkipWithError("the raw page does not hold 20 rows");
}
BENCHMARK(BM_RawCountAndLimitOffset)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
