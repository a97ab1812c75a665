#include <gtest/gtest.h>

#include "edit_page.h"
#include "kelvo/db_connection.h"

namespace kelvo::testing {
namespace {

using Row = std::vector<std::string>;

class UpdateEngineTest : public EditPageTest {
 protected:
  // Opens record `id`, lets `edit` change the form, presses `button`.
  RenderedPage Edit(const std::string& id, const std::function<void(BrowserForm&)>& edit,
                    const std::string& button = "Vexmo1FormUpdate",
                    const Configure& configure = Editing()) {
    BrowserForm form(OpenEdit(id, configure).output);
    if (edit) edit(form);
    return Press(form, button, configure);
  }
  RenderedPage Add(const std::function<void(BrowserForm&)>& edit,
                   const Configure& configure = Editing()) {
    BrowserForm form(OpenAdd(configure).output);
    if (edit) edit(form);
    return Press(form, "Vexmo1FormUpdate", configure);
  }
  static std::string Status(const RenderedPage& page) {
    return Between(page.output, "Vexmo1FormDelete\" value=\"Delete\">\r\n", "</td></tr>");
  }
  // The stored values of record `id`, the date as the database keeps it.
  Row Person(int id) {
    const auto rows = Rows(
        "SELECT id, name, qty, price, CAST(born AS TEXT), active, notes, photo, tag FROM P "
        "WHERE id = " +
        std::to_string(id));
    return rows.empty() ? Row() : rows[0];
  }
};

TEST_F(UpdateEngineTest, SaveWritesEveryClassOfField) {
  const RenderedPage page = Edit("2", [](BrowserForm& form) {
    form.Set("Vexmo1_Form_name", "Bo");
    form.Set("Vexmo1_Form_qty", "1,000");
    form.Set("Vexmo1_Form_price", "3.5");
    form.Set("Vexmo1_Form_born", "12/24/2001");
    form.Check("Vexmo1_Form_active", true);
    form.Set("Vexmo1_Form_notes", "line 1\nline 2");
    form.Set("Vexmo1_Form_tag", "t");
  });
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(page.mode, "formview");
  EXPECT_NE(page.output.find("&nbsp;[Record saved ok]</td></tr>"), std::string::npos);
  EXPECT_EQ(Person(2),
            (Row{"2", "Bo", "1000", "3.5", "2001-12-24", "True", "line 1\r\nline 2", "NULL", "t"}));
  Edit("1", [](BrowserForm& form) {
    form.Check("Vexmo1_Form_active", false);
    form.Set("Vexmo1_Form_tag", "");
    form.Set("Vexmo1_Form_born", "0");
  });
  EXPECT_EQ(Person(1), (Row{"1", "Ann", "3", "2.5", "NULL", "False", "note", "00FF", "NULL"}));
}

// A generated column and one a trigger sets change with the write itself; the save stands,
// and an insert leaves the generated column out.
TEST_F(UpdateEngineTest, ColumnsTheDatabaseSetsOnAWriteDoNotMakeTheSaveAConflict) {
  Execute("CREATE TABLE G (id " + KeyType() + ", qty INTEGER NOT NULL, touched INTEGER NOT NULL,"
          " twice INTEGER GENERATED ALWAYS AS (qty * 2) STORED)");
  if (OnPostgres()) {
    Execute("CREATE FUNCTION g_touch() RETURNS trigger LANGUAGE plpgsql AS "
            "$$BEGIN NEW.touched := OLD.touched + 1; RETURN NEW; END$$");
    Execute("CREATE TRIGGER g_touch BEFORE UPDATE ON G FOR EACH ROW EXECUTE FUNCTION g_touch()");
  } else {
    Execute("CREATE TRIGGER g_touch AFTER UPDATE OF qty ON G BEGIN "
            "UPDATE G SET touched = touched + 1 WHERE id = NEW.id; END");
  }
  Execute("INSERT INTO G (qty, touched) VALUES (3, 0)");
  const Configure on_g = Editing([](DbView& v) {
    v.SetSql("SELECT id, qty FROM G");
    v.SetFormSQL("SELECT * FROM G");
    v.SetEditSQL("SELECT * FROM G");
    v.SetDeleteSQL("DELETE FROM G");
  });
  const RenderedPage page =
      Edit("1", [](BrowserForm& form) { form.Set("Vexmo1_Form_qty", "5"); }, "Vexmo1FormUpdate",
           on_g);
  EXPECT_NE(page.output.find("&nbsp;[Record saved ok]"), std::string::npos) << page.output;
  EXPECT_EQ(Rows("SELECT qty, touched, twice FROM G"), (std::vector<Row>{{"5", "1", "10"}}));
  // A new record leaves the generated column to the table.
  const RenderedPage added = Add(
      [](BrowserForm& form) {
        form.Set("Vexmo1_Form_qty", "2");
        form.Set("Vexmo1_Form_touched", "0");
      },
      on_g);
  EXPECT_NE(added.output.find("[New record saved ok]"), std::string::npos) << added.output;
  EXPECT_EQ(Value("SELECT twice FROM G WHERE qty = 2"), "4");
}

// A field left blank in a new record gets the column's default rather than being required;
// an unticked box is a choice, and stays False.
TEST_F(UpdateEngineTest, BlankFieldsOfANewRecordTakeTheirDefaults) {
  Execute("CREATE TABLE D (id " + KeyType() + ", label VARCHAR(20) NOT NULL DEFAULT 'none', " +
          "note VARCHAR(20) DEFAULT 'n/a', flag BOOLEAN NOT NULL DEFAULT " +
          (OnPostgres() ? "TRUE" : "1") + ", made VARCHAR(30) NOT NULL DEFAULT CURRENT_TIMESTAMP)");
  const Configure on_d = Editing([](DbView& v) {
    v.SetSql("SELECT * FROM D");
    v.SetFormSQL("SELECT * FROM D");
    v.SetEditSQL("SELECT * FROM D");
    v.SetDeleteSQL("DELETE FROM D");
  });
  const RenderedPage page = Add(nullptr, on_d);
  EXPECT_NE(page.output.find("[New record saved ok]"), std::string::npos) << page.output;
  // The box of a column whose default is true starts ticked; cleared, it writes false.
  Add([](BrowserForm& form) { form.Check("Vexmo1_Form_flag", false); }, on_d);
  const auto rows = Rows("SELECT label, note, flag, made IS NOT NULL FROM D ORDER BY id");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "none");
  EXPECT_EQ(rows[0][1], "n/a");
  EXPECT_EQ(rows[0][2], "True");
  EXPECT_EQ(rows[0][3], OnPostgres() ? "True" : "1");
  EXPECT_EQ(rows[1][2], "False");
}

TEST_F(UpdateEngineTest, InvalidValuesAreRefusedAndNothingIsWritten) {
  const Row before = Person(1);
  RenderedPage page = Edit("1", [](BrowserForm& form) {
    form.Set("Vexmo1_Form_tag", "changed");
    form.Set("Vexmo1_Form_qty", "<b>x</b>");
  });
  EXPECT_EQ(Status(page), "&nbsp;&lt;b&gt;x&lt;/b&gt; is not a number");
  EXPECT_EQ(page.mode, "formview");  // the form shows again through the failed save
  EXPECT_NE(page.output.find("id=\"Vexmo1_Form_qty\" name=\"Vexmo1_Form_qty\" "
                             "value=\"&lt;b&gt;x&lt;/b&gt;\""),
            std::string::npos);
  page = Edit("1", [](BrowserForm& form) { form.Set("Vexmo1_Form_born", "31/31/2000"); });
  EXPECT_EQ(Status(page), "&nbsp;31/31/2000 is not a valid date");
  page = Edit("1", [](BrowserForm& form) {
    form.Set("Vexmo1_Form_tag", "changed");
    form.Set("Vexmo1_Form_name", "");
  });
  EXPECT_EQ(Status(page), "&nbsp;Record WAS NOT SAVED. Fill out all required fields.");
  page = Edit(
      "1", [](BrowserForm& form) { form.Set("Vexmo1_Form_qty", "2.5"); }, "Vexmo1FormUpdate",
      Editing([](DbView& v) { v.SetDisplayDebug(true); }));
  EXPECT_NE(page.errors.find("is not a whole number in UpdateRecord.<br>sql='SELECT * FROM P "
                             "WHERE (id=1)'<br>"),
            std::string::npos)
      << page.errors;
  EXPECT_NE(Status(page).find("Record WAS NOT SAVED: "), std::string::npos);
  EXPECT_EQ(Person(1), before);
}

TEST_F(UpdateEngineTest, NumbersAreReadAsThePagesLocaleWritesThem) {
  const struct {
    const char* locale;
    const char* price;    // 1500.25 as the locale writes it
    const char* qty;      // 2000
    const char* misread;  // a text another locale reads as a number
  } locales[] = {{"en-US", "1,500.25", "2,000", "1,5"},
                 {"en-GB", "1,500.25", "2,000", "1.500,25"},
                 {"de-DE", "1.500,25", "2.000", "1.5"},
                 {"nb-NO", "1\u00A0500,25", "2 000", "1.500"}};
  for (const auto& l : locales) {
    options_.locale = l.locale;
    Execute("UPDATE P SET price = NULL, qty = NULL WHERE id = 2");
    RenderedPage page = Edit("2", [&](BrowserForm& form) {
      form.Set("Vexmo1_Form_price", l.price);
      form.Set("Vexmo1_Form_qty", l.qty);
    });
    EXPECT_NE(page.output.find("&nbsp;[Record saved ok]"), std::string::npos) << l.locale;
    EXPECT_EQ(Person(2)[2], "2000") << l.locale;
    EXPECT_EQ(Person(2)[3], "1500.25") << l.locale;
    page = Edit("2", [&](BrowserForm& form) { form.Set("Vexmo1_Form_price", l.misread); });
    EXPECT_EQ(Status(page), "&nbsp;" + std::string(l.misread) + " is not a number") << l.locale;
    EXPECT_EQ(Person(2)[3], "1500.25") << l.locale;
  }
}

TEST_F(UpdateEngineTest, InsertAssignsKeysByStatementOrByTheDatabase) {
  RenderedPage page = Add(
      [](BrowserForm& form) {
        form.Set("Vexmo1_Form_name", "Cy");
        form.Set("Vexmo1_Form_id", "77");  // read-only: the statement decides
      },
      Editing([](DbView& v) {
        v.SetEditNewPKStatement("SELECT COALESCE(MAX(id),0)+10 FROM P");
        v.SetEditFieldsReadOnly("id");
      }));
  EXPECT_EQ(page.errors, "");
  EXPECT_NE(page.output.find("&nbsp;[New record saved ok]"), std::string::npos);
  EXPECT_EQ(Value("SELECT name FROM P WHERE id = 12"), "Cy");
  // A sequence does not follow keys given explicitly; SQLite's next key is already 13.
  if (OnPostgres()) Execute("SELECT setval(pg_get_serial_sequence('p', 'id'), 12)");
  page = Add([](BrowserForm& form) { form.Set("Vexmo1_Form_name", "Di"); },
             Editing([](DbView& v) { v.SetEditNewPKStatement("AutoIncrement"); }));
  EXPECT_EQ(Value("SELECT name FROM P WHERE id = 13"), "Di");
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "4");
}

