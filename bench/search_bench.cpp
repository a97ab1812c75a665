// A grid page under a search, and under an equals filter, on the indexed text column of a
// 1,000,000-row table, rendered by WriteHtmlTable (column probe, count, page), against the raw
// parameterised count and page query a hand-written page would run, on the same connection
// in the same run. The goal: the grid at most twice the raw queries.
//   kelvo_bench_search --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kQuery = "SELECT id, name, price FROM items";

class LargeDatabase {
 public:
  LargeDatabase() : file_(folder_.File("search.db")) {
    kelvo::Connection connection;
    connection.Open("sqlite:" + file_ + "?mode=create");
    connection.Execute("CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40), price REAL)");
    connection.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
        "INSERT INTO items SELECT i, 'item ' || i, i * 0.25 FROM n");
    connection.Execute("CREATE INDEX items_name ON items (name)");
  }
  const std::string& file() const { return file_; }

 private:
  kelvo::testing::TempDir folder_;
  std::string file_;
};

std::shared_ptr<kelvo::DBConnection> OpenShared() {
  static const LargeDatabase database;
  auto holder = std::make_shared<kelvo::DBConnection>();
  holder->Connection()->Open("sqlite:" + database.file());
  return holder;
}

void RenderGrid(benchmark::State& state, const std::string& query, int expected) {
  auto holder = OpenShared();
  for (auto _ : state) {
    kelvo::MemoryPage page(kelvo::RequestData::Get("/items", query));
    kelvo::DbView grid;
    page.Run([&](kelvo::ScriptingContext&) {
      grid.OnStartPage(kelvo::Variant(page.context()));
      grid.SetVexmoConnection(holder);
      grid.SetSql(kQuery);
      grid.SetSearchFields("name");
      grid.SetFilterFields("name");
      grid.WriteHtmlTable();
      grid.OnEndPage();
    });
    if (!grid.ErrorMessage().empty() || grid.RecordCount() != expected) {
      state.SkipWithError(("unexpected page: " + grid.ErrorMessage()).c_str());
      break;
    }
  }
}

void RawCountAndPage(benchmark::State& state, const std::string& where, const std::string& value,
                     int expected) {
  auto holder = OpenShared();
  const auto& connection = holder->Connection();
  const kelvo::Variant parameters[] = {kelvo::Variant(value)};
  for (auto _ : state) {
    const auto count = connection->CountWithin(
        std::string("SELECT COUNT(*) FROM (") + kQuery + ") t WHERE " + where, parameters, 0);
    if (count != expected) {
      state.SkipWithError("unexpected count");
      break;
    }
    auto command = std::make_shared<kelvo::Command>();
    command->SetActiveConnection(connection);
    command->SetCommandText(std::string(kQuery) + " WHERE " + where + " LIMIT 21");
    command->Parameters().assign(std::begin(parameters), std::end(parameters));
    kelvo::Recordset page;
    page.Open(command);
    for (; !page.Eof(); page.MoveNext()) {
      for (kelvo::Field& field : page.Fields()) benchmark::DoNotOptimize(field.Value());
    }
    page.Close();
  }
}

// "item 99999" is in 11 names: item 99999 and item 999990 to item 999999.
void BM_GridSearch(benchmark::State& state) {
  RenderGrid(state, "Vexmo1Search=item+99999", 11);
}
BENCHMARK(BM_GridSearch)->Unit(benchmark::kMillisecond);

void BM_RawLikeCountAndPage(benchmark::State& state) {
  RawCountAndPage(state, "name LIKE ? ESCAPE '\\'", "%item 99999%", 11);
}
BENCHMARK(BM_RawLikeCountAndPage)->Unit(benchmark::kMillisecond);

void BM_GridEqualsFilter(benchmark::State& state) {
  RenderGrid(state, "Vexmo1Filter2=item+500000&Vexmo1Filter2Op=equals", 1);
}
BENCHMARK(BM_GridEqualsFilter)->Unit(benchmark::kMicrosecond);

void BM_RawEqualsCountAndPage(benchmark::State& state) {
  RawCountAndPage(state, "name = ?", "item 500000", 1);
}
BENCHMARK(BM_RawEqualsCountAndPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
