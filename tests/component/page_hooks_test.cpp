#include <gtest/gtest.h>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace kelvo {
namespace {

TEST(OnStartPage, AFailureIsRecordedWithItsNumber) {
  DbView v;
  v.OnStartPage(Variant("not a context"));
  EXPECT_EQ(v.ErrorMessage(), "424:Object required in OnStartPage<br>");
  v.OnStartPage(Variant(42));
  EXPECT_EQ(v.ErrorMessage(),
            "424:Object required in OnStartPage<br>424:Object required in OnStartPage<br>");
}

TEST(OnEndPage, ReleasesOnlyAConnectionTheGridMade) {
  testing::TempDir dir;
  const std::string database = "sqlite:" + dir.File("t.db") + "?mode=create";
  MemoryPage page(RequestData::Get("/list"));
  DbView own;
  own.OnStartPage(Variant(page.context()));
  own.SetConnectionString(database);
  ASSERT_TRUE(own.VexmoConnection());
  own.OnEndPage();
  EXPECT_FALSE(own.VexmoConnection());

  auto shared = std::make_shared<DBConnection>();
  DbView borrowed;
  borrowed.OnStartPage(Variant(page.context()));
  borrowed.SetVexmoConnection(shared);
  borrowed.OnEndPage();
  EXPECT_EQ(borrowed.VexmoConnection(), shared);
}

TEST(OnEndPage, AConnectionThePageReplacedIsNotReleased) {
  DBConnection c;
  auto own = std::make_shared<Connection>();
  c.SetConnection(own);
  c.OnEndPage();
  EXPECT_EQ(c.Connection(), own);

  DBConnection made;
  made.OnEndPage();
  EXPECT_FALSE(made.Connection());
}

TEST(WithoutPage, RenderingFailsTheCall) {
  DbView v;
  EXPECT_THROW(v.WriteHtmlTable(), Error);
}

}  // namespace
}  // namespace kelvo
