#include "support/grid_page.h"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace kelvo::testing {

GridPageTest::GridPageTest() { options_.signing_secret = "test secret"; }

void GridPageTest::SetUp() {
  KELVO_SKIP_WITHOUT_PROVIDER();
  database_.emplace(dir_, "grid.db");
}

void GridPageTest::Execute(const std::string& statement) {
  Connection connection;
  connection.Open(ConnectionString());
  connection.Execute(statement);
  connection.Close();
}

void GridPageTest::MakeTable(int rows) {
  Connection connection;
  connection.Open(ConnectionString());
  connection.Execute("CREATE TABLE T (id " + KeyType() + ", name TEXT, price DOUBLE PRECISION)");
  connection.BeginTrans();
  for (int i = 1; i <= rows; ++i) {
    const Variant values[] = {Variant(i), Variant("item " + std::to_string(i)), Variant(i * 1.5)};
    connection.Execute("INSERT INTO T (id, name, price) VALUES (?, ?, ?)", values);
  }
  connection.CommitTrans();
  connection.Close();
}

RenderedPage GridPageTest::Render(RequestData request,
                                  const std::function<void(DbView&)>& configure,
                                  const std::function<void(DbView&)>& inspect) {
  MemoryPage page(std::move(request), options_);
  RenderedPage rendered;
  rendered.grid = std::make_shared<DbView>();
  DbView& grid = *rendered.grid;
  page.Run([&](ScriptingContext&) {
    grid.OnStartPage(Variant(page.context()));
    grid.SetConnectionString(ConnectionString());
    grid.SetSql("SELECT * FROM T");
    if (configure) configure(grid);
    grid.WriteHtmlTable();
    rendered.mode = grid.CurrentMode();
    if (inspect) inspect(grid);
    grid.OnEndPage();
  });
  rendered.output = page.output();
  rendered.status = page.status();
  rendered.headers = page.headers();
  rendered.errors = grid.ErrorMessage();
  return rendered;
}

std::string Between(const std::string& text, const std::string& start, const std::string& end) {
  const std::size_t from = text.find(start);
  if (from == std::string::npos) return {};
  const std::size_t begin = from + start.size();
  const std::size_t to = text.find(end, begin);
  return to == std::string::npos ? std::string() : text.substr(begin, to - begin);
}

std::string HtmlDecode(std::string text) {
  static const std::vector<std::pair<std::string, std::string>> kEntities = {
      {"&quot;", "\""}, {"&#39;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : kEntities) {
    for (std::size_t at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + plain.size())) {
      text.replace(at, entity.size(), plain);
    }
  }
  return text;
}

std::string FormEncode(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '.' || c == '_' || c == '-') {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0x0F];
    }
  }
  return out;
}

}  // namespace kelvo::testing
