// Grid pages over a 1,000,000-row PostgreSQL table, rendered by WriteHtmlTable through the
// in-memory host, against the queries a hand-written page would send through libpq itself, on
// one open connection each, in the same run:
//   the first page:       the count, then SELECT ... ORDER BY id LIMIT 20
//   record 900,001:       the count, then SELECT ... ORDER BY id LIMIT 20 OFFSET 900000
// KELVO_TEST_POSTGRES names the server as a postgresql:// URI (scripts/postgres.sh sets it);
// the table lives in a schema of its own, dropped at exit. bench/postgres/run.sh starts a
// private server, runs this and prints the ratios.
//   kelvo_bench_postgres_page --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/host.h"

namespace {

constexpr int kRows = 1'000'000;

std::string Server() {
  const char* value = std::getenv("KELVO_TEST_POSTGRES");
  return value != nullptr ? value : "";
}

// One libpq connection, closed with the object.
class RawConnection {
 public:
  explicit RawConnection(const std::string& uri) : connection_(PQconnectdb(uri.c_str())) {
    if (PQstatus(connection_) != CONNECTION_OK) {
      const std::string message = PQerrorMessage(connection_);
      PQfinish(connection_);
      throw std::runtime_error("cannot connect: " + message);
    }
  }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;
  ~RawConnection() { PQfinish(connection_); }

  // Runs `sql`; throws unless it succeeded. The caller clears the result.
  PGresult* Exec(const std::string& sql) const {
    PGresult* result = PQexec(connection_, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
      const std::string message = PQresultErrorMessage(result);
      PQclear(result);
      throw std::runtime_error(sql + ": " + message);
    }
    return result;
  }

 private:
  PGconn* connection_;
};

// The table items(id, name, price, added) in a new schema, dropped with the object.
class LargeTable {
 public:
  LargeTable() : schema_("kelvo_bench_" + std::to_string(getpid())) {
    RawConnection connection(Server());
    const std::string table = schema_ + ".items";
    for (const std::string& statement :
         {std::string("SET client_min_messages = warning"),
          "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE", "CREATE SCHEMA " + schema_,
          "CREATE TABLE " + table +
              " (id INTEGER PRIMARY KEY, name VARCHAR(40), price DOUBLE PRECISION, added DATE)",
          "INSERT INTO " + table +
              " SELECT i, 'item ' || i, i * 0.25, DATE '2020-01-01' + i % 1000 "
              "FROM generate_series(1, " +
              std::to_string(kRows) + ") AS i",
          "VACUUM ANALYZE " + table}) {
      PQclear(connection.Exec(statement));
    }
  }
  LargeTable(const LargeTable&) = delete;
  LargeTable& operator=(const LargeTable&) = delete;
  ~LargeTable() {
    try {
      RawConnection connection(Server());
      PQclear(connection.Exec("SET client_min_messages = warning"));
      PQclear(connection.Exec("DROP SCHEMA " + schema_ + " CASCADE"));
    } catch (const std::exception& error) {
      std::fprintf(stderr, "the schema %s was not dropped: %s\n", schema_.c_str(), error.what());
    }
  }

  // Ordered: without an order the server may start a large scan anywhere (synchronised scans),
  // and the page would hold other rows from one request to the next.
  std::string Query() const {
    return "SELECT id, name, price, added FROM " + schema_ + ".items ORDER BY id";
  }

 private:
  std::string schema_;
};

const LargeTable& Table() {
  static const LargeTable table;
  return table;
}

// The page at `record` (1 = the first), counted; checks that it shows the 20 rows from there,
// starting with the record whose id is `record`.
void RenderPages(benchmark::State& state, int record) {
  auto holder = std::make_shared<kelvo::DBConnection>();
  holder->Connection()->Open(Server());
  const std::string query = Table().Query();
  const std::string request = "Vexmo1CurrRecord=" + std::to_string(record);
  const std::string first_id = ">" + std::to_string(record) + "</td>";
  std::size_t bytes = 0;
  for (auto _ : state) {
    kelvo::MemoryPage page(kelvo::RequestData::Get("/items", request));
    kelvo::DbView grid;
    page.Run([&](kelvo::ScriptingContext&) {
      grid.OnStartPage(kelvo::Variant(page.context()));
      grid.SetVexmoConnection(holder);
      grid.SetSql(query);
      grid.WriteHtmlTable();
      grid.OnEndPage();
    });
    if (!grid.ErrorMessage().empty() || grid.FromRow() != record || grid.ToRow() != record + 19 ||
        grid.RecordCount() != kRows || page.output().find(first_id) == std::string::npos) {
      state.SkipWithError(("unexpected page: " + grid.ErrorMessage()).c_str());
      break;
    }
    bytes = page.output().size();
  }
  state.counters["page_bytes"] = static_cast<double>(bytes);
}

// The count and the page's rows through libpq, every value read as the server sends it.
void RawPages(benchmark::State& state, int record) {
  RawConnection connection(Server());
  const std::string query = Table().Query();
  const std::string count = "SELECT COUNT(*) FROM (" + query + ") t";
  const std::string rows =
      query + " LIMIT 20" + (record > 1 ? " OFFSET " + std::to_string(record - 1) : std::string());
  int fetched = 0;
  for (auto _ : state) {
    PGresult* counted = connection.Exec(count);
    benchmark::DoNotOptimize(std::atol(PQgetvalue(counted, 0, 0)));
    PQclear(counted);
    PGresult* page = connection.Exec(rows);
    fetched = PQntuples(page);
    const int columns = PQnfields(page);
    for (int row = 0; row < fetched; ++row) {
      for (int column = 0; column < columns; ++column) {
        benchmark::DoNotOptimize(PQgetvalue(page, row, column));
      }
    }
    PQclear(page);
  }
  if (fetched != 20) state.SkipWithError("the raw page does not hold 20 rows");
}

void BM_GridFirstPage(benchmark::State& state) { RenderPages(state, 1); }
void BM_RawFirstPage(benchmark::State& state) { RawPages(state, 1); }
void BM_GridAtRecord900001(benchmark::State& state) { RenderPages(state, 900'001); }
void BM_RawAtRecord900001(benchmark::State& state) { RawPages(state, 900'001); }

BENCHMARK(BM_GridFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridAtRecord900001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawAtRecord900001)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (Server().empty()) {
    std::fprintf(stderr,
                 "KELVO_TEST_POSTGRES is not set: no PostgreSQL server to measure against "
                 "(bench/postgres/run.sh starts one); nothing was measured\n");
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  try {
    Table();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot make the table: %s\n", error.what());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
