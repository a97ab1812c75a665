#include "format/format_function.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "component/db_view_state.h"
#include "format/cell_tables.h"
#include "format/format_function_parse.h"
#include "kelvo/data.h"
#include "kelvo/host.h"
#include "support/grid_page.h"
#include "support/temp_dir.h"

namespace kelvo::detail {
namespace {

class FormatFunctionTest : public ::testing::Test {
 protected:
  FormatFunctionTest() {
    connection_->Open("sqlite:" + dir_.File("f.db") + "?mode=create");
    connection_->Execute("CREATE TABLE F (t VARCHAR(40), r REAL, d DATETIME)");
    UseLocale("en-US");
  }

  void UseLocale(const std::string& name) {
    PageOptions options;
    options.locale = name;
    page_ = std::make_unique<MemoryPage>(RequestData::Get("/list"), options);
    s_.mvarScriptingContext = page_->context();
  }

  // The field `column` ("t", "r" or "d") of a row holding the SQL literal `literal` there.
  const Field& Value(const std::string& column, const std::string& literal) {
    if (recordset_) recordset_->Close();
    connection_->Execute("DELETE FROM F");
    connection_->Execute("INSERT INTO F (" + column + ") VALUES (" + literal + ")");
    recordset_ = std::make_shared<Recordset>();
    recordset_->Open("SELECT " + column + " FROM F", connection_);
    return recordset_->Fields().Item(0);
  }

  // The cell text of that field under the format function `function`.
  std::string Cell(const std::string& function, const std::string& column,
                   const std::string& literal) {
    SetGridFormatCellFunction(s_, 1, function);
    return GetFormatCellString(s_, Value(column, literal), 1);
  }
  std::string Text(const std::string& function, const std::string& text) {
    return Cell(function, "t", "'" + text + "'");
  }
  std::string Number(const std::string& function, const std::string& number) {
    return Cell(function, "r", number);
  }

