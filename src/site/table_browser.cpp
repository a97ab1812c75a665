#include "site/table_browser.h"

#include "host/ascii_case.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "server/http_request.h"
#include "site/catalog.h"
#include "site/html_text.h"
#include "site/page_document.h"
#include "site/served_defaults.h"
#include "state/sort_fields.h"

namespace kelvo::site {
namespace {

std::shared_ptr<DBConnection> OpenDatabase(const std::shared_ptr<ScriptingContext>& context,
                                           const BrowserSettings& browser) {
  auto database = std::make_shared<DBConnection>();
  // Browsing leaves the user's database as it found it.
  if (!browser.editing) database->Connection()->SetMode(ado::adModeRead);
  database->Connection()->Open(browser.connection);
  database->OnStartPage(context);
  return database;
}

std::string Join(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += ',';
    joined += name;
  }
  return joined;
}

// The key columns as a sort list, or nothing when a name is not one a posted sort may carry
// back: the grid refuses such a list when the page's own form returns it.
std::string DefaultOrder(const Connection& connection, const std::vector<std::string>& keys) {
  std::string order;
  for (const std::string& key : keys) {
    if (!order.empty()) order += ',';
    order += connection.QuoteIdentifier(key);
  }
  return detail::IsSafeSortList(order) ? order : std::string();
}

// Whether the request asks for the grid's rows as a spreadsheet, which is sent as it is made.
bool AsksForExport(const Request& request) {
  constexpr std::string_view kExport = "toexcel.x";
  for (const RequestCollection* collection : {&request.QueryString(), &request.Form()}) {
    for (const RequestCollection::Entry& entry : collection->entries()) {
      if (entry.key.size() >= kExport.size() &&
          host::EqualsIgnoringAsciiCase(
              std::string_view(entry.key).substr(entry.key.size() - kExport.size()), kExport))
        return true;
    }
  }
  return false;
}

// The page of `table`: its grid, or the page that says there is no such table.
void WriteTablePage(const std::shared_ptr<ScriptingContext>& context,
                    const std::shared_ptr<DBConnection>& database, std::string_view table,
                    const BrowserSettings& browser) {
  Response& out = context->response();
  const std::shared_ptr<Connection>& connection = database->Connection();
  const std::optional<TableEntry> found = FindTable(connection, browser.connection, table);
  if (!found) {
    out.SetStatus(404);
    WriteDocumentStart(out, "No such table", browser.locale);
    out.Write("<p class=\"KelvoBack\"><a href=\"../\">All tables</a></p>\n<h1>No table called " +
              HtmlEscape(table) + "</h1>\n");
    WriteDocumentEnd(out);
    return;
  }

  WriteDocumentStart(out, found->name, browser.locale);
  WriteSignedInUser(out, context->request().ServerVariables("REMOTE_USER"));
  out.Write("<p class=\"KelvoBack\"><a href=\"../\">All tables</a></p>\n<h1>" +
            HtmlEscape(found->name) + "</h1>\n");
  DbView grid;
  grid.OnStartPage(Variant(context));
  grid.SetVexmoConnection(database);
  ApplyServedDefaults(grid, found->name);
  const std::string sql = "SELECT * FROM " + connection->QuoteIdentifier(found->name);
  grid.SetSql(sql);
  grid.SetDisplayNavBar("both");
  grid.SetDisplayRecordsPerPageSelect(true);
  grid.SetSearchFields("*");
  const std::vector<std::string>& keys = found->primary_key;
  if (!keys.empty()) {
    // Records open by their key, and the pages keep one order whatever the database does
    // with rows it updated.
    grid.SetEditPrimaryKeys(Join(keys));
    grid.SetOrderByFields(DefaultOrder(*connection, keys));
  }
  if (browser.editing && !keys.empty()) {
    grid.SetEditOptions("ALL");
    grid.SetFormSQL(sql);
    // The grid binds the key values into the condition it appends.
    grid.SetDeleteSQL("DELETE FROM " + connection->QuoteIdentifier(found->name));
    // Shown as the database computes them, not offered for typing: a save could only refuse
    // them. By number, as a name may hold a comma.
    std::string computed;
    for (const int column : found->computed_columns) {
      if (!computed.empty()) computed += ',';
      computed += std::to_string(column);
    }
    if (!computed.empty()) grid.SetEditFieldsReadOnly(computed);
  }
  WriteGridStart(out);
  grid.WriteHtmlTable();
  WriteGridEnd(out);
  WriteErrorBox(out, grid.ErrorMessage());
  grid.OnEndPage();
  WriteDocumentEnd(out);
}

}  // namespace

void RenderIndex(const std::shared_ptr<ScriptingContext>& context,
                 const std::vector<PageLink>& pages, const BrowserSettings& browser,
                 const std::function<bool(std::string_view)>& may_see_table) {
  Response& out = context->response();
  WriteDocumentStart(out, "Kelvo", browser.locale);
  WriteSignedInUser(out, context->request().ServerVariables("REMOTE_USER"));
  std::string html = "<h1>Kelvo</h1>\n";
  if (!pages.empty()) {
    html += "<h2>Pages</h2>\n<ul class=\"KelvoIndex\">\n";
    for (const PageLink& page : pages) {
      html += "<li><a href=\"" + EncodePathSegment(page.name) + "\">" + HtmlEscape(page.title) +
              "<small>/" + HtmlEscape(page.name) + "</small></a></li>\n";
    }
    html += "</ul>\n";
  }
  if (!browser.connection.empty()) {
    auto database = OpenDatabase(context, browser);
    html += "<h2>Tables</h2>\n<ul class=\"KelvoIndex\">\n";
    const auto catalog = ReadCatalog(database->Connection(), browser.connection);
    for (const TableEntry& table : catalog->tables) {
      if (may_see_table && !may_see_table(table.name)) continue;
      html += "<li><a href=\"table/" + EncodePathSegment(table.name) + "\">" +
              HtmlEscape(table.name) + "<small>" + (table.is_view ? "view" : "table") +
              "</small></a></li>\n";
    }
    html += "</ul>\n";
    database->OnEndPage();
  }
  if (pages.empty() && browser.connection.empty()) html += "<p>Nothing is served here.</p>\n";
  out.Write(html);
  WriteDocumentEnd(out);
}

void RenderTablePage(const std::shared_ptr<ScriptingContext>& context, std::string_view table,
                     BrowserSettings browser) {
  // A signed-in user whose role may not write the table gets it read-only.
  browser.editing = browser.editing && context->may_write();
  auto database = OpenDatabase(context, browser);
  Connection& connection = *database->Connection();
  // A page that changes nothing and is sent whole can be made again: it trusts what the
  // connection keeps of the table, and the check of that travels with its first statement.
  // When the table changed, the page is made again from what the table is now.
  const bool again = !browser.editing && !AsksForExport(context->request());
  if (again) connection.CheckFactsLater();
  bool held = true;
  try {
    WriteTablePage(context, database, table, browser);
  } catch (const Error&) {
    if (!again || connection.FactsHeld()) throw;
    held = false;
  }
  if (again && held) held = connection.FactsHeld();
  if (!held) {
    context->response().Clear();
    context->response().SetStatus(200);
    WriteTablePage(context, database, table, browser);
  }
  database->OnEndPage();
}

}  // namespace kelvo::site
