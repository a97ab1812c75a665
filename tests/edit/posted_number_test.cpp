#include "edit/posted_number.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kelvo::detail {
namespace {

struct Case {
  std::string_view locale;
  std::string_view typed;
  std::optional<std::string> read;  // the Decimal's text; nothing when refused
};

TEST(PostedNumberTest, ReadsOnlyTheLocalesOwnNotation) {
  const Case cases[] = {
      {"en-US", "1,500", "1500"},
      {"en-US", "1,500.25", "1500.25"},
      {"en-US", " -1,234,567.5 ", "-1234567.5"},
      {"en-US", "+1500.25", "1500.25"},
      {"en-US", ".5", "0.5"},
      {"en-US", "1.5E3", "1500"},
      {"en-US", "1,5", std::nullopt},
      {"en-US", "3,50", std::nullopt},
      {"en-US", "1500,000", std::nullopt},
      {"en-US", "1,500,0", std::nullopt},
      {"en-US", "1,500.2,5", std::nullopt},
      {"en-US", "1.500,25", std::nullopt},
      {"en-US", ",500", std::nullopt},
      {"en-US", "1,", std::nullopt},
      {"en-US", "1 500", std::nullopt},
      {"en-US", "$5", std::nullopt},
      {"en-US", "&H10", std::nullopt},
      {"en-US", "(5)", std::nullopt},
      {"en-US", "-", std::nullopt},
      {"en-US", "1e", std::nullopt},
      {"en-GB", "1,500.25", "1500.25"},
      {"en-GB", "3,5", std::nullopt},
      {"de-DE", "1.500", "1500"},
      {"de-DE", "1.500,25", "1500.25"},
      {"de-DE", "-3,5", "-3.5"},
      {"de-DE", "3.5", std::nullopt},
      {"de-DE", "1,500.25", std::nullopt},
      {"de-DE", "1.50", std::nullopt},
      {"nb-NO", "1\u00A0500,25", "1500.25"},
      {"nb-NO", "1 500,25", "1500.25"},
      {"nb-NO", "1\u202F500", "1500"},
      {"nb-NO", "3,5", "3.5"},
      {"nb-NO", "3.5", std::nullopt},
      {"nb-NO", "1.500", std::nullopt},
      {"nb-NO", "1 50", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<Decimal> read = ReadPostedNumber(c.typed, Locale::Find(c.locale));
    EXPECT_EQ(read ? std::optional(read->text) : std::nullopt, c.read)
        << c.locale << " '" << c.typed << "'";
  }
}

}  // namespace
}  // namespace kelvo::detail
