#include "grid/record_view.h"

#include <gtest/gtest.h>

#include "component/captions.h"
#include "component/db_view_state.h"
#include "component/web_encoding.h"
#include "format/cell_tables.h"
#include "kelvo/db_connection.h"
#include "kelvo/host.h"
#include "support/renderer_test.h"
#include "support/temp_dir.h"
#include "support/test_database.h"

namespace kelvo::detail {
namespace {

class RecordViewTest : public testing::RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    if (IsSkipped()) return;
    connection_->Execute("CREATE TABLE V (id " + testing::KeyType() + ", name VARCHAR(40))");
    connection_->Execute("INSERT INTO V VALUES (7, '<b>Tea</b>'), (8, 'Milk'), (9, 'Water')");
  }

  std::string View(const std::string& statement = "SELECT * FROM V ORDER BY id") {
    rows_ = -1;
    return Rendered(statement, [&](Recordset& recordset) { MakeFormGrid(s_, recordset, rows_); });
  }

  // The one-record view with Edit and Add allowed.
  void OneRecordWithUpdates(std::string options = "UPDATE ADD") {
    s_.mvarFormOneRec = true;
    s_.EditOptions = std::move(options);
    s_.EditPrimaryKeys = "id";
  }
};

constexpr char kRecordStart[] = "<input type=\"hidden\" name=\"Vexmo1PK\" value=''>\r\n";
constexpr char kFields[] =
    "<tr><td><table width=\"100%\" class=\"KLVOTableFormDataView\" border=\"0\" "
    "cellspacing=\"0\" >\r\n"
    "<tr class=\"KLVOTableFormDataView\">\r\n"
    "<th class=\"KLVOTableFormDataView\" align=left>id</th><td class=\"KLVOTableFormDataView\">"
    "7</td>\r\n</tr>\r\n"
    "<tr class=\"KLVOTableFormDataView\">\r\n"
    "<th class=\"KLVOTableFormDataView\" align=left>name</th><td class=\"KLVOTableFormDataView\">"
    "<b>Tea</b></td>\r\n</tr>\r\n"
    "</table></td></tr>\r\n";

