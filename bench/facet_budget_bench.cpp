// A grid page with a facet over a 1,000,000-row table under CountTimeoutMs budgets: the whole
// page's wall time (column probe, count, facet, rows), which the budget is to bound. The facet's
// column has ten values and no index, so grouping reads every row. On SQLite always; on
// PostgreSQL too when KELVO_TEST_POSTGRES names a server (scripts/postgres.sh sets it), in a
// schema of its own dropped at exit. The counter facet_shown says whether the facet's counts
// came within the budget.
//   kelvo_bench_facet_budget --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRows = 1'000'000;

std::string PostgresServer() {
  const char* value = std::getenv("KELVO_TEST_POSTGRES");
  return value != nullptr ? value : "";
}

// The table sales(id, region) on one database, made on first use.
class LargeTable {
 public:
  explicit LargeTable(bool postgres)
      : schema_(postgres ? "kelvo_facets_" + std::to_string(getpid()) : "main"),
        connection_string_(postgres ? PostgresServer()
                                    : "sqlite:" + folder_.File("facets.db") + "?mode=create") {
    kelvo::Connection connection;
    connection.Open(connection_string_);
    if (postgres) {
      connection.Execute("SET client_min_messages = warning");
      connection.Execute("CREATE SCHEMA " + schema_);
      connection.Execute("CREATE TABLE " + schema_ +
                         ".sales (id INTEGER PRIMARY KEY, region VARCHAR(20))");
      connection.Execute("INSERT INTO " + schema_ +
                         ".sales SELECT i, 'region ' || (i % 10) FROM generate_series(1, " +
                         std::to_string(kRows) + ") AS i");
      connection.Execute("VACUUM ANALYZE " + schema_ + ".sales");
    } else {
      connection.Execute("CREATE TABLE sales (id INTEGER PRIMARY KEY, region VARCHAR(20))");
      connection.Execute(
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
          std::to_string(kRows) + ") INSERT INTO sales SELECT i, 'region ' || (i % 10) FROM n");
    }
    connection.Close();
    postgres_ = postgres;
  }
  LargeTable(const LargeTable&) = delete;
  LargeTable& operator=(const LargeTable&) = delete;
  ~LargeTable() {
    if (!postgres_) return;
    try {
      kelvo::Connection connection;
      connection.Open(connection_string_);
      connection.Execute("SET client_min_messages = warning");
      connection.Execute("DROP SCHEMA " + schema_ + " CASCADE");
    } catch (const std::exception& error) {
      std::fprintf(stderr, "the schema %s was not dropped: %s\n", schema_.c_str(), error.what());
    }
  }

  const std::string& connection_string() const { return connection_string_; }
  std::string Query() const { return "SELECT id, region FROM " + schema_ + ".sales"; }

 private:
  kelvo::testing::TempDir folder_;
  std::string schema_;
  std::string connection_string_;
  bool postgres_ = false;
};

const LargeTable& Table(bool postgres) {
  if (postgres) {
    static const LargeTable table(true);
    return table;
  }
  static const LargeTable table(false);
  return table;
}

// The first page with the facet on region, CountTimeoutMs = state.range(0).
void RenderFacetPage(benchmark::State& state, bool postgres) {
  const LargeTable& table = Table(postgres);
  auto holder = std::make_shared<kelvo::DBConnection>();
  holder->Connection()->Open(table.connection_string());
  const auto budget = static_cast<std::int32_t>(state.range(0));
  bool shown = false;
  for (auto _ : state) {
    kelvo::MemoryPage page(kelvo::RequestData::Get("/sales", ""));
    kelvo::DbView grid;
    page.Run([&](kelvo::ScriptingContext&) {
      grid.OnStartPage(kelvo::Variant(page.context()));
      grid.SetVexmoConnection(holder);
      grid.SetSql(table.Query());
      grid.SetFacetFields("region");
      grid.SetCountTimeoutMs(budget);
      grid.WriteHtmlTable();
      grid.OnEndPage();
    });
    if (!grid.ErrorMessage().empty() || grid.RecordCount() != kRows) {
      state.SkipWithError(("unexpected page: " + grid.ErrorMessage()).c_str());
      break;
    }
    shown = page.output().find("region 3</a>&nbsp;(100000)") != std::string::npos;
  }
  state.counters["facet_shown"] = shown ? 1 : 0;
}

void BM_SqliteFacetPage(benchmark::State& state) { RenderFacetPage(state, false); }
void BM_PostgresFacetPage(benchmark::State& state) { RenderFacetPage(state, true); }

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const std::vector<std::int64_t> budgets = {25, 100, 250, 500, 1000};
  benchmark::RegisterBenchmark("BM_SqliteFacetPage", BM_SqliteFacetPage)
      ->ArgsProduct({budgets})
      ->Unit(benchmark::kMillisecond);
  if (!PostgresServer().empty()) {
    benchmark::RegisterBenchmark("BM_PostgresFacetPage", BM_PostgresFacetPage)
        ->ArgsProduct({budgets})
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