TEST_F(UpdateEngineTest, FailedInsertStaysAnInsert) {
  BrowserForm form(OpenAdd(Editing()).output);
  form.Set("Vexmo1_Form_name", "Eve");
  form.Set("Vexmo1_Form_qty", "many");
  const RenderedPage failed = Press(form, "Vexmo1FormUpdate", Editing());
  EXPECT_NE(failed.output.find("&nbsp;many is not a number"), std::string::npos);
  BrowserForm again(failed.output);
  EXPECT_EQ(again.Value("Vexmo1FormInsert"), "1");
  EXPECT_EQ(again.Value("Vexmo1_Form_name"), "Eve");
  again.Set("Vexmo1_Form_qty", "4");
  const RenderedPage saved = Press(again, "Vexmo1FormUpdate", Editing());
  EXPECT_NE(saved.output.find("[New record saved ok]"), std::string::npos) << saved.output;
  EXPECT_EQ(Value("SELECT qty FROM P WHERE name = 'Eve'"), "4");
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "3");
}

TEST_F(UpdateEngineTest, AnAddFormsListsStartUnchosenAndMustBeChosen) {
  Execute("CREATE TABLE N (v VARCHAR(20))");
  Execute("INSERT INTO N VALUES ('Ann'), ('Zed')");
  const Configure lists = Editing([](DbView& v) {
    v.AddEditLookup("name", "N", "v", "v", "v", false);  // a NOT NULL field
    v.AddEditLookup("tag", "N", "v", "v", "v", false);   // nullable, but the list offers no null
  });
  BrowserForm form(OpenAdd(lists).output);
  EXPECT_EQ(form.Value("Vexmo1_Form_name"), "");
  EXPECT_EQ(form.Value("Vexmo1_Form_tag"), "");
  RenderedPage page = Press(form, "Vexmo1FormUpdate", lists);
  EXPECT_NE(page.output.find("&nbsp;Record WAS NOT SAVED. Fill out all required fields."),
            std::string::npos);
  BrowserForm again(page.output);
  EXPECT_EQ(again.Value("Vexmo1FormInsert"), "1");
  again.Set("Vexmo1_Form_name", "Zed");
  page = Press(again, "Vexmo1FormUpdate", lists);
  EXPECT_NE(page.output.find("&nbsp;Record WAS NOT SAVED. Fill out all required fields."),
            std::string::npos);
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "2");
  BrowserForm last(page.output);
  EXPECT_EQ(last.Value("Vexmo1_Form_name"), "Zed");
  last.Set("Vexmo1_Form_tag", "Ann");
  page = Press(last, "Vexmo1FormUpdate", lists);
  EXPECT_NE(page.output.find("&nbsp;[New record saved ok]"), std::string::npos) << page.output;
  EXPECT_EQ(Rows("SELECT name, tag FROM P WHERE id > 2"), (std::vector<Row>{{"Zed", "Ann"}}));
}

