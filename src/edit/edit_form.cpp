#include "edit/edit_form.h"

#include <optional>
#include <string>

#include "component/captions.h"
#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_conflict.h"
#include "edit/edit_names.h"
#include "edit/editor_values.h"
#include "edit/field_editor.h"
#include "edit/key_condition.h"
#include "edit/posted_change.h"
#include "edit/record_hash.h"
#include "kelvo/convert.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFailure = " in RenderEditForm<br>";

std::string HiddenInput(std::string_view name, std::string_view value) {
  return "<input type=\"hidden\" name=\"" + HtmlAttributeEncode(name) + "\" value=\"" +
         HtmlAttributeEncode(value) + "\">" + std::string(kCrLf);
}

class EditFormWriter : GuardedWriter {
 public:
  EditFormWriter(DbViewState& s, Recordset& recordset)
      : GuardedWriter(s, std::string(kFailure)), recordset_(recordset) {}

  void Write();
  void WriteBar();

 private:
  void Prepare();
  void WriteButtonBar();
  void WriteStatus();
  std::string DeleteButton(std::string_view confirm) const;
  void WriteButtons();
  void WriteDeleteQuestion();
  std::string DeleteQuestion() const;
  std::string LeaveScript() const;
  void WriteRecordIdentity();
  std::string Button(std::string_view suffix, std::string_view caption,
                     std::string_view confirm = {}, std::string_view attributes = {}) const;
  void WriteFields(FieldCollection& fields);
  void WriteFieldRow(Field& field, int column);
  void WriteCaptionCell(Field& field, int column, const std::string& width, bool labelled);

  Recordset& recordset_;
  std::string table_class_;
  std::string button_class_;
  bool add_mode_ = false;
  bool insert_marker_ = false;
  bool conflict_shown_ = false;
};

// `attributes`, when given, replace the button class.
std::string EditFormWriter::Button(std::string_view suffix, std::string_view caption,
                                   std::string_view confirm, std::string_view attributes) const {
  return "<input" + (attributes.empty() ? button_class_ : std::string(attributes)) + "type=\"submit\" onclick=\"FormKelvoGrid" + s_.Tag + ".Vexmo" +
         s_.Tag + "FormEdit.value=''" + std::string(confirm) + "\" name=\"Vexmo" + s_.Tag +
         std::string(suffix) + "\" value=\"" + std::string(caption) + "\">" + std::string(kCrLf);
}

// The key values and the record check of the record as shown. After a save refused for
// another reason the check is the posted one, so that a change made meanwhile is still found;
// after a change by another user, and whenever the form shows the stored record, it is the
// version now stored.
void EditFormWriter::WriteRecordIdentity() {
  const bool show_posted = s_.mvarUpdateFailed && !s_.mvarShowStored;
  if (!s_.EditPrimaryKeys.empty()) {
    for (const std::string& key : KeyList(s_)) {
      Guarded([&] {
        std::optional<std::string> value;
        if (show_posted) {
          value = PostedValue(s_, OriginalKeyName(s_, key));
        } else if (const Variant stored = recordset_.Fields().Item(key).Value(); !stored.IsNull()) {
          value = CStr(stored, PageLocale(s_));
        }
        if (value) detail::Write(s_, HiddenInput(OriginalKeyName(s_, key), *value));
      });
    }
  }
  Guarded([&] {
    if (show_posted && !s_.mvarChangedByOther) {
      for (const std::string& name : {RecordVersionName(s_), RecordHashName(s_)}) {
        if (const auto posted = PostedValue(s_, name))
          detail::Write(s_, HiddenInput(name, *posted));
      }
    } else {
      detail::Write(s_, RecordCheckInputs(s_, VersionOf(s_, recordset_)));
    }
  });
}

