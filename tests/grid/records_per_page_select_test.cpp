#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "component/captions.h"
#include "component/db_view_state.h"
#include "grid/nav_bar.h"
#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo::detail {
namespace {

constexpr char kDefaultOptions[] =
    "<option value=\"5\">5<option value=\"10\">10<option selected value=\"20\">20"
    "<option value=\"30\">30<option value=\"40\">40<option value=\"50\">50"
    "<option value=\"100\">100<option value=\"200\">200";

class RecordsPerPageSelectTest : public ::testing::Test {
 protected:
  RecordsPerPageSelectTest() : page_(RequestData::Get("/list.asp")) {
    SetLanguage(s_, "ENG");
    s_.mvarScriptingContext = page_.context();
  }

  // What the selector wrote to the page so far.
  const std::string& Written() const { return page_.context()->response().Buffered(); }
  std::string Select() {
    WriteRecordsPerPageSelect(s_);
    return Written();
  }

  MemoryPage page_;
  DbViewState s_;
};

TEST_F(RecordsPerPageSelectTest, StyledSelectorMarksTheCurrentPageSize) {
  EXPECT_EQ(Select(),
            std::string("Records per Page&nbsp;:&nbsp;<select onchange=\"FormKelvoGrid1.submit()\" "
                        "class=\"KLVOTableRecPerPage\" name=\"Vexmo1maxrecords\">\r\n") +
                kDefaultOptions + "</select>\r\n");
}

TEST_F(RecordsPerPageSelectTest, PlainSelectorOfAnotherGridInGerman) {
  s_.UseCSS = false;
  s_.Tag = "2";
  s_.RecordsPerPage = 10;
  s_.RecordsPerPageOptions = "10, 25,50";
  SetLanguage(s_, "GER");
  EXPECT_EQ(Select(),
            "Datens\u00e4tze pro Seite&nbsp;:&nbsp;<select onchange=\"FormKelvoGrid2.submit()\" "
            "name=\"Vexmo2maxrecords\">\r\n"
            "<option selected value=\"10\">10<option value=\" 25\"> 25<option value=\"50\">50"
            "</select>\r\n");
}

TEST_F(RecordsPerPageSelectTest, BlankOptionsFallBackToTheDefaultListAndKeepIt) {
  for (const char* blank : {"", "   "}) {
    s_.RecordsPerPageOptions = blank;
    const std::size_t before = Written().size();
    WriteRecordsPerPageSelect(s_);
    EXPECT_NE(Written().find(kDefaultOptions, before), std::string::npos) << '"' << blank << '"';
    EXPECT_EQ(s_.RecordsPerPageOptions, "5,10,20,30,40,50,100,200");
  }
}

TEST_F(RecordsPerPageSelectTest, PageSizeOffTheListIsOfferedAndSelected) {
  const std::string start =
      "Records per Page&nbsp;:&nbsp;<select onchange=\"FormKelvoGrid1.submit()\" "
      "class=\"KLVOTableRecPerPage\" name=\"Vexmo1maxrecords\">\r\n";
  const auto select = [&] {
    const std::size_t before = Written().size();
    WriteRecordsPerPageSelect(s_);
    return Written().substr(before);
  };
  s_.RecordsPerPage = 25;
  EXPECT_EQ(select(), start +
                          "<option value=\"5\">5<option value=\"10\">10<option value=\"20\">20"
                          "<option selected value=\"25\">25<option value=\"30\">30"
                          "<option value=\"40\">40<option value=\"50\">50<option value=\"100\">100"
                          "<option value=\"200\">200</select>\r\n");
  s_.RecordsPerPage = 7;
  s_.RecordsPerPageOptions = "50, 10";
  EXPECT_EQ(select(), start +
                          "<option selected value=\"7\">7<option value=\"50\">50"
                          "<option value=\" 10\"> 10</select>\r\n");
  s_.RecordsPerPage = 500;
  EXPECT_EQ(select(), start + "<option value=\"50\">50<option value=\" 10\"> 10"
                              "<option selected value=\"500\">500</select>\r\n");
  s_.RecordsPerPage = 10;
  EXPECT_EQ(select(), start + "<option value=\"50\">50<option selected value=\" 10\"> 10"
                              "</select>\r\n");
}

TEST_F(RecordsPerPageSelectTest, OptionThatIsNotANumberEndsTheListThere) {
  s_.RecordsPerPageOptions = "5,20,many,50";
  EXPECT_THROW(WriteRecordsPerPageSelect(s_), Error);
  const std::string& written = Written();
  EXPECT_TRUE(written.ends_with(
      "name=\"Vexmo1maxrecords\">\r\n<option value=\"5\">5<option selected value=\"20\">20"))
      << written;
  s_.RecordsPerPageOptions = "5,,10";  // an empty item is no number either
  EXPECT_THROW(WriteRecordsPerPageSelect(s_), Error);
}

}  // namespace
}  // namespace kelvo::detail
