#include "edit/field_editor.h"

#include <algorithm>

#include "component/column_questions.h"
#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_lookups.h"
#include "edit/edit_names.h"
#include "edit/editor_values.h"
#include "edit/field_rules.h"
#include "edit/key_condition.h"
#include "format/std_field_display.h"
#include "kelvo/convert.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kUncarriedNote =
    " <span class=\"KelvoFieldNote\">Read-only: holds characters a web form cannot send.</span>";
constexpr std::string_view kBinaryNote =
    " <span class=\"KelvoFieldNote\">Read-only: holds binary data.</span>";

// One call: the field, its editor's name and the value it shows.
class EditorWriter : GuardedWriter {
 public:
  EditorWriter(DbViewState& s, Field& field, int column)
      : GuardedWriter(s, " in GetFormEditField. oField.Name=" + field.Name() + "<br>"),
        field_(field),
        column_(column) {}

  std::string Write();

 private:
  // The posted value after a failed save, else the stored one (nothing in add mode when
  // `empty_when_adding`).
  void TakeValue(bool empty_when_adding);
  std::string TextInput();
  // With AccessibleMarkup: whether a value is required, whether the refused save found this
  // field at fault, and what the control's start tag says of both.
  void DecideStates(bool checkbox);
  bool Required() const;
  std::string StateAttributes() const;

  Field& field_;
  int column_;
  std::string name_;      // HTML-encoded
  std::string id_;        // HTML-encoded
  std::string disabled_;  // D
  std::string value_;     // V, not encoded
  std::string control_;   // E
  bool add_mode_ = false;
  bool show_posted_ = false;
  bool new_record_ = false;  // an add form, or one shown again after a failed insert
  bool uncarried_ = false;   // the stored value is one a form cannot carry
  bool binary_ = false;      // the stored value is binary data, shown by its size
  bool required_ = false;
  bool invalid_ = false;
  bool first_invalid_ = false;
};

void EditorWriter::DecideStates(bool checkbox) {
  if (!s_.AccessibleMarkup) return;
  Guarded([&] {
    const std::vector<std::string>& faults = s_.mvarFieldsAtFault;
    invalid_ = std::find(faults.begin(), faults.end(), field_.Name()) != faults.end();
    first_invalid_ = invalid_ && faults.front() == field_.Name();
    // An unticked box is a value too; a new record's field still Empty is one the database
    // assigns.
    if (checkbox) return;
    const bool not_null = (field_.Attributes() & ado::adFldIsNullable) == 0 ||
                          IsRequiredLookup(s_, field_.Name());
    required_ = not_null && !(new_record_ && field_.Value().IsEmpty());
  });
}

// A disabled control (read-only, or holding what a form cannot carry: known only once the
// value is taken) posts nothing and asks for nothing.
bool EditorWriter::Required() const { return required_ && disabled_.empty(); }

std::string EditorWriter::StateAttributes() const {
  return std::string(Required() ? " required aria-required=\"true\"" : "") +
         (invalid_ ? " aria-invalid=\"true\"" : "") + (first_invalid_ ? " autofocus" : "");
}

void EditorWriter::TakeValue(bool empty_when_adding) {
  Guarded([&] {
    // Binary data in a column of another type is shown by its size, never as an empty editor
    // that would pass for no value, and posts nothing.
    if (!new_record_ && HoldsBinary(field_)) {
      value_ = BinarySizeText(s_, field_.Value());
      binary_ = true;
      disabled_ = " disabled ";
      return;
    }
    if (show_posted_) {
      value_ = Trim(PostedValue(s_, EditorName(s_, field_.Name())).value_or(""));
    } else if (!(add_mode_ && empty_when_adding)) {
      value_ = StoredEditorText(s_, field_);
    }
    // A stored value that a form cannot carry is shown as it is, read-only, also after a
    // failed save (it posted nothing): a browser would send it changed. A new record's values
    // come from the form alone.
    if (new_record_) return;
    std::string stored = show_posted_ ? StoredEditorText(s_, field_) : value_;
    if (FormCanCarry(stored)) return;
    value_ = std::move(stored);
    uncarried_ = true;
    disabled_ = " disabled ";
  });
}

std::string EditorWriter::TextInput() {
  int size = 60;
  std::string max_length;
  if (IsNumericType(field_.Type())) {
    size = 20;
    max_length = "20";
  } else if (field_.DefinedSize() > 0) {
    size = static_cast<int>(std::min<long>(field_.DefinedSize() + 2, 60));
    max_length = std::to_string(field_.DefinedSize());
  }
  std::string input = "<input " + disabled_ + (s_.UseCSS ? "class=\"KelvoInput\" " : "") +
                      "size=" + std::to_string(size) + " type=\"text\" id=\"" + id_ +
                      "\" name=\"" + name_ + "\" value=\"" + HtmlAttributeEncode(value_) + "\"";
  if (!s_.AccessibleMarkup) return input + " maxlength=\"" + max_length + "\">";
  if (!max_length.empty()) input += " maxlength=\"" + max_length + "\"";
  // A phone's number keys, while the text posted stays the locale's: type="number" would
  // refuse "1.234,5".
  if (const std::string_view mode = InputModeOf(field_.Type()); !mode.empty()) {
    input += " inputmode=\"" + std::string(mode) + "\"";
  }
  return input + StateAttributes() + ">";
}