  testing::TempDir dir_;
  std::unique_ptr<MemoryPage> page_;
  DbViewState s_;
  std::shared_ptr<Connection> connection_ = std::make_shared<Connection>();
  std::shared_ptr<Recordset> recordset_;
};

TEST_F(FormatFunctionTest, NullOrBlankValuesAreNeverEvaluated) {
  for (const char* function : {"FORMATNUMBER,2", "LEFT", "NOSUCHFUNCTION", "REGEXPREPLACE"}) {
    EXPECT_EQ(Cell(function, "r", "NULL"), "&nbsp;") << function;
    EXPECT_EQ(Text(function, "   "), "&nbsp;") << function;
  }
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FormatFunctionTest, EncodedValuesStayEncodedWhateverTheFunctionDoes) {
  s_.HtmlEncodeValues = true;
  EXPECT_EQ(Text("UCASE", "<b>&"), "&lt;B&gt;&amp;");
  EXPECT_EQ(Text("LEFT,2", "<b>"), "&lt;b");
  // The replacement is the page's markup: only what it takes from the value is encoded.
  EXPECT_EQ(Text("REGEXPREPLACE,/^(.*)$/,<i>$1</i>", "<b>"), "<i>&lt;b&gt;</i>");
  EXPECT_EQ(Text("NOSUCH", "<b>"), "[Unknown function : NOSUCH] &lt;b&gt;");
}

TEST_F(FormatFunctionTest, NamesIgnoreCaseButNotBlanks) {
  EXPECT_EQ(Number("formatcurrency,2", "1234.5"), "$1,234.50");
  EXPECT_EQ(Number("FormatCurrency,2", "1234.5"), "$1,234.50");
  EXPECT_EQ(Number("FORMATCURRENCY ,2", "1234.5"), "[Unknown function : FORMATCURRENCY] 1234.5");
  EXPECT_EQ(Number(" FORMATCURRENCY,2", "1234.5"), "[Unknown function : FORMATCURRENCY] 1234.5");
  // The unknown form shows the standard display, markup included.
  EXPECT_EQ(Text("BOLD", "<b>x</b>"), "[Unknown function : BOLD] <b>x</b>");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FormatFunctionTest, ArgumentsAreTrimmedAndCountedByPieces) {
  EXPECT_EQ(Number("FORMATNUMBER, 3 ", "1234.5"), "1,234.500");
  EXPECT_EQ(Number("FORMATNUMBER", "1234.5"), "1,234.50");
  // Five arguments fall back to the form without any.
  EXPECT_EQ(Number("FORMATNUMBER,3,-1,0,-1,9", "1234.5"), "1,234.50");
  // A blank argument is still an argument, and converts to no number.
  EXPECT_EQ(Number("FORMATNUMBER,", "1234.5"), "Type mismatch");
  EXPECT_EQ(Text("REPLACE, a , b ", "banana"), "bbnbnb");
  EXPECT_EQ(Text("LEFT", "abcdef"), "Invalid number of arguments to Left");
  EXPECT_EQ(Text("LEFT,3,4", "abcdef"), "Invalid number of arguments to Left");
}

TEST_F(FormatFunctionTest, TextFunctions) {
  EXPECT_EQ(Text("MID,2", "abcdef"), "bcdef");
  EXPECT_EQ(Text("MID,2,3", "abcdef"), "bcd");
  EXPECT_EQ(Text("REPLACE,a,b,3", "banana"), "nbnb");  // the result starts at position 3
  EXPECT_EQ(Text("INITCAPSALL", "hello world"), " Hello World");
  EXPECT_EQ(Text("INITCAPS", "hello world"), "Hello world");
  EXPECT_EQ(Text("INITCAPS", "McDONALD"), "Mcdonald");  // upper-cased first
  EXPECT_EQ(Text("UCASE", "\xC3\xA6r\xC3\xB8"), "\xC3\x86R\xC3\x98");
  EXPECT_EQ(Text("LCASE", "\xC3\x86R\xC3\x98"), "\xC3\xA6r\xC3\xB8");
  EXPECT_EQ(Text("LEN", "abc"), "3");
  EXPECT_EQ(Number("LEN", "1234.5"), "6");  // the characters of the number's text
  // An empty result must not collapse the cell.
  EXPECT_EQ(Text("LEFT,0", "abc"), "&nbsp;");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FormatFunctionTest, DatesAreReadFromTheirGeneralForm) {
  EXPECT_EQ(Cell("DATEADD,d,1", "d", "'2019-05-31'"), "6/1/2019");
  EXPECT_EQ(Cell("DATEADD,h,2", "d", "'2019-05-31 23:30:00'"), "6/1/2019 1:30:00 AM");
  EXPECT_EQ(Cell("DATEADD,m,1", "d", "'2019-01-31'"), "2/28/2019");
  EXPECT_EQ(Cell("DATEPART,w,2", "d", "'2019-05-31'"), "5");  // Friday, weeks from Monday
  EXPECT_EQ(Cell("FORMAT,yyyy-mm-dd hh:nn", "d", "'2019-05-31 13:45:07'"), "2019-05-31 13:45");
}

TEST_F(FormatFunctionTest, FormatPatternsWithTheDelimiterNeedAnotherDelimiter) {
  // "##0.00" becomes the first-day-of-week argument, which is no number.
  EXPECT_EQ(Number("FORMAT,#,##0.00", "1234.5"), "Type mismatch");
  s_.GridFreeFormatCellColumnDelimiter = ";";
  EXPECT_EQ(Number("FORMAT;#,##0.00", "1234.5"), "1,234.50");
  EXPECT_EQ(Number("FORMATNUMBER;1;0", "0.25"), ".3");
  s_.GridFreeFormatCellColumnDelimiter = "";  // no splitting: the whole text is the name
  EXPECT_EQ(Number("LEN", "1234.5"), "6");
}

TEST_F(FormatFunctionTest, RegExpReplaceReadsItsOwnSyntax) {
  EXPECT_EQ(Text("REGEXPREPLACE,/(\\d+)/g,[$1]", "a1b22"), "a[1]b[22]");
  EXPECT_EQ(Text("REGEXPREPLACE,/(\\d+)/,[$1]", "a1b22"), "a[1]b22");
  EXPECT_EQ(Text("regexpreplace,/^(\\d{3})(\\d+)$/,$1-$2", "4711001"), "471-1001");
  EXPECT_EQ(Text("REGEXPREPLACE,/B/gi,x", "abBA"), "axxA");
  EXPECT_EQ(Text("REGEXPREPLACE,/^x/gm,-", "x1\nx2"), "-1\n-2");
  EXPECT_EQ(Text("REGEXPREPLACE,/^x/g,-", "x1\nx2"), "-1\nx2");
  // The comma searched for is the first after the closing slash; the replacement is untouched.
  EXPECT_EQ(Text("REGEXPREPLACE,/a,b/,x", "1a,b2"), "1x2");
  EXPECT_EQ(Text("REGEXPREPLACE,/a/g, x,y ", "aa"), " x,y  x,y ");
  EXPECT_EQ(Text("REGEXPREPLACE,/ a /,x", "bab"), "bxb");  // the pattern is trimmed
  // Escaped slashes stay in the pattern; a slash after an escaped backslash closes it.
  EXPECT_EQ(Text("REGEXPREPLACE,/a\\/b/,x", "1a/b2"), "1x2");
  EXPECT_EQ(Text("REGEXPREPLACE,/a\\\\/,x", "1a\\2"), "1x2");
  // The comma before the replacement is a comma whatever the column delimiter is.
  s_.GridFreeFormatCellColumnDelimiter = ";";
  EXPECT_EQ(Text("REGEXPREPLACE;/b/g,x", "abb"), "axx");
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FormatFunctionTest, RegExpReplaceFailuresBecomeTheCellText) {
  EXPECT_EQ(Text("REGEXPREPLACE,/abc/i", "abc"), "Invalid RegExp");  // no comma after the flags
  EXPECT_EQ(Text("REGEXPREPLACE,abc,x", "abc"), "Invalid RegExp");   // no slash
  EXPECT_EQ(Text("REGEXPREPLACE,/abc,x", "abc"), "Invalid RegExp");  // no closing slash
  EXPECT_EQ(Text("REGEXPREPLACE,/a\\/,x", "abc"), "Invalid RegExp");
  EXPECT_EQ(Text("REGEXPREPLACE,/(a/,x", "abc").rfind("Expected ')' in regular expression", 0), 0u);
  EXPECT_EQ(Text("REGEXPREPLACE,/(?<=a)b/,x", "ab").rfind("Syntax error in regular expression", 0),
            0u);
  // Catastrophic backtracking stops at the engine's limits instead of holding the request.
  EXPECT_EQ(
      Text("REGEXPREPLACE,/(a+)+$/,x", std::string(40, 'a') + "b").rfind("Out of stack space", 0),
      0u);
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST_F(FormatFunctionTest, RegExpPatternsAreCompiledOncePerGrid) {
  for (int row = 0; row < 5; ++row) Text("REGEXPREPLACE,/(\\d)/g,<$1>", std::to_string(row));
  EXPECT_EQ(s_.mvarRegExpCache.size(), 1u);
  Text("REGEXPREPLACE,/(\\d)/gi,<$1>", "1");  // other flags compile another pattern
  EXPECT_EQ(s_.mvarRegExpCache.size(), 2u);
}

TEST_F(FormatFunctionTest, PreparationFailuresAreReportedAndGiveAnEmptyCell) {
  EXPECT_EQ(Text("", "abc"), "");
  EXPECT_EQ(s_.ErrorMessage, "Subscript out of range Invalid Formatting arguments<br>");
  s_.ErrorMessage.clear();
  // A column without a function: the read reports, and so does the function of no name.
  const Field& field = Value("t", "'abc'");
  EXPECT_EQ(GetFormatCellString(s_, field, 7), "");
  EXPECT_EQ(s_.ErrorMessage,
            "Subscript out of range in GetFormatCellStringRaw. index=7, nArrIdx=-1<br>"
            "Subscript out of range Invalid Formatting arguments<br>");
}

// Function text, value, locale, expected text; the value is an SQL literal of a REAL, TEXT or
// DATETIME column, read back through its standard raw text.
struct FunctionCase {
  const char* locale;
  const char* function;
  const char* column;
  const char* value;
  const char* expected;
};

const FunctionCase kFunctionCases[] = {
    {"en-US", "FORMATCURRENCY", "r", "1234.5", "$1,234.50"},
    {"en-US", "FORMATCURRENCY,0", "r", "1234.5", "$1,235"},
    {"en-US", "FORMATCURRENCY,2,-1,-1", "r", "-1234.5", "($1,234.50)"},
    {"en-US", "FORMATCURRENCY,2,-1,0,0", "r", "-1234.5", "-$1234.50"},
    {"en-US", "FORMATCURRENCY,2", "t", "'abc'", "Type mismatch"},
    {"en-US", "FORMATCURRENCY,100", "r", "1", "Invalid procedure call or argument"},
    {"en-US", "FORMATCURRENCY,9999999999", "r", "1", "Overflow"},
    {"en-US", "FORMATNUMBER,2", "r", "1234.5", "1,234.50"},
    {"en-US", "FORMATNUMBER,1,0", "r", "0.25", ".3"},
    {"en-US", "FORMATNUMBER,x", "r", "1", "Type mismatch"},
    {"en-US", "FORMATPERCENT,1", "r", "0.1234", "12.3%"},
    {"en-US", "FORMATDATETIME", "d", "'2019-05-31 13:45:07'", "5/31/2019 1:45:07 PM"},
    {"en-US", "FORMATDATETIME,1", "d", "'2019-05-31 13:45:07'", "Friday, May 31, 2019"},
    {"en-US", "FORMATDATETIME,2", "d", "'2019-05-31 13:45:07'", "5/31/2019"},
    {"en-US", "FORMATDATETIME,4", "d", "'2019-05-31 13:45:07'", "13:45"},
    {"en-US", "FORMATDATETIME,1,2", "d", "'2019-05-31 13:45:07'", "5/31/2019 1:45:07 PM"},
    {"en-US", "FORMATDATETIME,5", "d", "'2019-05-31'", "Invalid procedure call or argument"},
    {"en-US", "FORMATDATETIME", "t", "'no date'", "Type mismatch"},
    {"en-US", "FORMAT,Long Date", "d", "'2019-05-31'", "Friday, May 31, 2019"},
    {"en-US", "FORMAT,0.0", "r", "2.25", "2.3"},
    {"en-US", "FORMAT,ww,1,1", "d", "'2019-01-05'", "1"},
    {"en-US", "FORMAT,ww,1,3", "d", "'2019-01-05'", "52"},  // before the first full week
    {"en-US", "FORMAT,ww,9", "d", "'2019-01-05'", "Invalid procedure call or argument"},
    {"en-US", "FORMAT", "r", "2.25", "2.25"},
    {"en-US", "DATEADD,yyyy,-1", "d", "'2020-02-29'", "2/28/2019"},
    {"en-US", "DATEADD,d", "d", "'2019-05-31'", "Invalid number of arguments to DateAdd"},
    {"en-US", "DATEADD,d,1,2", "d", "'2019-05-31'", "Invalid number of arguments to DateAdd"},
    {"en-US", "DATEADD,x,1", "d", "'2019-05-31'", "Invalid procedure call or argument"},
    {"en-US", "DATEADD,d,one", "d", "'2019-05-31'", "Type mismatch"},
    {"en-US", "DATEADD,d,1", "t", "'later'", "Type mismatch"},
    {"en-US", "DATEPART,yyyy", "d", "'2019-05-31'", "2019"},
    {"en-US", "DATEPART,ww,2,2", "d", "'2019-12-30'", "1"},
    {"en-US", "DATEPART", "d", "'2019-05-31'", "Invalid number of arguments to DatePart"},
    {"en-US", "DATEPART,q,1,1,1", "d", "'2019-05-31'", "Invalid number of arguments to DatePart"},
    {"en-US", "DATEPART,w,8", "d", "'2019-05-31'", "Invalid procedure call or argument"},
    {"en-US", "REPLACE,an,AN", "t", "'banana'", "bANANa"},
    {"en-US", "REPLACE,a", "t", "'banana'", "Invalid number of arguments to Replace"},
    {"en-US", "REPLACE,a,b,1,2", "t", "'banana'", "Invalid number of arguments to Replace"},
    {"en-US", "REPLACE,a,b,0", "t", "'banana'", "Invalid procedure call or argument"},
    {"en-US", "LEFT,3", "t", "'abcdef'", "abc"},
    {"en-US", "LEFT,-1", "t", "'abcdef'", "Invalid procedure call or argument"},
    {"en-US", "LEFT,99999999999", "t", "'abcdef'", "Overflow"},
    {"en-US", "RIGHT,2", "t", "'abcdef'", "ef"},
    {"en-US", "RIGHT", "t", "'abcdef'", "Invalid number of arguments to Right"},
    {"en-US", "MID,2,x", "t", "'abcdef'", "Type mismatch"},
    {"en-US", "MID,0", "t", "'abcdef'", "Invalid procedure call or argument"},
    {"en-US", "MID", "t", "'abcdef'", "Invalid number of arguments to Mid"},
    {"en-US", "MID,1,2,3", "t", "'abcdef'", "Invalid number of arguments to Mid"},
    {"en-US", "ROUND", "r", "2.5", "2"},
    {"en-US", "ROUND,1", "r", "2.25", "2.2"},
    {"en-US", "ROUND,1,2", "r", "3.5", "4"},
    {"en-US", "ROUND,1", "t", "'abc'", "Type mismatch"},
    {"en-US", "ABS", "r", "-2.5", "2.5"},
    {"en-US", "ABS", "t", "'abc'", "Type mismatch"},
    {"en-US", "NOPE,1", "t", "'abc'", "[Unknown function : NOPE] abc"},
    {"en-US", "REGEXPREPLACE,/[/,x", "t", "'abc'",
     "Expected ']' in regular expression: unclosed character class at position 2 of the pattern"},
    {"de-DE", "FORMATCURRENCY,2", "r", "1234.5", "1.234,50 \xE2\x82\xAC"},
    {"de-DE", "FORMATCURRENCY,2,-1,-1", "r", "-50", "(50,00 \xE2\x82\xAC)"},
    {"de-DE", "FORMATCURRENCY", "t", "'1.234,5'", "1.234,50 \xE2\x82\xAC"},
    {"de-DE", "FORMATCURRENCY", "t", "'abc'", "Type mismatch"},
    {"de-DE", "FORMATNUMBER,2", "r", "1234.5", "1.234,50"},
    {"de-DE", "FORMATNUMBER,1,0", "r", "0.25", ",3"},
    {"de-DE", "FORMATNUMBER,100", "r", "1", "Invalid procedure call or argument"},
    {"de-DE", "FORMATPERCENT,1", "r", "0.1234", "12,3%"},
    {"de-DE", "FORMATDATETIME,1", "d", "'2019-05-31'", "Freitag, 31. Mai 2019"},
    {"de-DE", "FORMATDATETIME,3", "d", "'2019-05-31 13:45:07'", "13:45:07"},
    {"de-DE", "FORMATDATETIME,x", "d", "'2019-05-31'", "Type mismatch"},
    {"de-DE", "FORMAT,dddd", "d", "'2019-05-31'", "Freitag"},
    {"de-DE", "FORMAT,0.00", "r", "2.5", "2,50"},
    {"de-DE", "DATEADD,d,1", "d", "'2019-05-31'", "01.06.2019"},
    {"de-DE", "DATEADD,n,90", "d", "'2019-05-31 23:00:00'", "01.06.2019 00:30:00"},
    {"de-DE", "DATEADD,d", "d", "'2019-05-31'", "Invalid number of arguments to DateAdd"},
    {"de-DE", "DATEADD,q,1", "t", "'kein Datum'", "Type mismatch"},
    {"de-DE", "DATEPART,m", "d", "'2019-05-31'", "5"},
    {"de-DE", "DATEPART", "d", "'2019-05-31'", "Invalid number of arguments to DatePart"},
    {"de-DE", "REPLACE,a,b,3", "t", "'banana'", "nbnb"},
    {"de-DE", "REPLACE,a", "t", "'banana'", "Invalid number of arguments to Replace"},
    {"de-DE", "LEFT,2", "r", "1234.5", "12"},
    {"de-DE", "LEFT", "t", "'abc'", "Invalid number of arguments to Left"},
    {"de-DE", "RIGHT,3", "r", "1234.5", "4,5"},
    {"de-DE", "RIGHT,1,1", "t", "'abc'", "Invalid number of arguments to Right"},
    {"de-DE", "MID,2,2", "t", "'\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F'", "\xC3\xB6\xC3\xBC"},
    {"de-DE", "MID", "t", "'abc'", "Invalid number of arguments to Mid"},
    {"de-DE", "LEN", "r", "1234.5", "6"},
    {"de-DE", "ROUND,1", "r", "2.25", "2,2"},
    {"de-DE", "ROUND,x", "r", "2.25", "Type mismatch"},
    {"de-DE", "ABS", "r", "-2.5", "2,5"},
    {"de-DE", "UCASE", "t",
     "'stra\xC3\x9F"
     "e'",
     "STRA\xC3\x9F"
     "E"},
    {"de-DE", "NOPE", "r", "2.5", "[Unknown function : NOPE] 2,5"},
    {"de-DE", "REGEXPREPLACE,/(\\d+),(\\d+)/,$1.$2", "r", "2.5", "2.5"},
    {"de-DE", "REGEXPREPLACE,/x/", "r", "2.5", "Invalid RegExp"},
};

TEST_F(FormatFunctionTest, FunctionsByLocale) {
  for (const FunctionCase& c : kFunctionCases) {
    UseLocale(c.locale);
    EXPECT_EQ(Cell(c.function, c.column, c.value), c.expected)
        << c.locale << " " << c.function << " on " << c.value;
  }
  EXPECT_EQ(s_.ErrorMessage, "");
}

TEST(RegExpReplaceParseTest, SlashesAndCommasDelimitThePieces) {
  const auto parsed = ParseRegExpReplace("REGEXPREPLACE,/ a\\/b /gim , x,y");
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->pattern, "a\\/b");
  EXPECT_EQ(parsed->replacement, " x,y");
  EXPECT_TRUE(parsed->ignore_case && parsed->global && parsed->multiline);
  const auto plain = ParseRegExpReplace("REGEXPREPLACE,/a/GIM,");  // flag letters are lower case
  ASSERT_TRUE(plain.has_value());
  EXPECT_FALSE(plain->ignore_case || plain->global || plain->multiline);
  EXPECT_EQ(plain->replacement, "");
  EXPECT_FALSE(ParseRegExpReplace("REGEXPREPLACE,/a\\\\\\/,x").has_value());
}

class FormatFunctionPageTest : public testing::GridPageTest {};

TEST_F(FormatFunctionPageTest, FunctionColumnsRenderInTheGrid) {
  MakeTable(3);
  const testing::RenderedPage page = Get({}, [](DbView& grid) {
    grid.SetGridFormatCellFunction(3, "FORMATCURRENCY,2");
    grid.SetGridFormatCellFunction(2, "REGEXPREPLACE,/^item (\\d+)$/,No. $1");
  });
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(testing::Between(page.output, "id=\"klv1cell_2_3\" ", "</td>"),
            "class=\"KLVOTableTDeven\" align=\"right\">$3.00");
  EXPECT_EQ(testing::Between(page.output, "id=\"klv1cell_3_2\" ", "</td>"),
            "class=\"KLVOTableTDodd\">No. 3");
}

TEST_F(FormatFunctionPageTest, TemplateComesBeforeFunctionAndFunctionBeforeStandardDisplay) {
  MakeTable(1);
  options_.locale = "de-DE";
  const testing::RenderedPage page = Get({}, [](DbView& grid) {
    grid.SetGridFreeFormatCellByCol(2, "<i>#name#</i>");
    grid.SetGridFormatCellFunction(2, "UCASE");
    grid.SetGridFormatCellFunction(3, "FORMATNUMBER,3");
  });
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(testing::Between(page.output, "id=\"klv1cell_1_2\" ", "</td>"),
            "class=\"KLVOTableTDodd\"><i>item 1</i>");
  EXPECT_EQ(testing::Between(page.output, "id=\"klv1cell_1_3\" ", "</td>"),
            "class=\"KLVOTableTDodd\" align=\"right\">1,500");
  EXPECT_EQ(testing::Between(page.output, "id=\"klv1cell_1_1\" ", "</td>"),
            "class=\"KLVOTableTDodd\" align=\"right\">1");
}

}  // namespace
}  // namespace kelvo::detail
