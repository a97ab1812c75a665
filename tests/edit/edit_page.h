// Fixtures of the edit tests, over a real table P (on the provider that support/test_database.h
// chooses) with a field of every class of value rule: whole numbers (id, qty), fractional
// numbers (price), dates (born), Booleans (active), long text (notes), long binary (photo) and
// other text (name, NOT NULL; tag).
#ifndef KELVO_TESTS_EDIT_EDIT_PAGE_H_
#define KELVO_TESTS_EDIT_EDIT_PAGE_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser_form.h"
#include "component/db_view_state.h"
#include "kelvo/data.h"
#include "kelvo/host.h"
#include "support/grid_page.h"
#include "support/temp_dir.h"
#include "support/test_database.h"

namespace kelvo::testing {

// Creates P with the rows (1, 'Ann', 3, 2.5, '1990-05-01', TRUE, 'note', 00FF, 'a') and
// (2, 'Bob', NULL, NULL, NULL, FALSE, NULL, NULL, NULL); a key the database assigns comes next.
void CreatePeople(Connection& connection);

// The rows of a query, each value as text ("NULL" for null, binary data in hex).
std::vector<std::vector<std::string>> QueryRows(const std::shared_ptr<Connection>& connection,
                                                const std::string& query);

using Configure = std::function<void(DbView&)>;

// Whole pages: a grid listing P whose records are edited, saved, added and deleted.
class EditPageTest : public GridPageTest {
 protected:
  void SetUp() override;

  // The grid lists "SELECT id, name FROM P"; records are shown and edited through
  // "SELECT * FROM P"
  // with key id, EditOptions "ALL" and DeleteSQL "DELETE FROM P"; `more` runs afterwards.
  static Configure Editing(Configure more = nullptr);

  // The edit form of record `id`, opened as the record view's Edit button does.
  RenderedPage OpenEdit(const std::string& id, const Configure& configure);
  // The add form.
  RenderedPage OpenAdd(const Configure& configure);
  // Posts the page's form by pressing `button` ("Vexmo1FormUpdate", ...), whose script first
  // empties the FormEdit field.
  RenderedPage Press(BrowserForm form, const std::string& button, const Configure& configure);

  std::vector<std::vector<std::string>> Rows(const std::string& query);
  // The first value of the first row, or "<no row>".
  std::string Value(const std::string& query);
};

// Single procedures on a grid state over P, with a page whose request a test chooses.
class EditStateTest : public ::testing::Test {
 protected:
  EditStateTest();
  void SetUp() override;

  // Replaces the page with one serving `request`; the grid state is kept.
  void UseRequest(RequestData request);
  // Opens `statement` forward-only on the grid's connection.
  std::shared_ptr<Recordset> Open(const std::string& statement);
  // What the procedures wrote to the page since the last call.
  std::string Written();

  TempDir dir_;
  std::optional<TestDatabase> database_;  // outlives the connection and recordsets
  std::unique_ptr<MemoryPage> page_;
  detail::DbViewState s_;
  std::shared_ptr<Connection> connection_;
  std::size_t read_ = 0;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_EDIT_EDIT_PAGE_H_
