#include <gtest/gtest.h>

#include <vector>

#include "kelvo/components.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"

namespace kelvo {
namespace {

Variant Get(Object& object, std::string_view name, std::vector<Variant> args = {}) {
  return object.Invoke(name, CallKind::kPropertyGet, args);
}

void Put(Object& object, std::string_view name, Variant value) {
  const Variant args[] = {std::move(value)};
  object.Invoke(name, CallKind::kPropertyPut, args);
}

TEST(DbViewDispatch, ReachesPropertiesByNameWithoutRegardToCase) {
  DbView v;
  Put(v, "editoptions", "all");
  EXPECT_EQ(Get(v, "EDITOPTIONS"), Variant("ALL ADD UPDATE DELETE"));
  Put(v, "RecordsPerPage", 15);
  EXPECT_EQ(Get(v, "recordsperpage"), Variant(15));
  Put(v, "UseCSS", "False");  // text converts as the runtime converts
  EXPECT_EQ(Get(v, "UseCss"), Variant(false));
  Put(v, "GridLinkIndex", "3");
  EXPECT_EQ(v.GridLinkIndex(), 3);
  Put(v, "sql", "SELECT a FROM t");
  EXPECT_EQ(Get(v, "FormSQL"), Variant("SELECT a FROM t"));
}

TEST(DbViewDispatch, RejectsUnknownMembersAndBadArguments) {
  DbView v;
  try {
    Get(v, "NoSuchProperty");
    FAIL() << "expected a failure";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), errc::kNoSuchMember);
    EXPECT_NE(failure.description().find("NoSuchProperty"), std::string::npos);
  }
  EXPECT_THROW(Put(v, "ErrorMessage", "x"), Error);  // read-only
  EXPECT_THROW(Get(v, "LanguageString"), Error);     // write-only
  EXPECT_THROW(Get(v, "Tag", {Variant(1)}), Error);  // not indexed
  EXPECT_THROW(Put(v, "RecordsPerPage", "many"), Error);
  EXPECT_THROW(Put(v, "VexmoConnection", "not an object"), Error);
  EXPECT_THROW(v.Invoke("QHtmlTable", CallKind::kMethod, {}), Error);
}

TEST(DbViewDispatch, TakesObjectsForObjectProperties) {
  DbView v;
  auto connection = std::make_shared<DBConnection>();
  Put(v, "VexmoConnection", connection);
  EXPECT_EQ(v.VexmoConnection(), connection);
  EXPECT_EQ(Get(v, "VexmoConnection").ObjectAs<DBConnection>(), connection);
}

TEST(DBConnectionDispatch, EngineNamesAndConnectionReplacement) {
  DBConnection c;
  Put(c, "DatabaseEngine", "mssql");
  EXPECT_EQ(Get(c, "databaseengine"), Variant("MSSQL"));
  Put(c, "DatabaseEngine", "postgres");
  EXPECT_EQ(c.DatabaseEngine(), "ORACLE");
  Put(c, "DatabaseEngine", " SQLA");  // no trimming
  EXPECT_EQ(c.DatabaseEngine(), "ORACLE");
  EXPECT_THROW(Put(c, "Connection", "text"), Error);
  auto own = std::make_shared<Connection>();
  Put(c, "Connection", own);
  EXPECT_EQ(c.Connection(), own);
}

TEST(Components, CreateByProgIdWithoutRegardToCase) {
  EXPECT_TRUE(std::dynamic_pointer_cast<DbView>(CreateComponent("kelvo.dbview")));
  EXPECT_TRUE(std::dynamic_pointer_cast<Recordset>(CreateComponent("ADODB.Recordset")));
  try {
    CreateComponent("Excel.Application");
    FAIL() << "expected a failure";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), errc::kClassNotRegistered);
  }
}

class RecordingContext final : public ObjectContext {
 public:
  std::shared_ptr<Object> CreateInstance(std::string_view prog_id) override {
    created.emplace_back(prog_id);
    return CreateObjectDirect(prog_id);
  }
  void SetComplete() override { ++completed; }

  std::vector<std::string> created;
  int completed = 0;
};

TEST(Components, ObjectsJoinTheInstalledContextWhichPageEndCompletes) {
  RecordingContext context;
  SetObjectContext(&context);
  auto connection = std::make_shared<DBConnection>();  // creates its Connection in the context
  DbView v;
  v.OnEndPage();
  connection->OnEndPage();
  SetObjectContext(nullptr);
  EXPECT_EQ(context.created, std::vector<std::string>{"ADODB.Connection"});
  EXPECT_EQ(context.completed, 2);
}

}  // namespace
}  // namespace kelvo
