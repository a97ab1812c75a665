#include "edit_page.h"

#include "component/captions.h"
#include "kelvo/convert.h"
#include "kelvo/db_connection.h"

namespace kelvo::testing {

void CreatePeople(Connection& connection) {
  connection.Execute("CREATE TABLE P (id " + KeyType() +
                     ", name VARCHAR(20) NOT NULL, qty INTEGER, price DOUBLE PRECISION, born "
                     "DATE, active BOOLEAN, notes TEXT, photo " +
                     BinaryType() + ", tag VARCHAR(10))");
  connection.Execute("INSERT INTO P VALUES (1, 'Ann', 3, 2.5, '1990-05-01', TRUE, 'note', " +
                     BinaryLiteral("00FF") +
                     ", 'a'), (2, 'Bob', NULL, NULL, NULL, FALSE, NULL, NULL, NULL)");
  // A sequence does not follow keys given explicitly; SQLite's next key is already 3.
  if (OnPostgres()) connection.Execute("SELECT setval(pg_get_serial_sequence('p', 'id'), 2)");
}

std::vector<std::vector<std::string>> QueryRows(const std::shared_ptr<Connection>& connection,
                                                const std::string& query) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Recordset recordset;
  recordset.Open(query, connection);
  std::vector<std::vector<std::string>> rows;
  while (!recordset.Eof()) {
    std::vector<std::string> row;
    for (const Variant& value : recordset.GetRows()) {
      if (value.IsNull()) {
        row.push_back("NULL");
      } else if (value.type() == VarType::kBinary) {
        std::string hex;
        for (const auto byte : value.AsBinary()) (hex += kHex[byte >> 4]) += kHex[byte & 0xF];
        row.push_back(hex);
      } else {
        row.push_back(CStr(value, Locale::Default()));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void EditPageTest::SetUp() {
  GridPageTest::SetUp();
  if (IsSkipped()) return;
  Connection connection;
  connection.Open(ConnectionString());
  CreatePeople(connection);
  connection.Close();
}

Configure EditPageTest::Editing(Configure more) {
  return [more](DbView& v) {
    v.SetSql("SELECT id, name FROM P");
    v.SetFormSQL("SELECT * FROM P");
    v.SetEditSQL("SELECT * FROM P");
    v.SetEditPrimaryKeys("id");
    v.SetEditOptions("ALL");
    v.SetDeleteSQL("DELETE FROM P");
    if (more) more(v);
  };
}

RenderedPage EditPageTest::OpenEdit(const std::string& id, const Configure& configure) {
  return Render(
      RequestData::Post("/list.asp", "Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1PK=" +
                                         UrlEncode(id)),
      configure);
}

RenderedPage EditPageTest::OpenAdd(const Configure& configure) {
  return Render(RequestData::Get("/list.asp", "Vexmo1FormDisplay=formOneRec&Vexmo1FormAdd=1"),
                configure);
}

RenderedPage EditPageTest::Press(BrowserForm form, const std::string& button,
                                 const Configure& configure) {
  if (form.Has("Vexmo1FormEdit")) form.Set("Vexmo1FormEdit", "");
  return Render(RequestData::Post("/list.asp", form.Body(button)), configure);
}

std::vector<std::vector<std::string>> EditPageTest::Rows(const std::string& query) {
  auto connection = std::make_shared<Connection>();
  connection->Open(ConnectionString());
  auto rows = QueryRows(connection, query);
  connection->Close();
  return rows;
}

std::string EditPageTest::Value(const std::string& query) {
  const auto rows = Rows(query);
  return rows.empty() || rows[0].empty() ? "<no row>" : rows[0][0];
}

EditStateTest::EditStateTest() {
  detail::SetLanguage(s_, "ENG");
  s_.VexmoConnection = std::make_shared<DBConnection>();
  connection_ = s_.VexmoConnection->Connection();
  s_.EditSQL = "SELECT * FROM P";
  s_.EditPrimaryKeys = "id";
  UseRequest(RequestData::Get("/list.asp"));
}

void EditStateTest::SetUp() {
  KELVO_SKIP_WITHOUT_PROVIDER();
  database_.emplace(dir_, "edit.db");
  connection_->Open(database_->ConnectionString());
  CreatePeople(*connection_);
}

void EditStateTest::UseRequest(RequestData request) {
  PageOptions options;
  options.signing_secret = "test secret";
  page_ = std::make_unique<MemoryPage>(std::move(request), options);
  s_.mvarScriptingContext = page_->context();
  read_ = 0;
}

std::shared_ptr<Recordset> EditStateTest::Open(const std::string& statement) {
  auto recordset = std::make_shared<Recordset>();
  recordset->Open(statement, connection_);
  return recordset;
}

std::string EditStateTest::Written() {
  const std::string& buffered = page_->context()->response().Buffered();
  std::string text = buffered.substr(read_);
  read_ = buffered.size();
  return text;
}

}  // namespace kelvo::testing
