#include <gtest/gtest.h>

#include <array>

#include "edit_page.h"

namespace kelvo::testing {
namespace {

constexpr int kValues = 200;

// Value k: three pieces of text that HTML, forms and scripts treat specially.
std::string TrickyValue(int k) {
  static constexpr std::array<std::string_view, 20> kPieces = {"&",
                                                               "<",
                                                               ">",
                                                               "\"",
                                                               "'",
                                                               "&amp;",
                                                               "&lt;b&gt;",
                                                               "</textarea>",
                                                               "\n",
                                                               "\r\n",
                                                               "\u00e6\u00f8\u00e5",
                                                               "\u6f22\u5b57",
                                                               "\U0001F600",
                                                               " ",
                                                               "&#39;",
                                                               "\t",
                                                               "<script>alert(1)</script>",
                                                               "a",
                                                               "\\",
                                                               "&nbsp;"};
  std::string value;
  for (int digit = 0, rest = k; digit < 3; ++digit, rest /= 20) {
    value += kPieces[static_cast<std::size_t>(rest % 20)];
    value += static_cast<char>('a' + digit);
  }
  if (k % 5 == 0) value = "\n" + value;  // a text area's leading line break
  if (k % 7 == 0) value += "  ";
  return value;
}

// Browsers send every line break of a form value as CR LF.
std::string AsSent(std::string_view text) {
  std::string sent;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n') sent += '\r';
    sent += text[i];
  }
  return sent;
}

class RoundTripTest : public EditPageTest {
 protected:
  void SetUp() override {
    EditPageTest::SetUp();
    if (IsSkipped()) return;
    auto connection = std::make_shared<Connection>();
    connection->Open(ConnectionString());
    connection->Execute("CREATE TABLE R (id " + KeyType() +
                        ", line VARCHAR(200), memo TEXT, pick VARCHAR(200))");
    connection->Execute("CREATE TABLE L (v VARCHAR(200))");
    connection->BeginTrans();
    for (int k = 0; k < kValues; ++k) {
      const Variant row[] = {Variant(k + 1), Variant(TrickyValue(k)),
                             Variant(TrickyValue((k * 7 + 3) % kValues)),
                             Variant(TrickyValue((k * 13 + 5) % kValues))};
      connection->Execute("INSERT INTO R VALUES (?, ?, ?, ?)", row);
      const Variant option[] = {Variant(TrickyValue(k))};
      connection->Execute("INSERT INTO L VALUES (?)", option);
    }
    connection->CommitTrans();
    connection->Close();
  }

  static Configure Editing() {
    return [](DbView& v) {
      v.SetSql("SELECT id FROM R");
      v.SetEditSQL("SELECT * FROM R");
      v.SetEditPrimaryKeys("id");
      v.SetEditOptions("UPDATE");
      v.AddEditLookup("pick", "L", "v", "v", "", true);
    };
  }
};

TEST_F(RoundTripTest, UntouchedFormsLeaveEveryStoredByte) {
  const auto before = Rows("SELECT * FROM R ORDER BY id");
  for (int id = 1; id <= kValues; ++id) {
    const RenderedPage form = OpenEdit(std::to_string(id), Editing());
    ASSERT_EQ(form.errors, "") << id;
    const RenderedPage saved = Press(BrowserForm(form.output), "Vexmo1FormUpdate", Editing());
    ASSERT_NE(saved.output.find("&nbsp;[Record saved ok]"), std::string::npos)
        << id << saved.errors;
  }
  EXPECT_EQ(Rows("SELECT * FROM R ORDER BY id"), before);
}

TEST_F(RoundTripTest, EditedValuesAreStoredAsTyped) {
  for (int id = 1; id <= kValues; id += 17) {
    BrowserForm form(OpenEdit(std::to_string(id), Editing()).output);
    std::string line = TrickyValue(id * 3 % kValues);
    std::erase(line, '\n');  // a text input holds one line
    std::erase(line, '\r');
    const std::string memo = TrickyValue(id);
    form.Set("Vexmo1_Form_line", line);
    form.Set("Vexmo1_Form_memo", memo);
    form.Set("Vexmo1_Form_pick", TrickyValue(id * 11 % kValues));
    ASSERT_NE(Press(form, "Vexmo1FormUpdate", Editing()).output.find("[Record saved ok]"),
              std::string::npos);
    const auto row = Rows("SELECT line, memo, pick FROM R WHERE id = " + std::to_string(id));
    EXPECT_EQ(row[0][0], line) << id;
    EXPECT_EQ(row[0][1], AsSent(memo)) << id;
    EXPECT_EQ(row[0][2], AsSent(TrickyValue(id * 11 % kValues))) << id;
  }
}

TEST_F(RoundTripTest, EditingKeepsATextAreasLeadingLineBreak) {
  Execute("UPDATE R SET memo = '\nfirst' WHERE id = 1");
  BrowserForm form(OpenEdit("1", Editing()).output);
  ASSERT_EQ(form.Value("Vexmo1_Form_memo"), "\nfirst");
  form.Set("Vexmo1_Form_memo", *form.Value("Vexmo1_Form_memo") + " second");
  ASSERT_NE(Press(form, "Vexmo1FormUpdate", Editing()).output.find("[Record saved ok]"),
            std::string::npos);
  EXPECT_EQ(Value("SELECT memo FROM R WHERE id = 1"), "\r\nfirst second");
}

TEST_F(RoundTripTest, ValuesAFormCannotCarryAreShownReadOnlyAndKept) {
  if (OnPostgres()) GTEST_SKIP() << "PostgreSQL text holds neither a NUL nor bytes beyond UTF-8";
  Execute("UPDATE R SET memo = 'a' || char(0) || 'b', pick = CAST(X'70E9' AS TEXT) WHERE id = 1");
  const std::string kept = "SELECT hex(memo), hex(pick) FROM R WHERE id = 1";
  const auto before = Rows(kept);
  const RenderedPage page = OpenEdit("1", Editing());
  const std::string note =
      "<span class=\"KelvoFieldNote\">Read-only: holds characters a web form cannot send.</span>";
  EXPECT_NE(page.output.find("<textarea cols=60 rows=5  disabled class=\"KelvoTextArea\" "
                             "id=\"Vexmo1_Form_memo\" name=\"Vexmo1_Form_memo\">a" +
                             std::string(1, '\0') + "b</textarea>\r\n " + note),
            std::string::npos);
  EXPECT_NE(page.output.find("<select  disabled id=\"Vexmo1_Form_pick\""), std::string::npos);
  EXPECT_NE(page.output.find("</select>\r\n " + note), std::string::npos);
  BrowserForm form(page.output);
  form.Set("Vexmo1_Form_line", "changed");
  ASSERT_NE(Press(form, "Vexmo1FormUpdate", Editing()).output.find("[Record saved ok]"),
            std::string::npos);
  EXPECT_EQ(Value("SELECT line FROM R WHERE id = 1"), "changed");
  EXPECT_EQ(Rows(kept), before);
}

}  // namespace
}  // namespace kelvo::testing
