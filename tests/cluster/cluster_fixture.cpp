#include "cluster/cluster_fixture.h"

#include <httplib.h>

#include <cctype>
#include <filesystem>
#include <fstream>

#include "data/postgres_test_database.h"
#include "kelvo/convert.h"
#include "kelvo/data.h"
#include "kelvo/locale.h"

namespace kelvo::testing {
namespace {

constexpr time_t kRequestSeconds = 15;

// The tests compare the bytes of pages answered at different moments, so the pages carry no
// count: a carried count holds its expiry time.
constexpr std::string_view kItemsPage = R"(title = "Items"

[[grid]]
sql = "SELECT id, name, qty, price, note FROM cluster_item"
PersistentSQL = true
OrderByFields = "1"
EditOptions = "ALL"
EditPrimaryKeys = "id"
EditFieldsReadOnly = "id"
EditNewPKStatement = "autoincrement"
RecordsPerPage = 10
DisplayNavBar = "both"
CountCacheSeconds = 0
)";

constexpr std::string_view kCodesPage = R"(title = "Codes"

[[grid]]
sql = "SELECT code, label FROM cluster_code"
OrderByFields = "1"
EditOptions = "ALL"
EditPrimaryKeys = "code"
RecordsPerPage = 10
CountCacheSeconds = 0
)";

std::string FormEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.' || c == '*') {
      out += c;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

void WriteFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

httplib::Client Client(int port) {
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(kRequestSeconds, 0);
  client.set_read_timeout(kRequestSeconds, 0);
  client.set_write_timeout(kRequestSeconds, 0);
  // Targets are sent as the page wrote them, like a browser following a link.
  client.set_url_encode(false);
  return client;
}

Reply ReplyOf(const httplib::Result& result) {
  if (!result) return {0, "no response: " + httplib::to_string(result.error())};
  return {result->status, result->body};
}

}  // namespace

bool SaysSaved(const std::string& page) {
  return page.find("[Record saved ok]") != std::string::npos ||
         page.find("[New record saved ok]") != std::string::npos;
}

bool SaysNotSaved(const std::string& page) {
  return page.find("Record WAS NOT SAVED") != std::string::npos ||
         page.find("Nothing was changed") != std::string::npos;
}

std::string Pressed(BrowserForm form, const std::string& button) {
  if (form.Has("Vexmo1FormEdit")) form.Set("Vexmo1FormEdit", "");
  return form.Body(button);
}

std::string ImagePressed(const std::string& page, const std::string& image) {
  static constexpr std::string_view kHidden = "<input type=\"hidden\" name=\"";
  const BrowserForm form(page);
  const std::size_t form_end = page.find("</form>");
  std::string body;
  for (std::size_t at = page.find(kHidden); at < form_end; at = page.find(kHidden, at)) {
    at += kHidden.size();
    const std::string name = page.substr(at, page.find('"', at) - at);
    const std::optional<std::string> value = form.Value(name);
    if (!value) continue;
    body += FormEncoded(name) + "=" + FormEncoded(*value) + "&";
  }
  return body + image + ".x=1&" + image + ".y=1";
}

void ClusterTest::SetUp() {
  const std::string unavailable = PostgresUnavailable();
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  database_ = NewPostgresSchema();
  Execute(
      "CREATE TABLE cluster_item (id serial PRIMARY KEY, name varchar(40) NOT NULL, "
      "qty integer, price numeric(10,2), note text)");
  Execute(
      "INSERT INTO cluster_item (name, qty, price, note) SELECT "
      "'item ' || lpad((n * 17 % 45 + 1)::text, 2, '0'), n * 7 % 13, n * 1.25, CASE WHEN n % 3 = 0 "
      "THEN NULL ELSE 'note ' || n END "
      "FROM generate_series(1, " +
      std::to_string(kItems) + ") AS n");
  Execute("CREATE TABLE cluster_code (code varchar(12) PRIMARY KEY, label varchar(40) NOT NULL)");
  std::filesystem::create_directory(dir_.path() / "pages");
  WriteFile(dir_.path() / "pages" / "items.toml", kItemsPage);
  WriteFile(dir_.path() / "pages" / "codes.toml", kCodesPage);
  a_ = StartServer(kSecret);
  b_ = StartServer(kSecret);
}

void ClusterTest::TearDown() {
  a_.reset();
  b_.reset();
  if (!database_.empty()) DropPostgresSchema(database_);
}

std::unique_ptr<ServeProcess> ClusterTest::StartServer(const std::string& secret) {
  static int started = 0;
  const std::string name = "server" + std::to_string(++started);
  std::vector<std::string> args = {"--pages", dir_.File("pages"), "--db",   database_,
                                   "--host",  "127.0.0.1",        "--port", "0"};
  audits_.push_back(dir_.path() / (name + ".audit"));
  args.insert(args.end(), {"--audit", audits_.back().string()});
  std::vector<std::string> environment;
  // Servers take turns at the two ways of being given the secret.
  if (started % 2 == 1) {
    const std::filesystem::path file = dir_.path() / (name + ".secret");
    WriteFile(file, secret + "\n");
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    args.insert(args.end(), {"--secret-file", file.string()});
  } else {
    environment.push_back("KELVO_SECRET=" + secret);
  }
  return std::make_unique<ServeProcess>(KELVO_PROGRAM, args, environment,
                                        dir_.path() / (name + ".log"));
}

std::vector<std::string> ClusterTest::TakeAuditLines() {
  std::vector<std::string> lines;
  for (const std::filesystem::path& path : audits_) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    in.close();
    // The servers append with O_APPEND, so they go on at the new end.
    if (std::filesystem::exists(path)) std::filesystem::resize_file(path, 0);
  }
  return lines;
}

Reply ClusterTest::Get(int port, const std::string& target) {
  httplib::Client client = Client(port);
  return ReplyOf(client.Get(target));
}

Reply ClusterTest::Post(int port, const std::string& target, const std::string& body) {
  httplib::Client client = Client(port);
  return ReplyOf(client.Post(target, body, "application/x-www-form-urlencoded"));
}

std::string ClusterTest::EditForm(int port, int number) {
  return Post(port, "/items",
              "Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1OrderByFields=1&"
              "Vexmo1CurrRecord=" +
                  std::to_string(number))
      .body;
}

std::string ClusterTest::AddForm(int port, const std::string& page) {
  return Get(port, "/" + page + "?Vexmo1FormDisplay=formOneRec&Vexmo1FormAdd=1").body;
}

void ClusterTest::Execute(const std::string& sql) {
  Connection connection;
  connection.Open(database_);
  connection.Execute(sql);
}

Rows ClusterTest::Query(const std::string& query) {
  auto connection = std::make_shared<Connection>();
  connection->Open(database_);
  Recordset recordset;
  recordset.Open(query, connection);
  Rows rows;
  while (!recordset.Eof()) {
    std::vector<std::string> row;
    for (const Variant& value : recordset.GetRows()) {
      row.push_back(value.IsNull() ? "NULL" : CStr(value, Locale::Default()));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace kelvo::testing