std::string EditorWriter::Write() {
  Guarded([&] {
    name_ = HtmlAttributeEncode(EditorName(s_, field_.Name()));
    id_ = HtmlAttributeEncode(EditorTarget(s_, field_.Name(), column_));
    add_mode_ = !RequestValue(s_, "FormAdd").empty();
    // A refused post that this server cannot vouch for shows the record as it now stands, and
    // so does a field for which the user took the stored value over their own.
    show_posted_ = s_.mvarUpdateFailed && !s_.mvarShowStored &&
                   PostedValue(s_, ChoiceName(s_, field_.Name())) != "stored";
    new_record_ = add_mode_ || (show_posted_ && IsRefusedInsert(s_));
  });
  if (GuardedIf([&] { return IsFieldReadOnly(s_, field_.Name(), column_); })) {
    disabled_ = " disabled ";
  }
  EditorKind kind = EditorKind::kTextInput;
  Guarded([&] {
    kind = EditorKindOf(field_.Type());
    if (!new_record_ && IsMultiLineText(s_, field_)) kind = EditorKind::kTextArea;
  });
  DecideStates(kind == EditorKind::kCheckBox);
  switch (kind) {
    case EditorKind::kTextArea:
      TakeValue(true);
      Guarded([&] {
        // The parser drops a line break right after the start tag, so a value that starts
        // with one gets another in front.
        const bool lead = value_.starts_with('\n') || value_.starts_with('\r');
        control_ = "<textarea cols=60 rows=5 " + disabled_ + "class=\"KelvoTextArea\" id=\"" +
                   id_ + "\" name=\"" + name_ + "\"" + StateAttributes() + ">" +
                   (lead ? "\r\n" : "") +
                   HtmlAttributeEncode(value_) + "</textarea>" + std::string(kCrLf);
      });
      break;
    case EditorKind::kCheckBox:
      Guarded([&] {
        // After a failed save a ticked box is one the browser posted, so the user's choice
        // survives the next save.
        const bool ticked = show_posted_
                                ? PostedValue(s_, EditorName(s_, field_.Name())).has_value()
                                : IsStoredTrue(s_, field_);
        control_ = "<input " + disabled_ + "type=\"checkbox\" class=\"KelvoCheckBox\" id=\"" +
                   id_ + "\" name=\"" + name_ + "\"" + (ticked ? " checked " : "") + ">";
      });
      break;
    case EditorKind::kDateInput:
      TakeValue(true);
      Guarded([&] {
        control_ = "<input " + disabled_ + (s_.UseCSS ? "class=\"KelvoInput\" " : "") +
                   "size=22 maxlength=25 type=\"text\" id=\"" + id_ + "\" name=\"" + name_ +
                   "\" value=\"" + HtmlAttributeEncode(value_) + "\"" + StateAttributes() + ">";
      });
      break;
    case EditorKind::kNone:
      value_ = "&nbsp;";
      // Binary data has no editor; with ShowBinarySize what is stored is still seen, as in the
      // record view: a size, or the text that SQLite let the column hold.
      if (s_.ShowBinarySize && !new_record_) {
        Guarded([&] {
          const Variant stored = field_.Value();
          if (HoldsBinary(field_)) {
            control_ = BinarySizeText(s_, stored);
          } else if (!stored.IsNull() && !stored.IsEmpty()) {
            control_ = HtmlAttributeEncode(CStr(stored, PageLocale(s_)));
          }
        });
      }
      break;
    case EditorKind::kTextInput: {
      std::string lookup;
      Guarded([&] { lookup = EditLookupAsString(s_, field_.Name()); });
      // A new record's list starts on no choice; the current record's value would pass for one.
      TakeValue(!lookup.empty());
      if (!lookup.empty()) {
        Guarded([&] {
          // Only aria-required: a list must start with an empty choice to carry required,
          // and the list may start on the kept value.
          std::string attributes = disabled_;
          if (Required()) attributes += "aria-required=\"true\" ";
          if (invalid_) attributes += "aria-invalid=\"true\" ";
          if (first_invalid_) attributes += "autofocus ";
          control_ = GetLookupSelect(s_, EditorName(s_, field_.Name()), lookup, value_, attributes,
                                     !add_mode_ && !show_posted_, id_);
        });
      } else {
        Guarded([&] { control_ = TextInput(); });
      }
      break;
    }
  }

  std::string carrier;
  Guarded([&] {
    carrier = "<input type=\"hidden\" name=\"" + name_ + "\" value=\"" +
              HtmlAttributeEncode(value_) + "\">";
  });
  if (GuardedIf([&] {
        return IsPrimaryKeyField(s_, field_.Name()) &&
               !IsFormFieldShown(s_, field_.Name(), column_);
      })) {
    return carrier + std::string(kCrLf);
  }
  if (uncarried_) {
    control_ += std::string(kUncarriedNote);  // and no carrier: the save leaves the value alone
  } else if (binary_) {
    control_ += std::string(kBinaryNote);
  } else if (!disabled_.empty()) {
    // A disabled control posts nothing; the hidden input posts its value under the same name.
    control_ += carrier;
  }
  if (GuardedIf([&] { return (field_.Attributes() & ado::adFldIsNullable) == 0; })) {
    // With AccessibleMarkup the control says it is required; the mark is for the eye only,
    // and nobr is obsolete.
    control_ = s_.AccessibleMarkup
                   ? "<span style=\"white-space:nowrap\">" + control_ +
                         "<span aria-hidden=\"true\">" + s_.RequiredFieldIndicator + "</span></span>"
                   : "<nobr>" + control_ + s_.RequiredFieldIndicator + "</nobr>";
  }
  return control_ + std::string(kCrLf);
}

}  // namespace

std::string GetFormEditField(DbViewState& s, Field& field, int column) {
  return EditorWriter(s, field, column).Write();
}

}  // namespace kelvo::detail