TEST_F(UpdateEngineTest, ReadOnlyFieldsByNameOrPositionAreNotSaved) {
  Edit(
      "1",
      [](BrowserForm& form) {
        form.Set("Vexmo1_Form_name", "Anne");
        form.Set("Vexmo1_Form_qty", "9");  // the carriers, as a script could
        form.Set("Vexmo1_Form_price", "9");
        form.Set("Vexmo1_Form_tag", "b");
      },
      "Vexmo1FormUpdate", Editing([](DbView& v) { v.SetEditFieldsReadOnly("qty,4"); }));
  EXPECT_EQ(Person(1), (Row{"1", "Anne", "3", "2.5", "1990-05-01", "True", "note", "00FF", "b"}));
}

TEST_F(UpdateEngineTest, DeleteRemovesTheRecordAndAMissingOneStillCounts) {
  Execute("INSERT INTO P (id, name) VALUES (3, 'Cy')");  // the view shows the status with it
  RenderedPage page = Edit("2", nullptr, "Vexmo1FormDelete");
  EXPECT_EQ(page.errors, "");
  EXPECT_NE(page.output.find("&nbsp;[Record deleted]"), std::string::npos);
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P WHERE id = 2"), "0");
  BrowserForm stale(OpenEdit("1", Editing()).output);
  Execute("DELETE FROM P WHERE id = 1");
  page = Press(stale, "Vexmo1FormDelete", Editing());
  EXPECT_NE(page.output.find("&nbsp;[Record deleted]"), std::string::npos);
}

