// Renders grid pages over a real database (an SQLite file, or a schema on the PostgreSQL test
// server; see test_database.h) through the in-memory host, for the driver's tests.
#ifndef KELVO_TESTS_SUPPORT_GRID_PAGE_H_
#define KELVO_TESTS_SUPPORT_GRID_PAGE_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kelvo/data.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"
#include "support/test_database.h"

namespace kelvo::testing {

struct RenderedPage {
  std::string output;
  std::string errors;
  std::string mode;  // CurrentMode, read while the page was live
  int status = 0;
  NameValueList headers;
  std::shared_ptr<DbView> grid;
};

class GridPageTest : public ::testing::Test {
 protected:
  GridPageTest();
  // Makes the test database; the test skips when its provider cannot be tested here. Fixtures
  // that override it call it first and stop when IsSkipped().
  void SetUp() override;

  // Runs statements on the test database (a table T(id integer key, name TEXT, price DOUBLE
  // PRECISION) with `rows` rows is made by MakeTable).
  void Execute(const std::string& statement);
  void MakeTable(int rows);
  const std::string& ConnectionString() const { return database_->ConnectionString(); }

  // Renders one request of page /list.asp; `configure` sets the grid's properties after
  // `sql` = "SELECT * FROM T" (which it may replace); `inspect` runs after rendering, while the
  // page is still live.
  RenderedPage Render(RequestData request, const std::function<void(DbView&)>& configure = nullptr,
                      const std::function<void(DbView&)>& inspect = nullptr);
  RenderedPage Get(const std::string& query = {},
                   const std::function<void(DbView&)>& configure = nullptr) {
    return Render(RequestData::Get("/list.asp", query), configure);
  }
  RenderedPage Post(const std::string& form,
                    const std::function<void(DbView&)>& configure = nullptr) {
    return Render(RequestData::Post("/list.asp", form), configure);
  }

  TempDir dir_;
  std::optional<TestDatabase> database_;
  PageOptions options_;
};

// The text between `start` and the next `end` after it, or "" when absent.
std::string Between(const std::string& text, const std::string& start, const std::string& end);

// `text` with the entities a page writes for markup characters turned back into them.
std::string HtmlDecode(std::string text);

// `text` as a browser encodes a form field: letters, digits and ".-_" as they are, the rest %XX.
std::string FormEncode(const std::string& text);

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_SUPPORT_GRID_PAGE_H_