TEST_F(RecordViewTest, RecordRowsWithDefaultsShowValuesAsStored) {
  s_.RecordsPerPage = 1;
  EXPECT_EQ(View(), std::string(kRecordStart) + kFields);
  EXPECT_EQ(rows_, 1);
  ASSERT_EQ(s_.mvarCurrentRowValues.size(), 2u);
  EXPECT_EQ(s_.mvarCurrentRowValues[0], Variant(7));
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(RecordViewTest, OneRecordRequestedWithUpdatesHasTheButtonBar) {
  OneRecordWithUpdates();
  s_.mvarStatusText = "&nbsp;[Record saved ok]";
  EXPECT_EQ(View(),
            std::string(kRecordStart) +
                "<tr><td><table width=\"100%\" cellspacing=0 cellpadding=0>\r\n"
                "<tr><td colspan=2 class=\"KelvoEditBtnBar\">\r\n"
                "<input class=\"KelvoInputBtn\" type=\"submit\" name=\"Vexmo1FormEdit\"  "
                "onclick=\"FormKelvoGrid1.Vexmo1PK.value='7'\"  value=\"Edit\">\r\n"
                "&nbsp;<input class=\"KelvoInputBtn\" type=\"submit\" name=\"Vexmo1FormAdd\" "
                "value=\"Add\">\r\n"
                "&nbsp;[Record saved ok]</td></tr>\r\n"
                "</table></td></tr>\r\n" +
                kFields);
  EXPECT_EQ(rows_, 1);
}

TEST_F(RecordViewTest, ButtonsFollowTheOptions) {
  OneRecordWithUpdates("UPDATE");
  std::string html = View();
  EXPECT_NE(html.find("Vexmo1FormEdit"), std::string::npos);
  EXPECT_EQ(html.find("Vexmo1FormAdd"), std::string::npos);
  OneRecordWithUpdates("ADD");
  EXPECT_EQ(View().find("KelvoEditBtnBar"), std::string::npos);
  OneRecordWithUpdates();
  s_.mvarFormOneRec = false;
  EXPECT_EQ(View().find("KelvoEditBtnBar"), std::string::npos);
  OneRecordWithUpdates();
  s_.UseCSS = false;
  html = View();
  EXPECT_NE(html.find("<tr><td colspan=2>\r\n<input type=\"submit\" name=\"Vexmo1FormEdit\"  "),
            std::string::npos);
  EXPECT_NE(html.find("&nbsp;<input type=\"submit\" name=\"Vexmo1FormAdd\" value=\"Add\">"),
            std::string::npos);
}

TEST_F(RecordViewTest, EditScriptGetsTheKeysAsAScriptString) {
  OneRecordWithUpdates();
  s_.EditPrimaryKeys = "";
  EXPECT_NE(View().find("Vexmo1PK.value=''\""), std::string::npos);
  connection_->Execute("UPDATE V SET name = 'O''Hara\"); alert(1); //' WHERE id = 7");
  s_.EditPrimaryKeys = "id, name";
  EXPECT_NE(View().find("Vexmo1PK.value='7,O\\x27Hara\\x22); alert(1); //'\""), std::string::npos);
}

TEST_F(RecordViewTest, SeveralRecordsAsFormsAreSeparatedByGapRows) {
  s_.DisplayType = "form";
  s_.RecordsPerPage = 3;
  OneRecordWithUpdates();
  s_.mvarFormOneRec = false;
  const std::string html = View();
  EXPECT_EQ(rows_, 3);
  const std::string gap =
      "<tr class=\"KLVOTableTRFormGap\"><td class=\"KLVOTableTDFormGap\">&nbsp;</td></tr>\r\n";
  EXPECT_EQ(html.find(gap), html.find(std::string(kRecordStart), 1) - gap.size());
  EXPECT_NE(html.find(">Water</td>"), std::string::npos);
  EXPECT_EQ(html.find("KelvoEditBtnBar"), std::string::npos);
  s_.UseCSS = false;
  EXPECT_NE(View().find("<tr><td>&nbsp;</td></tr>\r\n" + std::string(kRecordStart)),
            std::string::npos);
  // One record requested: only one is shown whatever the page size.
  s_.mvarFormOneRec = true;
  View();
  EXPECT_EQ(rows_, 1);
}

TEST_F(RecordViewTest, CaptionsWidthsAndCellTags) {
  s_.RecordsPerPage = 1;
  s_.FormCellWidths = "30%,70%";
  s_.TDTag = "nowrap";
  s_.FormTDTag = "valign=top";
  s_.THTag = "align=right";
  std::string html = View();
  EXPECT_NE(html.find("<th class=\"KLVOTableFormDataView\" align=right width=\"30%\">id</th>"
                      "<td class=\"KLVOTableFormDataView\" valign=top nowrap width=\"70%\">7</td>"),
            std::string::npos)
      << html;
  s_.DisplayHeader = false;
  s_.UseCSS = false;
  html = View();
  EXPECT_EQ(html.find("<th"), std::string::npos);
  EXPECT_NE(html.find("<tr>\r\n<td  valign=top nowrap width=\"70%\">7</td>"), std::string::npos)
      << html;
}

TEST_F(RecordViewTest, GridFormattingAppliesOnlyWhenAskedFor) {
  s_.RecordsPerPage = 1;
  SetGridFreeFormatCellByCol(s_, 2, "[#name#]");
  SetGridColAttributes(s_, 1, "bgcolor=red");
  std::string html = View();
  EXPECT_NE(html.find("[<b>Tea</b>]"), std::string::npos) << html;
  EXPECT_NE(html.find("<td class=\"KLVOTableFormDataView\" bgcolor=red>7</td>"), std::string::npos);
  s_.ApplyCellFormattingToForm = false;
  s_.ApplyColFormattingToForm = false;
  html = View();
  EXPECT_EQ(html.find("[<b>"), std::string::npos);
  EXPECT_EQ(html.find("bgcolor"), std::string::npos);
}

TEST_F(RecordViewTest, EmptyRecordsetWritesNothing) {
  EXPECT_EQ(View("SELECT * FROM V WHERE id < 0"), "");
  EXPECT_EQ(rows_, 0);
}

TEST(JsStringAttributeEncode, EscapesWhatEndsTheStringOrTheAttribute) {
  EXPECT_EQ(JsStringAttributeEncode("Delete record 7, sure?"), "Delete record 7, sure?");
  EXPECT_EQ(JsStringAttributeEncode("Don't \"x\" \\ & <b>`"),
            "Don\\x27t \\x22x\\x22 \\x5C \\x26 \\x3Cb\\x3E\\x60");
  EXPECT_EQ(JsStringAttributeEncode("a\r\nb\tc"), "a\\x0D\\x0Ab\\x09c");
  EXPECT_EQ(JsStringAttributeEncode("\u00e6\u2028\u2029"), "\u00e6\\u2028\\u2029");
}

}  // namespace
}  // namespace kelvo::detail