void EditFormWriter::WriteButtonBar() {
  Put(std::string(s_.AccessibleMarkup ? "<tr><td><table style=\"width:100%;border-spacing:0\">"
                                      : "<tr><td><table width=\"100%\" cellspacing=0 cellpadding=0>") +
      std::string(kCrLf));
  // The bar's table has one column: with AccessibleMarkup no cell spans a second.
  const std::string span = s_.AccessibleMarkup ? "" : " colspan=2";
  Put("<tr><td" + span + (s_.UseCSS ? " class=\"KelvoEditBtnBar\">" : ">") + std::string(kCrLf));
  Put("<input type=\"hidden\" name=\"Vexmo" + s_.Tag + "FormEdit\" value=\"1\">" +
      std::string(kCrLf));
  Put("<input type=\"hidden\" name=\"Vexmo" + s_.Tag + "FormInsert\" value=\"" +
      (insert_marker_ ? "1" : "") + "\">" + std::string(kCrLf));
  if (insert_marker_) {
    Guarded([&] { detail::Write(s_, InsertCheckInput(s_)); });
  } else {
    WriteRecordIdentity();
  }
  if (s_.mvarDeleteUnconfirmed) {
    WriteDeleteQuestion();
  } else {
    WriteButtons();
  }
  WriteStatus();
  if (s_.mvarChangedByOther && !s_.mvarStartedFrom.empty()) {
    Put("<div class=\"KelvoConflictHelp\">" + std::string(FormText(s_, TxtConflictHelp)) +
        "</div>");
  }
  Put("</td></tr>" + std::string(kCrLf) + std::string(kCrLf));
  Put("</table></td></tr>" + std::string(kCrLf));
}

// After a refused save, with AccessibleMarkup, the status is an alert that screen readers
// announce when the form comes back.
void EditFormWriter::WriteStatus() {
  if (s_.AccessibleMarkup && s_.mvarUpdateFailed && !s_.mvarStatusText.empty()) {
    Put("<div role=\"alert\" class=\"KelvoSaveAlert\">" + s_.mvarStatusText + "</div>");
  } else {
    Put(s_.mvarStatusText);
  }
}

void EditFormWriter::WriteButtons() {
  Guarded([&] { detail::Write(s_, Button("FormUpdate", ButtonText(s_, BtnSave))); });
  if (GuardedIf([&] { return s_.EditOptions.find("NOVIEW") == std::string::npos; })) {
    Guarded([&] { detail::Write(s_, "&nbsp;" + Button("FormView", ButtonText(s_, BtnClose))); });
  }
  // A new record, whether just opened or refused, has nothing to delete yet.
  if (insert_marker_) return;
  if (GuardedIf([&] { return s_.EditOptions.find("ADD") != std::string::npos; })) {
    Guarded([&] { detail::Write(s_, "&nbsp;" + Button("FormAdd", ButtonText(s_, BtnAdd))); });
  }
  if (GuardedIf([&] {
        return s_.EditOptions.find("DELETE") != std::string::npos && !s_.DeleteSQL.empty();
      })) {
    Guarded([&] {
      std::string confirm = ";";
      if (DeleteNeedsConfirmation(s_)) {
        // The dialog's yes is what the engine takes as the confirmation; without script the
        // engine asks by a form of its own.
        const std::string form = "FormKelvoGrid" + s_.Tag + ".";
        detail::Write(s_, HiddenInput(DeleteConfirmName(s_), ""));
        confirm += "if(!confirm('" + JsStringAttributeEncode(DeleteQuestion()) +
                   "'))return false;" + form + DeleteConfirmName(s_) + ".value='1';";
      } else if (!s_.EditConfirmDeleteString.empty()) {
        confirm += "return confirm('" + JsStringAttributeEncode(s_.EditConfirmDeleteString) + "');";
      }
      detail::Write(s_, "&nbsp;" + DeleteButton(confirm));
    });
  }
}

// With AccessibleMarkup the Delete button looks and is described as what it is: the one
// button that cannot be undone.
std::string EditFormWriter::DeleteButton(std::string_view confirm) const {
  if (!s_.AccessibleMarkup) return Button("FormDelete", ButtonText(s_, BtnDelete), confirm);
  const std::string note = ParameterName(s_, "DeleteNote");
  return Button("FormDelete", ButtonText(s_, BtnDelete), confirm,
                std::string(s_.UseCSS ? " class=\"KelvoInputBtn KelvoDeleteBtn\"" : "") +
                    " aria-describedby=\"" + note + "\" ") +
         "<span id=\"" + note + "\" hidden>" + HtmlAttributeEncode(FormText(s_, TxtDeleteNote)) +
         "</span>" + std::string(kCrLf);
}

// A delete posted without its confirmation: the question, and the buttons that confirm it or
// go back to the record.
void EditFormWriter::WriteDeleteQuestion() {
  Put("<input type=\"hidden\" name=\"" + DeleteConfirmName(s_) + "\" value=\"1\">" +
      std::string(kCrLf));
  Put("<strong class=\"KelvoDeleteQuestion\">" + HtmlAttributeEncode(DeleteQuestion()) +
      "</strong>&nbsp;" + std::string(kCrLf));
  Guarded([&] { detail::Write(s_, DeleteButton({})); });
  Guarded([&] {
    detail::Write(s_, "&nbsp;" + Button("FormView", std::string(FormText(s_, TxtCancel))));
  });
}

