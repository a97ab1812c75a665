// Variant: overwriting in place, as reading row after row into one Variant does.
#include "kelvo/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kelvo {
namespace {

TEST(VariantAssignTest, TextReusesItsStorageAndOtherKindsReplaceIt) {
  Variant value("a text long enough to be kept outside the object");
  const char* storage = value.AsString().data();
  value.AssignString("a shorter text, same storage");
  EXPECT_EQ(value, Variant("a shorter text, same storage"));
  EXPECT_EQ(value.AsString().data(), storage);

  value.Assign(std::int32_t{7});
  EXPECT_EQ(value, Variant(7));
  value.Assign(std::int64_t{7});
  EXPECT_EQ(value.type(), VarType::kInt64);
  value.Assign(Date{45000.5});
  EXPECT_EQ(value, Variant(Date{45000.5}));
  value.AssignString("");
  EXPECT_EQ(value, Variant(""));

  Variant null = Variant::Null();
  null.Assign(2.5);
  EXPECT_EQ(null, Variant(2.5));
}

}  // namespace
}  // namespace kelvo
