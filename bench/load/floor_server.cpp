// The floor that `kelvo serve` is measured against: the same HTTP library, pooled database
// connections with statements prepared once, the count and page queries a
// hand-written page would run, and the table browser's bytes for the items table of
// bench/load/run.sh. The parts of each page that hold no row are read once from pages `kelvo
// serve` wrote (DIR/NAME.html); rows and record fields are formatted here, in a plain loop.
//   kelvo_bench_floor --port PORT --pages DIR (--sqlite FILE | --postgres CONNINFO)
#include <libpq-fe.h>
#include <sqlite3.h>

#include <utility>

#include <boost/asio.hpp>
#include <boost/beast.hpp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

constexpr std::string_view kCount = "SELECT COUNT(*) FROM items";
constexpr std::string_view kById = "SELECT id, code, qty FROM items ORDER BY id LIMIT 20 OFFSET ";
// code has no unique index: the key after it keeps the order of equal codes the same from
// page to page, as in Kelvo's query.
constexpr std::string_view kByCode =
    "SELECT id, code, qty FROM items ORDER BY code, id LIMIT 20 OFFSET ";
constexpr std::string_view kRecord = "SELECT id, code, qty FROM items WHERE id = ";

struct Row {
  std::string id, code, qty;
};

// What one page asks of the database and where its rows go between the fixed parts.
struct Page {
  std::string target;
  enum Kind { kGrid, kRecordView } kind;
  std::string_view query;  // the page query, placeholder last
  long first;              // first record shown (1-based); the key for the record view
  std::string order;       // Vexmo1OrderByFields as the row links carry it
  std::string carried;     // the row links' carried count parameter, as captured; may be empty
  std::string head, tail;
};

// The count and the page's rows, each through a statement prepared once.
class Database {
 public:
  virtual ~Database() = default;
  virtual long Count() = 0;
  virtual void Rows(const Page& page, std::vector<Row>& rows) = 0;
};

class SqliteDatabase final : public Database {
 public:
  explicit SqliteDatabase(const std::string& file) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      throw std::runtime_error("cannot open " + file);
    }
    count_ = Prepare(std::string(kCount));
    by_id_ = Prepare(std::string(kById) + "?");
    by_code_ = Prepare(std::string(kByCode) + "?");
    record_ = Prepare(std::string(kRecord) + "?");
  }
  ~SqliteDatabase() override {
    for (sqlite3_stmt* s : {count_, by_id_, by_code_, record_}) sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  long Count() override {
    long count = sqlite3_step(count_) == SQLITE_ROW ? sqlite3_column_int64(count_, 0) : -1;
    sqlite3_reset(count_);
    return count;
  }
  void Rows(const Page& page, std::vector<Row>& rows) override {
    sqlite3_stmt* s = page.kind == Page::kRecordView ? record_
                      : page.query == kByCode        ? by_code_
                                                     : by_id_;
    sqlite3_bind_int64(s, 1, page.kind == Page::kRecordView ? page.first : page.first - 1);
    rows.clear();
    while (sqlite3_step(s) == SQLITE_ROW) {
      rows.push_back({Text(s, 0), Text(s, 1), Text(s, 2)});
    }
    sqlite3_reset(s);
  }

 private:
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
        SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
    return s;
  }
  static std::string Text(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text == nullptr ? std::string() : std::string(text);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt *count_ = nullptr, *by_id_ = nullptr, *by_code_ = nullptr, *record_ = nullptr;
};

class PostgresDatabase final : public Database {
 public:
  explicit PostgresDatabase(const std::string& conninfo) : db_(PQconnectdb(conninfo.c_str())) {
    if (PQstatus(db_) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(db_));
    Prepare("count", std::string(kCount));
    Prepare("by_id", std::string(kById) + "$1");
    Prepare("by_code", std::string(kByCode) + "$1");
    Prepare("record", std::string(kRecord) + "$1");
  }
  ~PostgresDatabase() override { PQfinish(db_); }
  long Count() override {
    PGresult* result = PQexecPrepared(db_, "count", 0, nullptr, nullptr, nullptr, 0);
    long count = PQresultStatus(result) == PGRES_TUPLES_OK ? std::atol(PQgetvalue(result, 0, 0)) : -1;
    PQclear(result);
    return count;
  }
  void Rows(const Page& page, std::vector<Row>& rows) override {
    const char* name = page.kind == Page::kRecordView ? "record"
                       : page.query == kByCode        ? "by_code"
                                                      : "by_id";
    const std::string value =
        std::to_string(page.kind == Page::kRecordView ? page.first : page.first - 1);
    const char* values[] = {value.c_str()};
    PGresult* result = PQexecPrepared(db_, name, 1, values, nullptr, nullptr, 0);
    rows.clear();
    if (PQresultStatus(result) == PGRES_TUPLES_OK) {
      for (int r = 0; r < PQntuples(result); ++r) {
        rows.push_back({PQgetvalue(result, r, 0), PQgetvalue(result, r, 1), PQgetvalue(result, r, 2)});
      }
    }
    PQclear(result);
  }

