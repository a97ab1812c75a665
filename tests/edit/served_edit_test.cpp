// Editing through `kelvo serve` as a browser without script meets it: a page file over P, its
// edit forms fetched and posted over HTTP.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <regex>
#include <set>
#include <tuple>

#include "edit_page.h"
#include "kelvo/page_file.h"
#include "server/running_server.h"

namespace kelvo::testing {
namespace {

constexpr char kPage[] = R"([[grid]]
sql = "SELECT id, name FROM P"
FormSQL = "SELECT * FROM P"
EditSQL = "SELECT * FROM P"
EditPrimaryKeys = "id"
EditOptions = "ALL"
DeleteSQL = "DELETE FROM P"
OrderByFields = "id"
)";

// Field names that no element id can be made of: a blank, a quote, and two names that differ
// only where an id built from them would not.
constexpr char kOddNamesPage[] = R"([[grid]]
sql = "SELECT id FROM Q"
FormSQL = "SELECT * FROM Q"
EditSQL = "SELECT * FROM Q"
EditPrimaryKeys = "id"
EditOptions = "ALL"
OrderByFields = "id"
)";

struct Reply {
  int status = 0;
  std::string body;
};

class ServedEditTest : public EditPageTest {
 protected:
  void SetUp() override {
    EditPageTest::SetUp();
    if (IsSkipped()) return;
    ServerOptions options;
    options.defaults.connection = ConnectionString();
    server_.emplace(options, [](HttpServer& server) {
      server.AddPage("people", PageFile::Parse(kPage, "people.toml"));
      server.AddPage("odd", PageFile::Parse(kOddNamesPage, "odd.toml"));
      server.AddPage("leute", PageFile::Parse(std::string(kPage) + "Language = \"GER\"\n",
                                              "leute.toml"));
    });
  }

  Reply Post(const std::string& body, const std::string& path = "/people") {
    const auto result = server_->Client().Post(path, body, "application/x-www-form-urlencoded");
    EXPECT_TRUE(result);
    if (!result) return {};
    return {result->status, result->body};
  }
  BrowserForm EditForm(int id, const std::string& path = "/people") {
    return BrowserForm(
        Post("Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1PK=" + std::to_string(id),
             path)
            .body);
  }
  // Presses `button`, whose script would first empty the FormEdit field.
  Reply Press(BrowserForm form, const std::string& button, const std::string& path = "/people") {
    form.Set("Vexmo1FormEdit", "");
    return Post(form.Body(button), path);
  }

  std::optional<RunningServer> server_;
};

bool Says(const Reply& reply, std::string_view text) {
  return reply.body.find(text) != std::string::npos;
}

TEST_F(ServedEditTest, PostsWithoutThisServersRecordCheckWriteNothing) {
  const auto before = Rows("SELECT * FROM P ORDER BY id");
  for (const std::string body : {"Vexmo1FormUpdate=Save&Vexmo1_Form_id=1&Vexmo1_Form_name=Eve",
                                 "Vexmo1FormDelete=Delete&Vexmo1_Form_id=1&Vexmo1Confirm_Form_=1",
                                 "Vexmo1FormUpdate=Save&Vexmo1FormInsert=1&Vexmo1_Form_name=Eve"}) {
    const Reply reply = Post(body + "&Vexmo1FormDisplay=formOneRec");
    EXPECT_EQ(reply.status, 403) << body;
    EXPECT_TRUE(Says(reply, "Nothing was changed: this form could not be verified.")) << body;
  }
  EXPECT_EQ(Rows("SELECT * FROM P ORDER BY id"), before);
}

