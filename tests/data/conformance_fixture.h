// The provider conformance suite's fixture: every test runs on a new, empty database of the
// provider under test and declares its tables through the context's type names.
#ifndef KELVO_TESTS_DATA_CONFORMANCE_FIXTURE_H_
#define KELVO_TESTS_DATA_CONFORMANCE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "data/provider_context.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "support/temp_dir.h"

namespace kelvo::testing {

class ProviderConformanceTest : public ::testing::TestWithParam<const ProviderContext*> {
 protected:
  const ProviderContext& context() const { return *GetParam(); }
  std::string Type(ColumnKind kind) const { return context().TypeName(kind); }

  std::shared_ptr<Connection> Connect() const {
    auto connection = std::make_shared<Connection>();
    connection->Open(connection_string_);
    return connection;
  }

  std::shared_ptr<Recordset> Query(std::string_view sql, int cursor = ado::adOpenForwardOnly,
                                   int lock = ado::adLockReadOnly,
                                   const std::shared_ptr<Connection>& on = nullptr) const {
    auto recordset = std::make_shared<Recordset>();
    recordset->Open(sql, on ? on : db_, cursor, lock);
    return recordset;
  }

  // The items table: id (assigned), name (NOT NULL), qty, price (decimal), note.
  void CreateItems(int rows) const {
    db_->Execute("CREATE TABLE items (id " + Type(ColumnKind::kAutoIncrementKey) + ", name " +
                 Type(ColumnKind::kShortText) + " NOT NULL, qty " + Type(ColumnKind::kInteger) +
                 ", price " + Type(ColumnKind::kDecimal) + ", note " +
                 Type(ColumnKind::kShortText) + " DEFAULT 'none')");
    for (int i = 1; i <= rows; ++i) {
      const Variant values[] = {Variant("item" + std::to_string(i)), Variant(i * 10)};
      db_->Execute("INSERT INTO items (name, qty) VALUES (?, ?)", values);
    }
  }

  Variant Scalar(std::string_view sql) const {
    auto recordset = Query(sql);
    return recordset->Fields().Item(0).Value();
  }

  void SetUp() override {
    if (const std::string why = context().Unavailable(); !why.empty()) GTEST_SKIP() << why;
    connection_string_ = context().NewDatabase(dir_);
    db_ = Connect();
  }

  void TearDown() override {
    if (db_) db_->Close();
    if (!connection_string_.empty()) context().DropDatabase(connection_string_);
  }

  TempDir dir_;
  std::string connection_string_;
  std::shared_ptr<Connection> db_;
};

// The error a statement throws; fails the test when it throws none.
template <class F>
Error CaughtError(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "no Error was thrown";
  return Error(0, "");
}

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_DATA_CONFORMANCE_FIXTURE_H_
