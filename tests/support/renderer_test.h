// A fixture for the renderers' own tests: grid state on an in-memory page, in English, with
// a connection to a new test database of the provider under test.
#ifndef KELVO_TESTS_SUPPORT_RENDERER_TEST_H_
#define KELVO_TESTS_SUPPORT_RENDERER_TEST_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "component/captions.h"
#include "component/db_view_state.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"
#include "support/test_database.h"

namespace kelvo::testing {

class RendererTest : public ::testing::Test {
 protected:
  RendererTest() : page_(RequestData::Get("/list.asp")) {
    s_.mvarScriptingContext = page_.context();
    detail::SetLanguage(s_, "ENG");
    s_.VexmoConnection = std::make_shared<DBConnection>();
    connection_ = s_.VexmoConnection->Connection();
  }

  // Opens the test database; fixtures that override SetUp call this first.
  void SetUp() override {
    KELVO_SKIP_WITHOUT_PROVIDER();
    database_.emplace(dir_, "render.db");
    connection_->Open(database_->ConnectionString());
  }

  // Opens `statement` as recordset_ and returns what `render` writes to the page.
  template <class Render>
  std::string Rendered(const std::string& statement, Render&& render) {
    recordset_ = std::make_shared<Recordset>();
    recordset_->Open(statement, connection_);
    const std::size_t before = page_.context()->response().Buffered().size();
    render(*recordset_);
    return page_.context()->response().Buffered().substr(before);
  }

  TempDir dir_;
  std::optional<TestDatabase> database_;  // outlives the connection and recordsets
  MemoryPage page_;
  detail::DbViewState s_;
  std::shared_ptr<Connection> connection_;
  std::shared_ptr<Recordset> recordset_;
  std::int32_t rows_ = 0;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_SUPPORT_RENDERER_TEST_H_