TEST_F(UpdateEngineTest, DeleteWithoutDeleteStatementSavesInstead) {
  BrowserForm form(OpenEdit("1", Editing()).output);
  form.Set("Vexmo1_Form_tag", "kept");
  const std::string body = form.Body("Vexmo1FormUpdate") + "&Vexmo1FormDelete=Delete";
  const RenderedPage page =
      Render(RequestData::Post("/list.asp", body), Editing([](DbView& v) { v.SetDeleteSQL(""); }));
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(Value("SELECT tag FROM P WHERE id = 1"), "kept");
}

TEST_F(UpdateEngineTest, WithoutUpdateOrWithUpdatesOffNothingIsWritten) {
  BrowserForm form(OpenEdit("1", Editing()).output);
  form.Set("Vexmo1_Form_tag", "x");
  RenderedPage page =
      Press(form, "Vexmo1FormUpdate", Editing([](DbView& v) { v.SetEditOptions("ADD DELETE"); }));
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(page.output.find("[Record"), std::string::npos);
  page =
      Press(form, "Vexmo1FormDelete", Editing([](DbView& v) { v.SetEditPerformUpdates(false); }));
  EXPECT_EQ(Value("SELECT tag FROM P WHERE id = 1"), "a");
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "2");
}

TEST_F(UpdateEngineTest, AnEditedKeyMovesItsOwnRecord) {
  RenderedPage page = Edit("1", [](BrowserForm& form) { form.Set("Vexmo1_Form_id", "5"); });
  EXPECT_EQ(page.errors, "");
  EXPECT_EQ(Rows("SELECT id, name FROM P ORDER BY id"),
            (std::vector<Row>{{"2", "Bob"}, {"5", "Ann"}}));
  page = Edit("5", [](BrowserForm& form) {
    form.Set("Vexmo1_Form_id", "2");
    form.Set("Vexmo1_Form_name", "Overwrite");
  });
  EXPECT_NE(Status(page).find("Record WAS NOT SAVED: "), std::string::npos) << Status(page);
  EXPECT_NE(page.errors.find("Update failed: "), std::string::npos);
  EXPECT_EQ(Rows("SELECT id, name FROM P ORDER BY id"),
            (std::vector<Row>{{"2", "Bob"}, {"5", "Ann"}}));
}

