#include "edit/editor_values.h"

#include "component/column_questions.h"
#include "component/page_access.h"
#include "edit/edit_lookups.h"
#include "edit/key_condition.h"
#include "format/std_field_display.h"
#include "kelvo/convert.h"
#include "runtime/string_ops.h"
#include "runtime/utf16_units.h"

namespace kelvo::detail {
namespace {

// The text as an HTML parser reads it: CR LF and a lone CR become LF, a NUL U+FFFD.
std::string ParsedText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\0') {
      out += "\uFFFD";
    } else if (text[i] != '\r') {
      out += text[i];
    } else {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  return out;
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

EditorKind EditorKindOf(int type) {
  switch (type) {
    case ado::adLongVarChar:
    case ado::adLongVarWChar:
      return EditorKind::kTextArea;
    case ado::adBoolean:
      return EditorKind::kCheckBox;
    case ado::adDate:
    case ado::adDBDate:
    case ado::adDBTimeStamp:
      return EditorKind::kDateInput;
    case ado::adBinary:
    case ado::adVarBinary:
    case ado::adLongVarBinary:
      return EditorKind::kNone;
    default:
      return EditorKind::kTextInput;
  }
}

std::string StoredEditorText(const DbViewState& s, const Field& field) {
  const EditorKind kind = EditorKindOf(field.Type());
  if (kind == EditorKind::kNone || kind == EditorKind::kCheckBox || HoldsBinary(field)) return {};
  switch (kind) {
    case EditorKind::kTextArea: {
      if (field.ActualSize() == 0 || s.MemoFieldLimit == 0) return {};
      const Variant memo = GetMemoText(s, field);
      return memo.IsString() ? memo.AsString() : std::string();
    }
    case EditorKind::kDateInput: {
      const Locale& locale = PageLocale(s);
      const Variant value = field.Value();
      if (value.IsNull() || field.ActualSize() == 0) return {};
      if (IsDate(value, locale)) return FormatGeneralDate(CDate(value, locale), locale);
      std::string text = CStr(value, locale);
      if (Trim(text).empty()) return {};
      return text;
    }
    case EditorKind::kTextInput: {
      const Variant value = field.Value();
      if (value.IsNull()) return {};
      std::string text = CStr(value, PageLocale(s));
      if (Trim(text).empty()) return {};
      return text;
    }
    case EditorKind::kCheckBox:
    case EditorKind::kNone:
      return {};
  }
  return {};
}

bool HoldsBinary(const Field& field) { return field.Value().type() == VarType::kBinary; }

bool IsMultiLineText(const DbViewState& s, const Field& field) {
  if (EditorKindOf(field.Type()) != EditorKind::kTextInput) return false;
  if (!EditLookupAsString(s, field.Name()).empty()) return false;
  return StoredEditorText(s, field).find_first_of("\r\n") != std::string::npos;
}

std::string WithStoredLineBreaks(std::string_view posted, std::string_view stored) {
  if (stored.find('\r') != std::string_view::npos) return std::string(posted);
  std::string out;
  out.reserve(posted.size());
  for (std::size_t i = 0; i < posted.size(); ++i) {
    if (posted[i] == '\r' && i + 1 < posted.size() && posted[i + 1] == '\n') continue;
    out += posted[i];
  }
  return out;
}

bool IsStoredTrue(const DbViewState& s, const Field& field) {
  const Variant value = field.Value();
  return !value.IsNull() && !value.IsEmpty() && CBool(value, PageLocale(s));
}

bool HasEditor(const DbViewState& s, std::string_view name, int column) {
  return IsFormFieldShown(s, name, column) || IsPrimaryKeyField(s, name);
}

bool IsSavedField(const DbViewState& s, const Field& field, int column) {
  return EditorKindOf(field.Type()) != EditorKind::kNone && !HoldsBinary(field) &&
         HasEditor(s, field.Name(), column) &&
         !IsFieldReadOnly(s, field.Name(), column) && FormCanCarry(StoredEditorText(s, field));
}

bool FormCanCarry(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char c = Utf8CharAt(text, i);
    if (!c.valid || c.code == 0) return false;
    i += c.bytes;
  }
  return true;
}

PostedForm PostedFormOf(const DbViewState& s, const Field& field, int column) {
  const EditorKind kind = EditorKindOf(field.Type());
  if (IsPrimaryKeyField(s, field.Name()) && !IsFormFieldShown(s, field.Name(), column)) {
    return PostedForm::kLines;
  }
  if (kind == EditorKind::kTextArea) return PostedForm::kLines;
  const bool list = kind == EditorKind::kTextInput && !EditLookupAsString(s, field.Name()).empty();
  return list || IsMultiLineText(s, field) ? PostedForm::kLines : PostedForm::kTextInput;
}

std::string AsBrowserPosts(PostedForm form, std::string_view shown) {
  std::string parsed = ParsedText(shown);
  switch (form) {
    case PostedForm::kTextInput:
      std::erase(parsed, '\n');
      return parsed;
    case PostedForm::kLines:
      return WithCrLf(parsed);
  }
  return parsed;
}

}  // namespace kelvo::detail