TEST_F(ServedEditTest, ADeleteIsConfirmedBeforeAnythingIsDeleted) {
  // Without script the confirmation field stays empty: a form of its own asks.
  const Reply asked = Press(EditForm(2), "Vexmo1FormDelete");
  EXPECT_TRUE(Says(asked, "<strong class=\"KelvoDeleteQuestion\">Delete this record?</strong>"))
      << asked.body;
  EXPECT_FALSE(Says(asked, "[Record deleted]"));
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "2");
  // Going back deletes nothing; confirming deletes the record.
  EXPECT_EQ(Press(BrowserForm(asked.body), "Vexmo1FormView").status, 200);
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "2");
  EXPECT_TRUE(Says(Press(BrowserForm(asked.body), "Vexmo1FormDelete"), "[Record deleted]"));
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P WHERE id = 2"), "0");

  // The dialog's yes sets the field, and the delete runs at once.
  BrowserForm form = EditForm(1);
  form.Set("Vexmo1Confirm_Form_", "1");
  EXPECT_EQ(Press(form, "Vexmo1FormDelete").status, 200);
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "0");
}

TEST_F(ServedEditTest, AConflictShowsAllThreeValuesAndSavesOverTheCurrentVersion) {
  BrowserForm first = EditForm(1);
  BrowserForm second = EditForm(1);
  first.Set("Vexmo1_Form_name", "Annie");
  first.Set("Vexmo1_Form_tag", "x");
  first.Set("Vexmo1_Form_notes", "first's");
  ASSERT_TRUE(Says(Press(first, "Vexmo1FormUpdate"), "[Record saved ok]"));

  second.Set("Vexmo1_Form_qty", "8");
  second.Set("Vexmo1_Form_tag", "y");
  second.Set("Vexmo1_Form_notes", "second's");
  const Reply refused = Press(second, "Vexmo1FormUpdate");
  EXPECT_TRUE(Says(refused, "It was changed by another user.")) << refused.body;
  for (const auto& [yours, stored, started] :
       {std::tuple{"y", "x", "a"}, std::tuple{"second&#39;s", "first&#39;s", "note"}}) {
    EXPECT_TRUE(Says(refused, std::string("<span class=\"KelvoConflictCaption\">Yours</span>"
                                          "<span class=\"KelvoConflictValue\">") +
                                  yours + "</span>"))
        << yours;
    EXPECT_TRUE(Says(refused, std::string("<span class=\"KelvoConflictCaption\">Stored now"
                                          "</span><span class=\"KelvoConflictValue\">") +
                                  stored + "</span>"))
        << stored;
    EXPECT_TRUE(Says(refused, std::string("<span class=\"KelvoConflictCaption\">You started "
                                          "from</span><span class=\"KelvoConflictValue\">") +
                                  started + "</span>"))
        << started;
  }
  EXPECT_EQ(Rows("SELECT name, qty, tag, notes FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"Annie", "3", "x", "first's"}}));

  // The user keeps their tag and takes the stored notes, but a third save lands first: the
  // resolved form is refused in turn and keeps those choices.
  BrowserForm resolved(refused.body);
  EXPECT_EQ(resolved.Value("Vexmo1Choice_Form_name"), "stored");  // only the other changed it
  EXPECT_EQ(resolved.Value("Vexmo1Choice_Form_tag"), "mine");
  resolved.Choose("Vexmo1Choice_Form_notes", "stored");
  BrowserForm third = EditForm(1);
  third.Set("Vexmo1_Form_price", "9.5");
  ASSERT_TRUE(Says(Press(third, "Vexmo1FormUpdate"), "[Record saved ok]"));
  const Reply again = Press(resolved, "Vexmo1FormUpdate");
  EXPECT_TRUE(Says(again, "It was changed by another user.")) << again.body;
  EXPECT_EQ(Value("SELECT qty FROM P WHERE id = 1"), "3");

  BrowserForm last(again.body);
  EXPECT_EQ(last.Value("Vexmo1Choice_Form_price"), "stored");
  for (const char* settled : {"name", "tag", "notes"}) {
    EXPECT_FALSE(last.Has(std::string("Vexmo1Choice_Form_") + settled)) << settled;
  }
  EXPECT_EQ(last.Value("Vexmo1_Form_notes"), "first's");
  EXPECT_TRUE(Says(Press(last, "Vexmo1FormUpdate"), "[Record saved ok]"));
  EXPECT_EQ(Rows("SELECT name, qty, price, tag, notes FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"Annie", "8", "9.5", "y", "first's"}}));
}

// A text holding line breaks is shown in a text area, so that they survive a save: untouched,
// the value stays as stored; changed, the browser's CR LF become the stored text's own breaks.
TEST_F(ServedEditTest, TextWithLineBreaksIsEditedInATextAreaAndKeepsThem) {
  Execute("UPDATE P SET name = 'An\r\nn', tag = 'a\nb' WHERE id = 1");
  const std::string shown =
      Post("Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1PK=1").body;
  EXPECT_TRUE(Says({200, shown}, "name=\"Vexmo1_Form_tag\">a\nb</textarea>")) << shown;
  EXPECT_TRUE(Says({200, shown}, "name=\"Vexmo1_Form_name\" required aria-required=\"true\">"
                                 "An\r\nn</textarea>"))
      << shown;
  BrowserForm untouched(shown);
  EXPECT_EQ(untouched.Value("Vexmo1_Form_tag"), "a\nb");
  untouched.Set("Vexmo1_Form_qty", "4");
  EXPECT_TRUE(Says(Press(untouched, "Vexmo1FormUpdate"), "[Record saved ok]"));
  EXPECT_EQ(Rows("SELECT name, qty, tag FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"An\r\nn", "4", "a\nb"}}));

  BrowserForm edited = EditForm(1);
  edited.Set("Vexmo1_Form_tag", "a\r\nc\r\n");
  edited.Set("Vexmo1_Form_name", "Bo\r\nb");
  EXPECT_TRUE(Says(Press(edited, "Vexmo1FormUpdate"), "[Record saved ok]"));
  EXPECT_EQ(Rows("SELECT name, tag FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"Bo\r\nb", "a\nc\n"}}));
}

// What is stored is shown, never an empty editor that passes for no value: binary data by its
// size (read-only), a date column's text that is no date as it is; a save leaves both alone.
TEST_F(ServedEditTest, BinaryDataAndTextThatIsNoDateAreShownAndKept) {
  if (OnPostgres()) {
    Execute("UPDATE P SET photo = '\\x0001'::bytea WHERE id = 2");
  } else {
    Execute("UPDATE P SET born = 'soon', tag = X'0001' WHERE id = 1");
    Execute("UPDATE P SET photo = X'0001' WHERE id = 2");
  }
  for (const int id : {1, 2}) {
    const std::string shown = Post("Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1PK=" +
                                   std::to_string(id))
                                  .body;
    EXPECT_TRUE(Says({200, shown}, "(blob, 2 bytes)")) << shown;
    if (id == 1 && !OnPostgres()) {
      EXPECT_TRUE(Says({200, shown}, "name=\"Vexmo1_Form_born\" value=\"soon\">")) << shown;
      EXPECT_TRUE(Says({200, shown},
                       "<input  disabled class=\"KelvoInput\" size=12 type=\"text\" "
                       "id=\"klv1editor_9\" name=\"Vexmo1_Form_tag\" value=\"(blob, 2 bytes)\" "
                       "maxlength=\"10\"> <span class=\"KelvoFieldNote\">Read-only: holds binary "
                       "data.</span>"))
          << shown;
    }
    BrowserForm form(shown);
    form.Set("Vexmo1_Form_qty", "7");
    EXPECT_TRUE(Says(Press(form, "Vexmo1FormUpdate"), "[Record saved ok]")) << id;
  }
  EXPECT_EQ(Rows("SELECT qty, photo FROM P ORDER BY id"),
            (std::vector<std::vector<std::string>>{{"7", "00FF"}, {"7", "0001"}}));
  if (!OnPostgres()) {
    EXPECT_EQ(Rows("SELECT born, tag FROM P WHERE id = 1"),
              (std::vector<std::vector<std::string>>{{"soon", "0001"}}));
  }
}

// The record view after the delete of the table's last record has no record to show: it says
// that the delete happened and still offers Add, as a link that needs no script.
TEST_F(ServedEditTest, DeletingTheLastRecordSaysItWasDeletedAndOffersAdd) {
  Reply deleted;
  for (const int id : {2, 1}) {
    BrowserForm form = EditForm(id);
    form.Set("Vexmo1Confirm_Form_", "1");
    deleted = Press(form, "Vexmo1FormDelete");
    EXPECT_TRUE(Says(deleted, "[Record deleted]")) << id << "\n" << deleted.body;
  }
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "0");
  std::smatch add;
  ASSERT_TRUE(std::regex_search(deleted.body, add,
                                std::regex(R"re(<a class="KelvoInputBtn" href="([^"]*)">Add</a>)re")))
      << deleted.body;
  const auto form = server_->Client().Get(HtmlDecode(add[1].str()));
  ASSERT_TRUE(form);
  EXPECT_TRUE(Says({form->status, form->body}, "name=\"Vexmo1FormInsert\" value=\"1\""))
      << form->body;
}

// Page files turn AccessibleMarkup on.
TEST_F(ServedEditTest, EditorsAreLabelledAndARefusedSaveNamesEveryFieldAtFault) {
  const std::string shown =
      Post("Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1PK=1").body;
  for (const std::string& piece : {
           std::string("method=\"post\" novalidate>"),
           std::string("<th class=\"KLVOTableFormDataEdit\" scope=\"row\"><label "
                       "for=\"klv1editor_2\"><span class=\"KelvoRequiredFieldLabel\">name"
                       "</span></label></th><td class=\"KLVOTableFormDataEdit\"><span "
                       "style=\"white-space:nowrap\"><input class=\"KelvoInput\" size=22 "
                       "type=\"text\" id=\"klv1editor_2\" name=\"Vexmo1_Form_name\" "
                       "value=\"Ann\" maxlength=\"20\" required aria-required=\"true\"><span "
                       "aria-hidden=\"true\">&nbsp;*&nbsp;</span></span>"),
           std::string("id=\"klv1editor_3\" name=\"Vexmo1_Form_qty\" value=\"3\" "
                       "maxlength=\"20\" inputmode=\"numeric\">"),
           std::string("id=\"klv1editor_4\" name=\"Vexmo1_Form_price\" value=\"2.5\" "
                       "maxlength=\"20\" inputmode=\"decimal\">"),
           std::string("<input class=\"KelvoInputBtn KelvoDeleteBtn\" "
                       "aria-describedby=\"Vexmo1DeleteNote\" type=\"submit\""),
           std::string("<span id=\"Vexmo1DeleteNote\" hidden>Deletes this record for good."
                       "</span>")}) {
    EXPECT_TRUE(Says({200, shown}, piece)) << piece << "\n" << shown;
  }
  // The visible Save is the form's first button, so no hidden one stands in for it.
  EXPECT_FALSE(Says({200, shown}, "KelvoDefaultBtn"));

  BrowserForm form(shown);
  form.Set("Vexmo1_Form_name", "");
  form.Set("Vexmo1_Form_qty", "<b>");
  form.Set("Vexmo1_Form_born", "soon");
  const Reply refused = Press(form, "Vexmo1FormUpdate");
  EXPECT_TRUE(Says(refused,
                   "<div role=\"alert\" class=\"KelvoSaveAlert\">Record WAS NOT SAVED. Check these "
                   "fields:<ul class=\"KelvoFieldsAtFault\"><li><a href=\"#klv1editor_2\">name"
                   "</a>: a value is required</li><li><a href=\"#klv1editor_3\">qty</a>: "
                   "&lt;b&gt; is not a number</li><li><a href=\"#klv1editor_5\">born</a>: "
                   "soon is not a valid date</li></ul></div>"))
      << refused.body;
  EXPECT_TRUE(Says(refused, "value=\"\" maxlength=\"20\" required aria-required=\"true\" "
                            "aria-invalid=\"true\" autofocus>"));
  EXPECT_TRUE(Says(refused, "value=\"&lt;b&gt;\" maxlength=\"20\" inputmode=\"numeric\" "
                            "aria-invalid=\"true\">"));
  EXPECT_EQ(Rows("SELECT name, qty FROM P WHERE id = 1"),
            (std::vector<std::vector<std::string>>{{"Ann", "3"}}));

  // Only empty fields: the language's own message; the reasons in that language.
  BrowserForm german = EditForm(2, "/leute");
  german.Set("Vexmo1_Form_name", "");
  EXPECT_TRUE(Says(Press(german, "Vexmo1FormUpdate", "/leute"),
                   "<div role=\"alert\" class=\"KelvoSaveAlert\">Record WAS NOT SAVED. Fill out "
                   "all required fields.<ul class=\"KelvoFieldsAtFault\"><li><a "
                   "href=\"#klv1editor_2\">name</a>: ein Wert ist erforderlich</li></ul></div>"));
}

// Every editor has an id that is valid and its own, named by its label and by the refusal's
// link to it, whatever its field is called; the posted names stay the field names.
TEST_F(ServedEditTest, EditorIdsAreValidAndUniqueWhateverTheFieldNames) {
  Execute("CREATE TABLE Q (id INTEGER PRIMARY KEY, \"first name\" VARCHAR(20) NOT NULL, "
          "\"it's\" VARCHAR(20) NOT NULL, \"a.b\" VARCHAR(20), \"a_b\" VARCHAR(20))");
  Execute("INSERT INTO Q VALUES (1, 'Ann', 'x', 'dot', 'under')");
  const std::string shown =
      Post("Vexmo1FormDisplay=formOneRec&Vexmo1FormEdit=Edit&Vexmo1PK=1", "/odd").body;
  // The id of each named editor, and the targets of the labels.
  const std::regex editor("<(?:input|textarea|select)[^>]* id=\"([^\"]*)\" name=\"([^\"]*)\"");
  std::map<std::string, std::string> id_of;
  std::set<std::string> ids;
  for (std::sregex_iterator it(shown.begin(), shown.end(), editor), end; it != end; ++it) {
    const std::string id = (*it)[1];
    EXPECT_TRUE(std::regex_match(id, std::regex("[A-Za-z][A-Za-z0-9_-]*"))) << id;
    EXPECT_TRUE(ids.insert(id).second) << "twice: " << id;
    id_of[(*it)[2]] = id;
  }
  for (const char* name : {"first name", "it&#39;s", "a.b", "a_b"}) {
    const std::string field = std::string("Vexmo1_Form_") + name;
    ASSERT_TRUE(id_of.contains(field)) << field << "\n" << shown;
    EXPECT_TRUE(Says({200, shown}, "<label for=\"" + id_of[field] + "\">")) << name;
  }

  BrowserForm form(shown);
  form.Set("Vexmo1_Form_first name", "");
  form.Set("Vexmo1_Form_it's", "");
  const Reply refused = Press(form, "Vexmo1FormUpdate", "/odd");
  for (const char* name : {"first name", "it&#39;s"}) {
    EXPECT_TRUE(Says(refused, "<a href=\"#" + id_of[std::string("Vexmo1_Form_") + name] +
                                  "\">" + name + "</a>"))
        << name << "\n" << refused.body;
  }
  BrowserForm again(refused.body);
  again.Set("Vexmo1_Form_first name", "Eve");
  again.Set("Vexmo1_Form_it's", "y");
  again.Set("Vexmo1_Form_a.b", "d");
  EXPECT_TRUE(Says(Press(again, "Vexmo1FormUpdate", "/odd"), "[Record saved ok]"));
  EXPECT_EQ(Rows("SELECT \"first name\", \"it's\", \"a.b\", \"a_b\" FROM Q"),
            (std::vector<std::vector<std::string>>{{"Eve", "y", "d", "under"}}));
}

}  // namespace
}  // namespace kelvo::testing