TEST_F(UpdateEngineTest, AKeyMatchingSeveralRecordsChangesNone) {
  Execute("UPDATE P SET name = 'Same'");
  const Configure by_name = Editing([](DbView& v) {
    v.SetEditPrimaryKeys("name");
    v.SetSql("SELECT name FROM P");
  });
  RenderedPage page = Edit(
      "Same", [](BrowserForm& form) { form.Set("Vexmo1_Form_tag", "x"); }, "Vexmo1FormUpdate",
      by_name);
  EXPECT_EQ(Status(page),
            "Record WAS NOT SAVED: The key matches more than one record; nothing was saved<br>");
  page = Edit("Same", nullptr, "Vexmo1FormDelete", by_name);
  EXPECT_NE(page.output.find("Delete failed: The key matches 2 records; nothing was deleted<br>"),
            std::string::npos);
  EXPECT_EQ(page.errors, "The key matches 2 records; nothing was deleted in UpdateRecord.<br>");
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P WHERE tag = 'x'"), "0");
  EXPECT_EQ(Value("SELECT COUNT(*) FROM P"), "2");
}

TEST_F(UpdateEngineTest, RefusedWritesSayWhy) {
  if (OnPostgres()) {
    Execute(
        "CREATE FUNCTION no_bob() RETURNS trigger LANGUAGE plpgsql AS "
        "$$BEGIN RAISE EXCEPTION 'no <Bobby>'; END$$");
    Execute(
        "CREATE TRIGGER NoBob BEFORE UPDATE ON P FOR EACH ROW WHEN (NEW.name = 'Bobby') "
        "EXECUTE FUNCTION no_bob()");
  } else {
    Execute(
        "CREATE TRIGGER NoBob BEFORE UPDATE ON P WHEN NEW.name = 'Bobby' "
        "BEGIN SELECT RAISE(ABORT, 'no <Bobby>'); END");
  }
  RenderedPage page = Edit("2", [](BrowserForm& form) { form.Set("Vexmo1_Form_name", "Bobby"); });
  EXPECT_EQ(Status(page), "Record WAS NOT SAVED: no &lt;Bobby&gt;<br>");
  EXPECT_EQ(page.errors, "Update failed: no <Bobby><br>");
  // A statement that cannot be opened for the save: the rendering after it fails too, so the
  // status is read from the grid.
  BrowserForm form(OpenEdit("2", Editing()).output);
  form.Set("Vexmo1_Form_name", "x");
  std::string status;
  page = Render(RequestData::Post("/list.asp", form.Body("Vexmo1FormUpdate")),
                Editing([](DbView& v) { v.SetEditSQL("SELECT * FROM P, P AS Q"); }),
                [&](DbView& v) { status = v.state().mvarStatusText; });
  const std::string ambiguous =
      OnPostgres() ? "column reference \"id\" is ambiguous" : "ambiguous column name: id";
  EXPECT_TRUE(page.errors.starts_with(
      "Unable to open recordset. sql='SELECT * FROM P, P AS Q WHERE (id=2)' " + ambiguous + "<br>"))
      << page.errors;
  const std::string shown =
      OnPostgres() ? "column reference &quot;id&quot; is ambiguous" : "ambiguous column name: id";
  EXPECT_EQ(status, "Record WAS NOT SAVED: " + shown + "<br>");
  page = Render(RequestData::Post("/list.asp", form.Body("Vexmo1FormUpdate")),
                Editing([](DbView& v) { v.SetEditPrimaryKeys(""); }),
                [&](DbView& v) { status = v.state().mvarStatusText; });
  EXPECT_TRUE(page.errors.starts_with("Kelvo property EditPrimaryKeys must be set!<br>"));
  EXPECT_EQ(status, "Record WAS NOT SAVED: Kelvo property EditPrimaryKeys must be set!<br>");
}

TEST_F(UpdateEngineTest, TheDebugRowShowsThePostedKeyEncoded) {
  Execute("CREATE TABLE K (code VARCHAR(10) PRIMARY KEY, label VARCHAR(10))");
  Execute("INSERT INTO K VALUES ('<i>', 'x')");
  const RenderedPage page = OpenEdit("<i>", [](DbView& v) {
    v.SetSql("SELECT code FROM K");
    v.SetEditSQL("SELECT * FROM K");
    v.SetEditPrimaryKeys("code");
    v.SetEditOptions("UPDATE");
    v.SetDisplayDebug(true);
  });
  EXPECT_NE(page.output.find("\r\nSELECT * FROM K WHERE (code=&#39;&lt;i&gt;&#39;)</td></tr>"),
            std::string::npos)
      << page.output;
  EXPECT_NE(page.output.find("value=\"&lt;i&gt;\""), std::string::npos);
}

}  // namespace
}  // namespace kelvo::testing
