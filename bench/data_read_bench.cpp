// Forward-only reading through the data-access layer compared with the raw SQLite loop over
// the same file in the same run. Both open the file the same way (no per-connection mutex, as
// the provider does), so the difference is the layer's own cost. Values are read two ways: as
// Field::Value returns them, and into one reused Variant per field, the allocation-free way
// for long loops. Run with --benchmark_repetitions to compare medians:
//   kelvo_bench_data --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvo/data.h"
#include "support/temp_dir.h"

namespace {

constexpr int kRows = 100'000;
constexpr const char* kQuery = "SELECT id, qty, big, price, ratio, name, note, added FROM items";

// The table, made once per run in a temporary folder that is removed at exit.
class SampleDatabase {
 public:
  SampleDatabase() : file_(folder_.File("bench.db")) { Fill(); }
  const std::string& file() const { return file_; }

 private:
  void Fill() const {
    auto connection = std::make_shared<kelvo::Connection>();
    connection->Open("Provider=SQLite;Data Source=" + file_ + ";Mode=Create");
    connection->Execute(
        "CREATE TABLE items (id INTEGER PRIMARY KEY, qty INTEGER, big BIGINT, price REAL, "
        "ratio DOUBLE, name VARCHAR(40), note TEXT, added DATE)");
    connection->BeginTrans();
    for (int i = 0; i < kRows; ++i) {
      const kelvo::Variant values[] = {
          kelvo::Variant(i % 1000),
          kelvo::Variant(std::int64_t{i} * std::int64_t{3'000'000'000}),
          kelvo::Variant(i * 0.25),
          kelvo::Variant(1.0 / (i + 1)),
          kelvo::Variant("item " + std::to_string(i)),
          kelvo::Variant("a note of some length for row " + std::to_string(i)),
          kelvo::Variant("20" + std::to_string(10 + i % 15) + "-0" + std::to_string(1 + i % 9) +
                         "-1" + std::to_string(i % 10)),
      };
      connection->Execute(
          "INSERT INTO items (qty, big, price, ratio, name, note, added) "
          "VALUES (?, ?, ?, ?, ?, ?, ?)",
          values);
    }
    connection->CommitTrans();
  }

  kelvo::testing::TempDir folder_;
  std::string file_;
};

const SampleDatabase& Database() {
  static const SampleDatabase database;
  return database;
}

void BM_RecordsetForwardOnly(benchmark::State& state) {
  auto connection = std::make_shared<kelvo::Connection>();
  connection->Open("sqlite:" + Database().file());
  long rows = 0;
  for (auto _ : state) {
    kelvo::Recordset recordset;
    recordset.Open(kQuery, connection, kelvo::ado::adOpenForwardOnly, kelvo::ado::adLockReadOnly);
    kelvo::FieldCollection& fields = recordset.Fields();
    for (; !recordset.Eof(); recordset.MoveNext()) {
      for (kelvo::Field& field : fields) benchmark::DoNotOptimize(field.Value());
      ++rows;
    }
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RecordsetForwardOnly)->Unit(benchmark::kMillisecond);

// The renderers' way: one Variant per field, read into row after row.
void BM_RecordsetForwardOnlyReadInto(benchmark::State& state) {
  auto connection = std::make_shared<kelvo::Connection>();
  connection->Open("sqlite:" + Database().file());
  long rows = 0;
  for (auto _ : state) {
    kelvo::Recordset recordset;
    recordset.Open(kQuery, connection, kelvo::ado::adOpenForwardOnly, kelvo::ado::adLockReadOnly);
    kelvo::FieldCollection& fields = recordset.Fields();
    std::vector<kelvo::Variant> values(static_cast<size_t>(fields.Count()));
    for (; !recordset.Eof(); recordset.MoveNext()) {
      kelvo::Variant* value = values.data();
      for (kelvo::Field& field : fields) field.ReadValue(*value++);
      benchmark::ClobberMemory();
      ++rows;
    }
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RecordsetForwardOnlyReadInto)->Unit(benchmark::kMillisecond);

void BM_RawSqliteLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(Database().file().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    state.SkipWithError(sqlite3_errmsg(db));
    return;
  }
  long rows = 0;
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int i = 0; i < 3; ++i) benchmark::DoNotOptimize(sqlite3_column_int64(statement, i));
      for (int i = 3; i < 5; ++i) benchmark::DoNotOptimize(sqlite3_column_double(statement, i));
      for (int i = 5; i < 8; ++i) {
        benchmark::DoNotOptimize(sqlite3_column_text(statement, i));
        benchmark::DoNotOptimize(sqlite3_column_bytes(statement, i));
      }
      ++rows;
    }
    sqlite3_finalize(statement);
  }
  state.SetItemsProcessed(rows);
  sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteLoop)->Unit(benchmark::kMillisecond);

// One record read again and again on a kept connection, as a record view's statements are: the
// statement's preparing and description dominate, not its rows.
constexpr const char* kOneRecord =
    "SELECT id, qty, big, price, ratio, name, note, added FROM items WHERE id = 5";

void BM_RecordsetOneRecord(benchmark::State& state) {
  auto connection = std::make_shared<kelvo::Connection>();
  connection->Open("sqlite:" + Database().file());
  for (auto _ : state) {
    kelvo::Recordset recordset;
    recordset.Open(kOneRecord, connection, kelvo::ado::adOpenForwardOnly,
                   kelvo::ado::adLockReadOnly);
    for (kelvo::Field& field : recordset.Fields()) benchmark::DoNotOptimize(field.Value());
  }
}
BENCHMARK(BM_RecordsetOneRecord)->Unit(benchmark::kMicrosecond);

void BM_RawSqliteOneRecord(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(Database().file().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    state.SkipWithError(sqlite3_errmsg(db));
    return;
  }
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kOneRecord, -1, &statement, nullptr);
    if (sqlite3_step(statement) == SQLITE_ROW) {
      for (int i = 0; i < 8; ++i) benchmark::DoNotOptimize(sqlite3_column_text(statement, i));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteOneRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Database();  // made before any timing starts
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
