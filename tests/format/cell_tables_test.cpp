#include "format/cell_tables.h"

#include <gtest/gtest.h>

#include "component/db_view_state.h"

namespace kelvo::detail {
namespace {

TEST(CellTables, SettingAColumnTwiceKeepsOneEntry) {
  DbViewState s;
  SetGridColAttributes(s, 2, "a");
  SetGridColAttributes(s, 2, "b");
  EXPECT_EQ(s.marrGridColAttributes.keys, "2");
  EXPECT_EQ(GetGridColAttributes(s, 2), "b");
}

TEST(CellTables, EntriesAreKeyValuePairsInSettingOrder) {
  DbViewState s;
  SetGridFormatCellFunction(s, 3, "A");
  SetGridFormatCellFunction(s, 1, "B");
  SetGridFormatCellFunction(s, 3, "C");
  EXPECT_EQ(s.marrGridFormatCell.keys, "3,1");
  EXPECT_EQ(s.marrGridFormatCell.entries, (std::vector<std::string>{"3", "C", "1", "B"}));
  EXPECT_TRUE(HasFormatCellFunction(s, 1));
  EXPECT_FALSE(HasFormatCellFunction(s, 5));
  EXPECT_EQ(GetGridColHeadAttributes(s, 5), "");
}

TEST(CellTables, WholeTemplateTableFromOneText) {
  DbViewState s;
  SetGridFreeFormatCell(s, "3,<b>#Name#</b>,03,x");
  EXPECT_EQ(s.marrGridFreeCell.keys, "3,03");
  EXPECT_TRUE(HasFreeFormatCell(s, 3));
  EXPECT_EQ(GetFreeCellStringRaw(s, 3), "<b>#Name#</b>");
  SetGridFreeFormatCell(s, "4,a,5");  // a key without a value
  EXPECT_EQ(GetFreeCellStringRaw(s, 5), "");
  EXPECT_EQ(s.ErrorMessage,
            "Subscript out of range in GetFreeCellStringRaw. index=5, nArrIdx=3<br>");
  SetGridFreeFormatCell(s, "");
  EXPECT_FALSE(HasFreeFormatCell(s, 4));  // the keys go with the entries
}

}  // namespace
}  // namespace kelvo::detail
