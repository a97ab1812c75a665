// The fixture of the PostgreSQL provider's own tests: a connection to a new, empty schema on
// the test server; the tests skip when there is no server.
#ifndef KELVO_TESTS_DATA_POSTGRES_FIXTURE_H_
#define KELVO_TESTS_DATA_POSTGRES_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "data/postgres_test_database.h"
#include "kelvo/data.h"

namespace kelvo::testing {

class PostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = PostgresUnavailable(); !why.empty()) GTEST_SKIP() << why;
    connection_string_ = NewPostgresSchema();
    db_ = Connect();
  }

  void TearDown() override {
    if (db_) db_->Close();
    if (!connection_string_.empty()) DropPostgresSchema(connection_string_);
  }

  std::shared_ptr<Connection> Connect() const {
    auto connection = std::make_shared<Connection>();
    connection->Open(connection_string_);
    return connection;
  }

  std::shared_ptr<Recordset> Query(std::string_view sql, int cursor = ado::adOpenForwardOnly,
                                   long max_records = 0) const {
    auto recordset = std::make_shared<Recordset>();
    recordset->SetMaxRecords(max_records);
    recordset->Open(sql, db_, cursor, ado::adLockReadOnly);
    return recordset;
  }

  Variant Scalar(std::string_view sql) const { return Query(sql)->Fields().Item(0).Value(); }

  std::string connection_string_;
  std::shared_ptr<Connection> db_;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_DATA_POSTGRES_FIXTURE_H_
