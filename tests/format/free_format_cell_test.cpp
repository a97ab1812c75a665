#include "format/free_format_cell.h"

#include <gtest/gtest.h>

#include "component/db_view_state.h"
#include "format/cell_tables.h"
#include "kelvo/host.h"
#include "support/temp_dir.h"

namespace kelvo::detail {
namespace {

class FreeFormatCellTest : public ::testing::Test {
 protected:
  FreeFormatCellTest() : page_(RequestData::Get("/shop/list", "Vexmo1FormDisplay=formOneRec")) {
    s_.mvarScriptingContext = page_.context();
    auto connection = std::make_shared<Connection>();
    connection->Open("sqlite:" + dir_.File("f.db") + "?mode=create");
    connection->Execute("CREATE TABLE P (Name TEXT, Price REAL)");
    connection->Execute("INSERT INTO P VALUES ('Tea', NULL)");
    recordset_.Open("SELECT * FROM P", connection);
  }

  std::string Cell(std::string_view templ) {
    SetGridFreeFormatCellByCol(s_, 1, templ);
    return GetFreeCellString(s_, recordset_, 1, 1);
  }

  testing::TempDir dir_;
  MemoryPage page_;
  DbViewState s_;
  Recordset recordset_;
};

TEST_F(FreeFormatCellTest, FieldsArePutInAtTheMarkers) {
  EXPECT_EQ(Cell("plain text"), "plain text");
  EXPECT_EQ(Cell("<b>#Name#</b>"), "<b>Tea</b>");
  EXPECT_EQ(Cell("#Price#"), "");
  s_.GridFreeFormatCellDataFieldDelimiter = "|";
  EXPECT_EQ(Cell("#|Name|#"), "#Tea#");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FreeFormatCellTest, AnOpenFieldNameIsReportedWithTheTextSoFar) {
  EXPECT_EQ(Cell("<i>#Name#</i>#Missing"), "<i>Tea</i>");
  EXPECT_NE(s_.ErrorMessage.find(" in GetFreeCellString. index=1, nArrIdx=1<br>"),
            std::string::npos);
}

TEST_F(FreeFormatCellTest, KeywordsGiveRecordLinks) {
  const std::string postback = Cell("#  kelvopostbackurl #");
  EXPECT_EQ(postback.rfind("/shop/list?Vexmo1CurrRecord=1&", 0), 0u) << postback;
  const std::string form = Cell("#KelvoFormUrl#");
  EXPECT_TRUE(form.ends_with("&Vexmo1BookMark=1&Vexmo1FormDisplay=formOneRec")) << form;
  EXPECT_EQ(form.find("FormDisplay=formOneRec"), form.rfind("FormDisplay=formOneRec"));
}

TEST_F(FreeFormatCellTest, TagsUseTheDoubleMarker) {
  EXPECT_EQ(ReplaceFieldValuesFromTag(s_, "title=\"##Name##\" data-x=\"#Name#\"", recordset_, 1),
            "title=\"Tea\" data-x=\"#Name#\"");
  EXPECT_EQ(ReplaceFieldValuesFromTag(s_, "##Nope##", recordset_, 1), "");
  EXPECT_TRUE(s_.ErrorMessage.ends_with(" in ReplaceFieldValuesFromTag<br>"));
}

}  // namespace
}  // namespace kelvo::detail