std::string EditFormWriter::DeleteQuestion() const {
  return s_.EditConfirmDeleteString.empty() ? std::string(FormText(s_, TxtDeleteQuestion))
                                            : s_.EditConfirmDeleteString;
}

// With AccessibleMarkup the caption is the editor's label, the cell a row header, and the
// width a style rather than the obsolete attribute.
void EditFormWriter::WriteCaptionCell(Field& field, int column, const std::string& width,
                                      bool labelled) {
  const std::string head = (s_.THTag.empty() ? std::string("align=left") : s_.THTag) + width;
  std::string caption = GetFormCaption(s_, column, field.Name());
  if ((field.Attributes() & ado::adFldIsNullable) == 0) {
    caption = std::string(s_.UseCSS ? "<span class=\"KelvoRequiredFieldLabel\">" : "<span>") +
              caption + "</span>";
  }
  if (!s_.AccessibleMarkup) {
    detail::Write(s_, s_.UseCSS ? "<th" + table_class_ + " " + head + ">" + caption + "</th>"
                                : "<th " + head + ">" + caption + "</th>");
    return;
  }
  if (labelled) {
    caption = "<label for=\"" + HtmlAttributeEncode(EditorTarget(s_, field.Name(), column)) +
              "\">" +
              caption + "</label>";
  }
  const std::string tags(Trim(s_.THTag));
  detail::Write(s_, "<th" + table_class_ + " scope=\"row\"" + (tags.empty() ? "" : " " + tags) +
                        width + ">" + caption + "</th>");
}

void EditFormWriter::WriteFieldRow(Field& field, int column) {
  Put("<tr" + table_class_ + ">" + std::string(kCrLf));
  std::string width;
  // Binary data has no editor to label.
  bool labelled = false;
  if (s_.AccessibleMarkup) {
    Guarded([&] { labelled = EditorKindOf(field.Type()) != EditorKind::kNone; });
  }
  if (s_.DisplayHeader) {
    Guarded([&] {
      width = GetListItem(s_.FormCellWidths, 1, "");
      if (!width.empty() && s_.AccessibleMarkup) {
        const bool bare = width.find_first_not_of("0123456789") == std::string::npos;
        width = " style=\"width:" + HtmlAttributeEncode(width) + (bare ? "px" : "") + "\"";
      } else if (!width.empty()) {
        width = " width=\"" + width + "\"";
      }
      WriteCaptionCell(field, column, width, labelled);
    });
  }
  std::string cell_tags = s_.TDTag.empty() ? std::string() : " " + s_.TDTag;
  if (!s_.FormTDTag.empty()) cell_tags = " " + s_.FormTDTag + cell_tags;
  Put("<td" + table_class_ + cell_tags + width + ">");
  if (labelled && !s_.DisplayHeader) {
    Guarded([&] {
      detail::Write(s_, "<label for=\"" +
                            HtmlAttributeEncode(EditorTarget(s_, field.Name(), column)) +
                            "\" style=\"position:absolute;left:-10000px;width:1px;height:1px;"
                            "overflow:hidden\">" +
                            GetFormCaption(s_, column, field.Name()) + "</label>");
    });
  }
  Put(GetFormEditField(s_, field, column));
  if (s_.mvarChangedByOther) {
    Guarded([&] {
      const std::string block = ConflictBlock(s_, field, column, !conflict_shown_);
      conflict_shown_ = conflict_shown_ || !block.empty();
      detail::Write(s_, block);
    });
  }
  Put("</td>" + std::string(kCrLf) + "</tr>" + std::string(kCrLf));
}

void EditFormWriter::WriteFields(FieldCollection& fields) {
  int column = 0;
  for (Field& field : fields) {
    ++column;
    if (GuardedIf([&] { return IsFormFieldShown(s_, field.Name(), column); })) {
      WriteFieldRow(field, column);
    } else if (GuardedIf([&] { return IsPrimaryKeyField(s_, field.Name()); })) {
      // Not shown, but its value must be posted: a hidden input outside the rows, or with
      // AccessibleMarkup in a hidden row, as a table holds no input of its own.
      if (s_.AccessibleMarkup) {
        Put("<tr hidden><td>" + GetFormEditField(s_, field, column) + "</td></tr>" +
            std::string(kCrLf));
      } else {
        Put(GetFormEditField(s_, field, column));
      }
    }
  }
}

