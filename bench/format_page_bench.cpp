// A 20-row grid page with a FORMATCURRENCY column, a REGEXPREPLACE column and a cell template,
// against the same page with the standard display, in the same run: the whole request (opening
// the SQLite file, counting, the frame, the navigation bar and the rows) through the in-memory
// host. Compare the two medians:
//   kelvo_bench_format_page --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "kelvo/data.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRows = 1000;

// The table, made once per run in a temporary folder that is removed at exit.
class SampleDatabase {
 public:
  SampleDatabase() : connection_string_("sqlite:" + folder_.File("bench.db")) { Fill(); }
  const std::string& connection_string() const { return connection_string_; }

 private:
  void Fill() const {
    auto connection = std::make_shared<kelvo::Connection>();
    connection->Open(connection_string_ + "?mode=create");
    connection->Execute(
        "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40), price REAL, "
        "phone VARCHAR(20), added DATE)");
    connection->BeginTrans();
    for (int i = 0; i < kRows; ++i) {
      const kelvo::Variant values[] = {
          kelvo::Variant("item " + std::to_string(i)),
          kelvo::Variant(i * 12.75),
          kelvo::Variant(std::to_string(5550000 + i)),
          kelvo::Variant("2019-0" + std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10)),
      };
      connection->Execute("INSERT INTO items (name, price, phone, added) VALUES (?, ?, ?, ?)",
                          values);
    }
    connection->CommitTrans();
  }

  kelvo::testing::TempDir folder_;
  std::string connection_string_;
};

const SampleDatabase& Database() {
  static const SampleDatabase database;
  return database;
}

// One request of the first page; returns the bytes written.
std::size_t RenderPage(bool formatted) {
  kelvo::PageOptions options;
  options.signing_secret = "bench";
  kelvo::MemoryPage page(kelvo::RequestData::Get("/list.asp"), options);
  kelvo::DbView grid;
  page.Run([&](kelvo::ScriptingContext&) {
    grid.OnStartPage(kelvo::Variant(page.context()));
    grid.SetConnectionString(Database().connection_string());
    grid.SetSql("SELECT id, name, price, phone, added FROM items");
    if (formatted) {
      grid.SetGridFreeFormatCellByCol(2, "<b>#name#</b>");
      grid.SetGridFormatCellFunction(3, "FORMATCURRENCY,2");
      grid.SetGridFormatCellFunction(4, "REGEXPREPLACE,/^(\\d{3})(\\d+)$/,$1-$2");
    }
    grid.WriteHtmlTable();
    grid.OnEndPage();
  });
  if (!grid.ErrorMessage().empty()) throw std::runtime_error(grid.ErrorMessage());
  return page.output().size();
}

void BM_StandardDisplayPage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RenderPage(false));
}
BENCHMARK(BM_StandardDisplayPage);

void BM_FormattedPage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RenderPage(true));
}
BENCHMARK(BM_FormattedPage);

}  // namespace

BENCHMARK_MAIN();