 private:
  void Prepare(const char* name, const std::string& sql) {
    PGresult* result = PQprepare(db_, name, sql.c_str(), 0, nullptr);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!ok) throw std::runtime_error(PQerrorMessage(db_));
  }

  PGconn* db_;
};

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

void AppendGridRows(std::string& out, const Page& page, const std::vector<Row>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const std::string record = std::to_string(page.first + static_cast<long>(i));
    const char* parity = i % 2 == 0 ? "odd" : "even";
    const std::string cell = "<td id=\"klv1cell_" + n + "_";
    out += "<tr id=\"klv1row_" + n + "\" class=\"KLVOTableTR" + parity + "\">\r\n";
    out += cell + "0\" class=\"KLVOTableTD" + parity +
           "\"><a class=\"KLVOTable\" href=\"/table/items?Vexmo1FormDisplay=formOneRec"
           "&Vexmo1CurrRecord=" + std::to_string(page.first) +
           "&Vexmo1CountRecords=on&Vexmo1maxrecords=20" + page.carried + "&Vexmo1PK=" + rows[i].id +
           "&Vexmo1OrderByFields=" + page.order + "&Vexmo1BookMark=" + record + "\">" + record +
           "</a></td>\r\n";
    out += cell + "1\" class=\"KLVOTableTD" + parity + "\" align=\"right\">" + rows[i].id + "</td>\r\n";
    out += cell + "2\" class=\"KLVOTableTD" + parity + "\">";
    AppendEscaped(out, rows[i].code);
    out += "</td>\r\n";
    out += cell + "3\" class=\"KLVOTableTD" + parity + "\" align=\"right\">" + rows[i].qty + "</td>\r\n";
    out += "</tr>\r\n";
  }
}

void AppendRecordFields(std::string& out, const std::vector<Row>& rows) {
  if (rows.empty()) return;
  const std::pair<const char*, const std::string*> fields[] = {
      {"id", &rows[0].id}, {"code", &rows[0].code}, {"qty", &rows[0].qty}};
  for (const auto& [name, value] : fields) {
    out += "<tr class=\"KLVOTableFormDataView\">\r\n<th class=\"KLVOTableFormDataView\" scope=\"row\" align=left>";
    out += name;
    out += "</th><td class=\"KLVOTableFormDataView\">";
    AppendEscaped(out, *value);
    out += "</td>\r\n</tr>\r\n";
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Splits a captured page around its rows: from the first row to the end of the rows' table.
void Split(Page& page, const std::string& html) {
  const std::string_view first =
      page.kind == Page::kGrid ? "<tr id=\"klv1row_1\"" : "<tr class=\"KLVOTableFormDataView\">";
  const std::size_t begin = html.find(first);
  const std::size_t end = html.find("</table></td></tr>", begin);
  if (begin == std::string::npos || end == std::string::npos) {
    throw std::runtime_error("no rows in the captured page for " + page.target);
  }
  page.head = html.substr(0, begin);
  page.tail = html.substr(end);
  // The count the row links carry is signed with a time: the floor writes the captured one.
  constexpr std::string_view kCarried = "&Vexmo1CarriedCount=";
  const std::size_t carried = html.find(kCarried, begin);
  if (carried < end) page.carried = html.substr(carried, html.find('&', carried + 1) - carried);
}

std::vector<Page> Pages(const std::string& dir) {
  const std::string list = "/table/items?Vexmo1CurrRecord=49981&Vexmo1CountRecords=on&Vexmo1maxrecords=20";
  std::vector<Page> pages = {
      {"/table/items", Page::kGrid, kById, 1, "%22id%22", {}, {}, {}},
      {list, Page::kGrid, kById, 49981, "%22id%22", {}, {}, {}},
      {list + "&Vexmo1OrderByFields=2", Page::kGrid, kByCode, 49981, "2", {}, {}, {}},
      {"/table/items?Vexmo1FormDisplay=formOneRec&Vexmo1CurrRecord=49981&Vexmo1CountRecords=on"
       "&Vexmo1maxrecords=20&Vexmo1PK=49981&Vexmo1OrderByFields=%22id%22&Vexmo1BookMark=49981",
       Page::kRecordView, kRecord, 49981, "%22id%22", {}, {}, {}}};
  const char* names[] = {"page-1", "record-49981", "sorted", "record-view"};
  for (std::size_t i = 0; i < pages.size(); ++i) {
    Split(pages[i], ReadFile(dir + "/" + names[i] + ".html"));
  }
  return pages;
}

// Database connections kept between requests, so that `Connection: close` does not reconnect.
class Pool final {
 public:
  explicit Pool(std::function<std::unique_ptr<Database>()> open) : open_(std::move(open)) {}
  std::unique_ptr<Database> Take() {
    {
      std::lock_guard lock(mutex_);
      if (!idle_.empty()) {
        std::unique_ptr<Database> db = std::move(idle_.back());
        idle_.pop_back();
        return db;
      }
    }
    return open_();
  }
  void Give(std::unique_ptr<Database> db) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(db));
  }

 private:
  std::function<std::unique_ptr<Database>()> open_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Database>> idle_;
};