void EditFormWriter::Prepare() {
  table_class_ = s_.UseCSS ? " class=\"KLVOTableFormDataEdit\"" : "";
  button_class_ = s_.UseCSS ? " class=\"KelvoInputBtn\" " : " ";
  Guarded([&] {
    add_mode_ = IsPresent(s_, "FormAdd");
    // A failed insert stays an insert.
    insert_marker_ = add_mode_ || IsRefusedInsert(s_);
  });
}

void EditFormWriter::WriteBar() {
  Prepare();
  WriteButtonBar();
}

void EditFormWriter::Write() {
  Prepare();
  // With AccessibleMarkup the driver has written the button bar already, ahead of the
  // navigation bar.
  if (!s_.AccessibleMarkup) WriteButtonBar();
  const std::string attributes = s_.TableTag + " " + s_.FormTableTag;
  Put(std::string(s_.AccessibleMarkup ? "<tr><td><table style=\"width:100%\""
                                      : "<tr><td><table width=\"100%\"") +
      table_class_ +
      (Trim(attributes).empty() ? std::string() : " " + attributes) + ">" + std::string(kCrLf));
  FieldCollection* fields = nullptr;
  Guarded([&] { fields = &recordset_.Fields(); });
  if (fields) WriteFields(*fields);
  if (!add_mode_) Guarded([&] { s_.mvarCurrentRowValues = recordset_.GetRows(); });
  Put("</table></td></tr>" + std::string(kCrLf));
  if (conflict_shown_) Guarded([&] { detail::Write(s_, ConflictScript(s_)); });
  if (s_.EditConfirmLeave) Guarded([&] { detail::Write(s_, LeaveScript()); });
}

// Asks before a post or a link leaves the form with changes unsaved: after a change, or
// from the start when the form shows values of a save that failed. Save and Delete (which
// asks its own question) go on. The form element opens inside a table, where the parser
// leaves it empty: its controls belong to it without being inside it, so events are heard
// on the document.
std::string EditFormWriter::LeaveScript() const {
  const std::string form = JsStringAttributeEncode("FormKelvoGrid" + s_.Tag);
  const std::string save = JsStringAttributeEncode(ParameterName(s_, "FormUpdate"));
  const std::string remove = JsStringAttributeEncode(ParameterName(s_, "FormDelete"));
  return "<script>(function(){var f=document.getElementById('" + form +
         "'),d=" + (s_.mvarUpdateFailed ? "true" : "false") + ",q='" +
         JsStringAttributeEncode(FormText(s_, TxtLeaveUnsaved)) +
         "';if(!f)return;function m(e){if(e.target.form===f)d=true;}"
         "document.addEventListener('input',m);document.addEventListener('change',m);"
         "f.addEventListener('submit',function(e){var b=e.submitter,n=b?b.name:'';"
         "if(!d||n==='" +
         save + "'||n==='" + remove +
         "')return;if(!confirm(q))e.preventDefault();});"
         "document.addEventListener('click',function(e){"
         "var a=e.target.closest?e.target.closest('a[href]'):null;"
         "if(a&&d&&!confirm(q))e.preventDefault();});"
         "})();</script>\r\n";
}

}  // namespace

std::string EditFormDefaultButton(const DbViewState& s) {
  const bool asking = s.mvarDeleteUnconfirmed;
  return "<input type=\"submit\" class=\"KelvoDefaultBtn\" tabindex=\"-1\" aria-hidden=\"true\" "
         "style=\"position:absolute;left:-10000px;width:1px;height:1px;overflow:hidden\" "
         "onclick=\"FormKelvoGrid" +
         s.Tag + ".Vexmo" + s.Tag + "FormEdit.value=''\" name=\"" +
         ParameterName(s, asking ? "FormView" : "FormUpdate") + "\" value=\"" +
         (asking ? std::string(FormText(s, TxtCancel)) : ButtonText(s, BtnSave)) + "\">" +
         std::string(kCrLf);
}

void RenderEditForm(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown) {
  rows_shown = 1;
  if (GuardedTest(s, kFailure, [&] { return recordset.Eof(); })) return;
  EditFormWriter(s, recordset).Write();
}

void RenderEditButtonBar(DbViewState& s, Recordset& recordset) {
  if (GuardedTest(s, kFailure, [&] { return recordset.Eof(); })) return;
  EditFormWriter(s, recordset).WriteBar();
}

}  // namespace kelvo::detail
