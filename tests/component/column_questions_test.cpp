#include "component/column_questions.h"

#include <gtest/gtest.h>

namespace kelvo::detail {
namespace {

TEST(IsGridColumnShown, HideListWinsAndMatchesByNameOrNumber) {
  DbViewState s;
  s.GridFieldsHide = "3";
  s.GridFieldsShow = "Name";
  EXPECT_FALSE(IsGridColumnShown(s, "Price", 3));
  EXPECT_FALSE(IsGridColumnShown(s, "3", 1));  // a field literally named 3
  EXPECT_TRUE(IsGridColumnShown(s, "Id", 2));  // the show list is not consulted
  s.GridFieldsHide = "";
  EXPECT_TRUE(IsGridColumnShown(s, "name", 5));
  EXPECT_FALSE(IsGridColumnShown(s, "Id", 1));
  s.GridFieldsShow = " ";
  EXPECT_TRUE(IsGridColumnShown(s, "Id", 1));
}

TEST(IsGridColumnShown, StarIsAnOrdinaryItemInHideLists) {
  DbViewState s;
  s.GridFieldsHide = "*";
  EXPECT_TRUE(IsGridColumnShown(s, "Id", 1));
  EXPECT_FALSE(IsGridColumnShown(s, "*", 2));
}

TEST(ColumnLists, StarMeansEveryColumnWhereHonoured) {
  DbViewState s;
  s.EditFieldsReadOnly = " * ";
  s.GridCellsNoBr = "*";
  s.GridColsNoSort = "*";
  EXPECT_TRUE(IsFieldReadOnly(s, "Any", 9));
  EXPECT_TRUE(IsCellNoBr(s, "Any", 9));
  EXPECT_TRUE(IsColumnNoSort(s, "Any", 9));
  s.EditFieldsReadOnly = "";
  EXPECT_FALSE(IsFieldReadOnly(s, "Any", 9));
  s.EditFieldsReadOnly = "Id,2";
  EXPECT_TRUE(IsFieldReadOnly(s, "ID", 7));
  EXPECT_TRUE(IsFieldReadOnly(s, "Price", 2));
  EXPECT_FALSE(IsFieldReadOnly(s, "Price", 3));
}

TEST(GetSuppressDupPosition, PrefersTheNameOverTheNumber) {
  DbViewState s;
  s.GridFieldsSupressDup = "2,Category";
  EXPECT_EQ(GetSuppressDupPosition(s, "Category", 2), 2);
  EXPECT_EQ(GetSuppressDupPosition(s, "Other", 2), 1);
  EXPECT_EQ(GetSuppressDupPosition(s, "Other", 3), 0);
}

TEST(GetGridCaption, UsesListItemsBlankItemsAndFieldNames) {
  DbViewState s;
  s.GridDisplayFieldNames = "Id, ,Price";
  EXPECT_EQ(GetGridCaption(s, 1, "id"), "Id");
  EXPECT_EQ(GetGridCaption(s, 2, "name"), "&nbsp;");
  EXPECT_EQ(GetGridCaption(s, 3, "price"), "Price");
  EXPECT_EQ(GetGridCaption(s, 4, "stock"), "stock");
  s.GridDisplayFieldNames = "Id,,Price";
  EXPECT_EQ(GetGridCaption(s, 2, "name"), "name");
  s.FormDisplayFieldNames = "A";
  EXPECT_EQ(GetFormCaption(s, 1, "x"), "A");
}

TEST(GetGridColumnSpan, CountsShownColumnsAndTheIndex) {
  DbViewState s;
  EXPECT_EQ(GetGridColumnSpan(s, 3), 4);
  s.GridDisplayIndex = false;
  EXPECT_EQ(GetGridColumnSpan(s, 3), 3);
  s.GridFieldsHide = "a,b";
  EXPECT_EQ(GetGridColumnSpan(s, 5), 3);
  s.GridFieldsHide = "";
  s.GridFieldsShow = "a,b,c,d";
  EXPECT_EQ(GetGridColumnSpan(s, 2), 2);  // never more than the recordset's columns
  EXPECT_EQ(GetGridColumnSpan(s, 6), 4);
}

}  // namespace
}  // namespace kelvo::detail
