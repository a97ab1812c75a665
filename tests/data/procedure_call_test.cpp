#include "data/procedure_call.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "kelvo/error.h"

namespace kelvo::data {
namespace {

TEST(ProcedureCallTest, ReadsNameAndLiterals) {
  const ProcedureCall call =
      ParseProcedureCall("  sp_List 5, -3000000000, 2.5e1 ,'O''Hara; DROP', null, .5 ");
  EXPECT_EQ(call.name, "sp_List");
  EXPECT_EQ(call.arguments,
            (std::vector<Variant>{Variant(5), Variant(std::int64_t{-3000000000}), Variant(25.0),
                                  Variant("O'Hara; DROP"), Variant::Null(), Variant(0.5)}));
}

TEST(ProcedureCallTest, AcceptsParenthesesQuotedNamesAndNoArguments) {
  EXPECT_EQ(ParseProcedureCall("sp_A(1, '')").arguments,
            (std::vector<Variant>{Variant(1), Variant("")}));
  EXPECT_EQ(ParseProcedureCall("\"my proc\" 1").name, "my proc");
  EXPECT_EQ(ParseProcedureCall("[dbo.x]").name, "dbo.x");
  EXPECT_TRUE(ParseProcedureCall("sp_None").arguments.empty());
  EXPECT_TRUE(ParseProcedureCall("sp_None()").arguments.empty());
}

TEST(ProcedureCallTest, RefusesWhatIsNoLiteral) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "names no procedure"},
      {"sp_A 1; DROP TABLE t", "unexpected text"},
      {"sp_A 1,, 2", "argument 2 is not"},
      {"sp_A x", "argument 1 is not"},
      {"sp_A nullx", "argument 1 is not"},
      {"sp_A 'open", "no closing quote"},
      {"sp_A 1e", "not a valid number"},
      {"sp_A 12abc", "not a valid number"},
      {"sp_A 99999999999999999999", "too large"},
      {"sp_A(1", "')' is missing"},
  };
  for (const auto& [text, says] : cases) {
    try {
      ParseProcedureCall(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kInvalidCall);
      EXPECT_NE(e.description().find(says), std::string::npos) << text << " -> " << e.description();
    }
  }
}

}  // namespace
}  // namespace kelvo::data
