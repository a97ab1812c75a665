#include "state/sort_fields.h"

#include <gtest/gtest.h>

namespace kelvo::detail {
namespace {

TEST(IsSafeSortList, AcceptsColumnsAndIdentifiersWithDirections) {
  for (const char* list : {"3", "3,1", "name", "Name DESC", " price  asc , 2", "t.name",
                           "\"order\"", "[price].\"name\" DESC", "unit_price"}) {
    EXPECT_TRUE(IsSafeSortList(list)) << list;
  }
}

TEST(IsSafeSortList, RejectsAnythingElse) {
  for (const char* list :
       {"", ",", "1,", "name;DROP TABLE T", "name -- x", "(SELECT 1)", "a.b.c", "name DESC2",
        "name DESC ASC", "\"name", "[Unit Price]", "1'", "name\tDESC", "1 OR 1=1", "CASE WHEN"}) {
    EXPECT_FALSE(IsSafeSortList(list)) << list;
  }
}

}  // namespace
}  // namespace kelvo::detail