// A target without the carried count a record link holds. The floor does not check the
// count's signature: like Kelvo with a valid one, it then counts nothing.
std::string WithoutCarriedCount(std::string_view target) {
  constexpr std::string_view kCarried = "&Vexmo1CarriedCount=";
  std::string bare(target);
  const std::size_t start = bare.find(kCarried);
  if (start != std::string::npos) bare.erase(start, bare.find('&', start + 1) - start);
  return bare;
}

// One thread per client connection; a database connection from the pool for each request.
void Serve(asio::ip::tcp::socket socket, const std::vector<Page>& pages, Pool& pool) {
  try {
    socket.set_option(asio::ip::tcp::no_delay(true));
    beast::flat_buffer buffer;
    std::vector<Row> rows;
    for (;;) {
      http::request<http::empty_body> request;
      beast::error_code ec;
      http::read(socket, buffer, request, ec);
      if (ec) break;
      http::response<http::string_body> response;
      response.version(request.version());
      response.keep_alive(request.keep_alive());
      const Page* page = nullptr;
      const beast::string_view asked = request.target();
      const std::string target = WithoutCarriedCount({asked.data(), asked.size()});
      for (const Page& p : pages) {
        if (p.target == target) page = &p;
      }
      if (page == nullptr) {
        response.result(http::status::not_found);
      } else {
        std::unique_ptr<Database> db = pool.Take();
        const bool carries_count = target.size() != asked.size();
        if (!carries_count && db->Count() < 0) {
          throw std::runtime_error("the count failed");
        }
        db->Rows(*page, rows);
        pool.Give(std::move(db));
        std::string& body = response.body();
        body.reserve(page->head.size() + page->tail.size() + 8192);
        body = page->head;
        if (page->kind == Page::kGrid) {
          AppendGridRows(body, *page, rows);
        } else {
          AppendRecordFields(body, rows);
        }
        body += page->tail;
        response.set(http::field::content_type, "text/html; charset=utf-8");
      }
      response.prepare_payload();
      http::write(socket, response, ec);
      if (ec || !response.keep_alive()) break;
    }
    beast::error_code ignored;
    socket.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
  } catch (const std::exception& e) {
    std::cerr << "floor: " << e.what() << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> args;
  for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
  if (!args.count("--port") || !args.count("--pages") ||
      args.count("--sqlite") == args.count("--postgres")) {
    std::cerr << "usage: kelvo_bench_floor --port PORT --pages DIR (--sqlite FILE | --postgres CONNINFO)\n";
    return 2;
  }
  try {
    const std::vector<Page> pages = Pages(args["--pages"]);
    const std::string sqlite = args.count("--sqlite") ? args["--sqlite"] : "";
    const std::string postgres = args.count("--postgres") ? args["--postgres"] : "";
    Pool pool([&]() -> std::unique_ptr<Database> {
      if (!sqlite.empty()) return std::make_unique<SqliteDatabase>(sqlite);
      return std::make_unique<PostgresDatabase>(postgres);
    });
    pool.Give(pool.Take());  // a wrong database stops the start
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(
        io, {asio::ip::make_address("127.0.0.1"),
             static_cast<unsigned short>(std::atoi(args["--port"].c_str()))});
    std::cout << "floor at http://127.0.0.1:" << acceptor.local_endpoint().port() << "/"
              << std::endl;
    for (;;) {
      std::thread(Serve, acceptor.accept(), std::cref(pages), std::ref(pool)).detach();
    }
  } catch (const std::exception& e) {
    std::cerr << "floor: " << e.what() << "\n";
    return 1;
  }
}
