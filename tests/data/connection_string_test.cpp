#include "data/connection_string.h"

#include <gtest/gtest.h>

#include "kelvo/error.h"

namespace kelvo::data {
namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

TEST(ConnectionStringTest, KeywordFormNormalisesKeysAndTrimsOrUnquotesValues) {
  const ConnectionSettings settings = ParseConnectionString(
      " Provider = SQLite ;;DATA   SOURCE= ' my;file.db ' ; Busy_Timeout=10; quote=\"a\"\"b\";");
  EXPECT_EQ(settings.provider, "SQLite");
  EXPECT_EQ(settings.options, (Options{{"provider", "SQLite"},
                                   {"data source", " my;file.db "},
                                   {"busy timeout", "10"},
                                   {"quote", "a\"b"}}));
  EXPECT_EQ(settings.Find("data source"), " my;file.db ");
  EXPECT_FALSE(settings.Find("mode").has_value());
}

TEST(ConnectionStringTest, UrlFormTakesTheSchemeAsProvider) {
  EXPECT_EQ(ParseConnectionString("sqlite:/tmp/a b.db").options,
            (Options{{"provider", "sqlite"}, {"data source", "/tmp/a b.db"}}));
  const ConnectionSettings settings = ParseConnectionString("SQLite:rel/x.db?mode=create&&busy_timeout=5");
  EXPECT_EQ(settings.provider, "SQLite");
  EXPECT_EQ(settings.options, (Options{{"provider", "SQLite"},
                                   {"data source", "rel/x.db"},
                                   {"mode", "create"},
                                   {"busy timeout", "5"}}));
}

TEST(ConnectionStringTest, MalformedStringsNameTheirFault) {
  const std::pair<const char*, const char*> cases[] = {
      {"   ", "it is empty"},
      {"shop.db", "'shop.db' has no '='"},
      {"Provider=SQLite;=x", "a key is missing"},
      {"Provider=SQLite;Data Source=\"x", "no closing quote"},
      {"Provider=SQLite;Data Source=\"x\" y", "text follows"},
      {"Provider=SQLite;data source=a;Data  Source=b", "'Data  Source' is given twice"},
      {"Data Source=a", "no provider"},
      {"Provider= ;Data Source=a", "no provider"},
      {"sqlite:a?mode", "'mode' has no '='"},
  };
  for (const auto& [text, says] : cases) {
    try {
      ParseConnectionString(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kInvalidCall);
      EXPECT_NE(e.description().find(says), std::string::npos) << text << " -> " << e.description();
      EXPECT_EQ(e.description().rfind("Malformed connection string: ", 0), 0u);
    }
  }
}

}  // namespace
}  // namespace kelvo::data
