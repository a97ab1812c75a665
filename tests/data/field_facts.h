// Checking the type code, defined size and nullability of each field of a recordset.
#ifndef KELVO_TESTS_DATA_FIELD_FACTS_H_
#define KELVO_TESTS_DATA_FIELD_FACTS_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <span>

#include "kelvo/data.h"

namespace kelvo::testing {

struct FieldFacts {
  int type;
  long defined_size;
  bool nullable;
};

// The fields, in order, have exactly these facts.
inline void ExpectFieldFacts(FieldCollection& fields, std::span<const FieldFacts> expected) {
  ASSERT_EQ(fields.Count(), static_cast<int>(expected.size()));
  for (int i = 0; i < fields.Count(); ++i) {
    const Field& field = fields.Item(i);
    const FieldFacts& facts = expected[static_cast<std::size_t>(i)];
    EXPECT_EQ(field.Type(), facts.type) << field.Name();
    EXPECT_EQ(field.DefinedSize(), facts.defined_size) << field.Name();
    EXPECT_EQ((field.Attributes() & ado::adFldIsNullable) != 0, facts.nullable) << field.Name();
  }
}

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_DATA_FIELD_FACTS_H_
