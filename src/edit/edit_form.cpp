#include "edit/edit_form.h"

#include <optional>
#include <string>

#include "component/captions.h"
#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_names.h"
#include "edit/field_editor.h"
#include "edit/key_condition.h"
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

 private:
  void WriteButtonBar();
  void WriteRecordIdentity();
  std::string Button(std::string_view suffix, std::string_view caption,
                     std::string_view confirm = {}) const;
  void WriteFields(FieldCollection& fields);
  void WriteFieldRow(Field& field, int column);

  Recordset& recordset_;
  std::string table_class_;
  std::string button_class_;
  bool add_mode_ = false;
  bool insert_marker_ = false;
};

std::string EditFormWriter::Button(std::string_view suffix, std::string_view caption,
                                   std::string_view confirm) const {
  return "<input" + button_class_ + "type=\"submit\" onclick=\"FormKelvoGrid" + s_.Tag + ".Vexmo" +
         s_.Tag + "FormEdit.value=''" + std::string(confirm) + "\" name=\"Vexmo" + s_.Tag +
         std::string(suffix) + "\" value=\"" + std::string(caption) + "\">" + std::string(kCrLf);
}

// The key values and the hash of the record as shown; after a failed save, as first shown.
void EditFormWriter::WriteRecordIdentity() {
  const bool show_posted = s_.mvarUpdateFailed && !s_.mvarChangedByOther;
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
    const std::optional<std::string> hash =
        show_posted ? PostedValue(s_, RecordHashName(s_)) : RecordHash(s_, recordset_);
    if (hash) detail::Write(s_, HiddenInput(RecordHashName(s_), *hash));
  });
}

void EditFormWriter::WriteButtonBar() {
  Put("<tr><td><table width=\"100%\" cellspacing=0 cellpadding=0>" + std::string(kCrLf));
  Put(std::string(s_.UseCSS ? "<tr><td colspan=2 class=\"KelvoEditBtnBar\">"
                            : "<tr><td colspan=2>") +
      std::string(kCrLf));
  Put("<input type=\"hidden\" name=\"Vexmo" + s_.Tag + "FormEdit\" value=\"1\">" +
      std::string(kCrLf));
  Put("<input type=\"hidden\" name=\"Vexmo" + s_.Tag + "FormInsert\" value=\"" +
      (insert_marker_ ? "1" : "") + "\">" + std::string(kCrLf));
  if (!insert_marker_) WriteRecordIdentity();
  Guarded([&] { detail::Write(s_, Button("FormUpdate", ButtonText(s_, BtnSave))); });
  if (GuardedIf([&] { return s_.EditOptions.find("NOVIEW") == std::string::npos; })) {
    Guarded([&] { detail::Write(s_, "&nbsp;" + Button("FormView", ButtonText(s_, BtnClose))); });
  }
  if (!add_mode_) {
    if (GuardedIf([&] { return s_.EditOptions.find("ADD") != std::string::npos; })) {
      Guarded([&] { detail::Write(s_, "&nbsp;" + Button("FormAdd", ButtonText(s_, BtnAdd))); });
    }
    if (GuardedIf([&] {
          return s_.EditOptions.find("DELETE") != std::string::npos && !s_.DeleteSQL.empty();
        })) {
      Guarded([&] {
        std::string confirm = ";";
        if (!s_.EditConfirmDeleteString.empty()) {
          confirm +=
              "return confirm('" + JsStringAttributeEncode(s_.EditConfirmDeleteString) + "');";
        }
        detail::Write(s_, "&nbsp;" + Button("FormDelete", ButtonText(s_, BtnDelete), confirm));
      });
    }
  }
  Put(s_.mvarStatusText);
  Put("</td></tr>" + std::string(kCrLf) + std::string(kCrLf));
  Put("</table></td></tr>" + std::string(kCrLf));
}

void EditFormWriter::WriteFieldRow(Field& field, int column) {
  Put("<tr" + table_class_ + ">" + std::string(kCrLf));
  std::string width;
  if (s_.DisplayHeader) {
    Guarded([&] {
      width = GetListItem(s_.FormCellWidths, 1, "");
      if (!width.empty()) width = " width=\"" + width + "\"";
      const std::string head = (s_.THTag.empty() ? std::string("align=left") : s_.THTag) + width;
      std::string caption = GetFormCaption(s_, column, field.Name());
      if ((field.Attributes() & ado::adFldIsNullable) == 0) {
        caption = std::string(s_.UseCSS ? "<span class=\"KelvoRequiredFieldLabel\">" : "<span>") +
                  caption + "</span>";
      }
      detail::Write(s_, s_.UseCSS ? "<th" + table_class_ + " " + head + ">" + caption + "</th>"
                                  : "<th " + head + ">" + caption + "</th>");
    });
  }
  std::string cell_tags = s_.TDTag.empty() ? std::string() : " " + s_.TDTag;
  if (!s_.FormTDTag.empty()) cell_tags = " " + s_.FormTDTag + cell_tags;
  Put("<td" + table_class_ + cell_tags + width + ">");
  Put(GetFormEditField(s_, field, column));
  Put("</td>" + std::string(kCrLf) + "</tr>" + std::string(kCrLf));
}

void EditFormWriter::WriteFields(FieldCollection& fields) {
  int column = 0;
  for (Field& field : fields) {
    ++column;
    if (GuardedIf([&] { return IsFormFieldShown(s_, field.Name(), column); })) {
      WriteFieldRow(field, column);
    } else if (GuardedIf([&] { return IsPrimaryKeyField(s_, field.Name()); })) {
      // Not shown, but its value must be posted: a hidden input outside the rows.
      Put(GetFormEditField(s_, field, column));
    }
  }
}

void EditFormWriter::Write() {
  table_class_ = s_.UseCSS ? " class=\"KLVOTableFormDataEdit\"" : "";
  button_class_ = s_.UseCSS ? " class=\"KelvoInputBtn\" " : " ";
  Guarded([&] {
    add_mode_ = IsPresent(s_, "FormAdd");
    // A failed insert stays an insert.
    insert_marker_ = add_mode_ || (IsPresent(s_, "FormInsert") && s_.mvarUpdateFailed);
  });
  WriteButtonBar();
  const std::string attributes = s_.TableTag + " " + s_.FormTableTag;
  Put("<tr><td><table width=\"100%\"" + table_class_ +
      (Trim(attributes).empty() ? std::string() : " " + attributes) + ">" + std::string(kCrLf));
  FieldCollection* fields = nullptr;
  Guarded([&] { fields = &recordset_.Fields(); });
  if (fields) WriteFields(*fields);
  if (!add_mode_) Guarded([&] { s_.mvarCurrentRowValues = recordset_.GetRows(); });
  Put("</table></td></tr>" + std::string(kCrLf));
}

}  // namespace

void RenderEditForm(DbViewState& s, Recordset& recordset, std::int32_t& rows_shown) {
  rows_shown = 1;
  if (GuardedTest(s, kFailure, [&] { return recordset.Eof(); })) return;
  EditFormWriter(s, recordset).Write();
}

}  // namespace kelvo::detail
