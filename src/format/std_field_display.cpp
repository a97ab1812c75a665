#include "format/std_field_display.h"

#include <cstddef>
#include <utility>

#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "kelvo/convert.h"
#include "kelvo/format.h"
#include "runtime/string_ops.h"
#include "runtime/value_text.h"

namespace kelvo::detail {
namespace {

constexpr char kFiller[] = "&nbsp;";

enum class FieldClass { kLongText, kDate, kLongBinary, kOther };

FieldClass Classify(int type) {
  switch (type) {
    case ado::adLongVarChar:
    case ado::adLongVarWChar:
      return FieldClass::kLongText;
    case ado::adDate:
    case ado::adDBDate:
    case ado::adDBTimeStamp:
      return FieldClass::kDate;
    case ado::adLongVarBinary:
      return FieldClass::kLongBinary;
    default:
      return FieldClass::kOther;
  }
}

bool IsBlankText(std::string_view text) { return Trim(text).empty(); }

// The byte length of the first `characters` UTF-8 characters of `text`.
std::size_t PrefixBytes(std::string_view text, std::size_t characters) {
  std::size_t i = 0;
  for (std::size_t seen = 0; i < text.size() && seen < characters; ++seen) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

// GetMemoText of a value already read.
Variant MemoTextOf(const DbViewState& s, const Variant& value) {
  try {
    return Variant(CStr(value, PageLocale(s)));
  } catch (const std::exception&) {  // falls back to the trimmed value below
  }
  if (value.IsNull()) return value;
  if (value.IsString()) return Variant(Trim(value.AsString()));
  return Variant("");
}

std::string MemoText(const DbViewState& s, const Variant& value) {
  const Variant memo = MemoTextOf(s, value);
  return memo.IsString() ? memo.AsString() : std::string();
}

// Long text in a cell: cut to the limit in the grid (before encoding, so no character reference
// is cut), padded so that the cell never collapses. The download is the data: neither cut nor
// padded.
std::string LimitedMemo(const DbViewState& s, std::string text) {
  const std::int32_t limit = s.MemoFieldLimit;
  if (text.empty()) return kFiller;
  if (limit < 0 || (limit > 0 && s.mvarExporting)) {
    return ShownValue(s.HtmlEncodeValues, std::move(text));
  }
  if (limit == 0) return kFiller;
  if (!s.mvarFormMode && CharacterCount(text) > static_cast<std::size_t>(limit)) {
    text.resize(PrefixBytes(text, static_cast<std::size_t>(limit)));
    return ShownValue(s.HtmlEncodeValues, std::move(text)) + "...";
  }
  return ShownValue(s.HtmlEncodeValues, std::move(text)) + kFiller;
}

std::string BinaryText(const Variant& value, const Locale& locale) {
  const std::size_t size = value.AsBinary().size();
  return "(blob, " + FormatNumber(Variant(static_cast<std::int64_t>(size)), locale, Variant(0)) +
         (size == 1 ? " byte)" : " bytes)");
}

bool IsBinary(const Variant& value) { return value.type() == VarType::kBinary; }

std::string FieldText(DbViewState& s, const Field& field, bool raw) {
  const auto failure_text = [&] {
    return std::string(raw ? " in GetStdDbFieldStringRaw. oField.Name="
                           : " in GetStdDbFieldString. oField.Name=") +
           field.Name() + "<br>";
  };
  const std::string_view filler = raw ? "" : kFiller;
  // The raw form is an argument of format functions, which encode their own results.
  const bool encode = !raw && s.HtmlEncodeValues;
  std::string text;
  FieldClass field_class = FieldClass::kOther;
  GuardedStepWith(s, failure_text, [&] { field_class = Classify(field.Type()); });
  // Any value that is not of its column's class (SQLite lets a column hold values of any type)
  // is shown by its own type, so that it neither fails the cell nor looks like no value.
  const auto other_text = [&](const Variant& value) {
    if (value.IsNull()) return std::string(filler);
    if (IsBinary(value)) return BinaryText(value, PageLocale(s));
    std::string shown = CStr(value, PageLocale(s));
    if (IsBlankText(shown)) return std::string(filler);
    return ShownValue(encode, std::move(shown));
  };
  switch (field_class) {
    case FieldClass::kLongText:
      GuardedStepWith(s, failure_text, [&] {
        if (field.ActualSize() == 0) {
          text = filler;
          return;
        }
        const Variant value = field.Value();
        if (IsBinary(value)) {
          text = BinaryText(value, PageLocale(s));
        } else {
          text = raw ? MemoText(s, value) : LimitedMemo(s, MemoText(s, value));
        }
      });
      break;
    case FieldClass::kDate:
      GuardedStepWith(s, failure_text, [&] {
        const Locale& locale = PageLocale(s);
        const Variant value = field.Value();
        if (!IsDate(value, locale)) {
          text = other_text(value);
        } else if (field.ActualSize() == 0) {
          text = filler;
        } else {
          text = ShownValue(encode, FormatGeneralDate(CDate(value, locale), locale));
        }
      });
      break;
    case FieldClass::kLongBinary:
      GuardedStepWith(s, failure_text, [&] {
        const Variant value = field.Value();
        text = IsBinary(value) && !s.ShowBinarySize ? std::string(filler) : other_text(value);
      });
      break;
    case FieldClass::kOther:
      GuardedStepWith(s, failure_text, [&] { text = other_text(field.Value()); });
      break;
  }
  if (!raw && IsBlankText(text)) return kFiller;
  return text;
}

}  // namespace

std::string BinarySizeText(const DbViewState& s, const Variant& value) {
  return BinaryText(value, PageLocale(s));
}

void AppendStdDbFieldString(DbViewState& s, const Field& field, FieldReadBuffer& buffer,
                            std::string& out) {
  if (Classify(field.Type()) != FieldClass::kOther) {
    out += FieldText(s, field, false);
    return;
  }
  // A plain value's text is written from where it lies; only binary sizes and fillers are made.
  std::string_view text = kFiller;
  bool encode = false;
  GuardedStepWith(
      s, [&] { return " in GetStdDbFieldString. oField.Name=" + field.Name() + "<br>"; },
      [&] {
        field.ReadValue(buffer.value);
        if (buffer.value.IsNull()) return;
        if (IsBinary(buffer.value)) {
          buffer.text = BinaryText(buffer.value, PageLocale(s));
          text = buffer.text;
          return;
        }
        // A whole number's digits are never blank and hold nothing to encode.
        const bool whole = buffer.value.type() == VarType::kInt64 ||
                           buffer.value.type() == VarType::kInt32;
        const std::string_view shown = CStrView(buffer.value, PageLocale(s), buffer.text);
        if (!whole && IsBlankText(shown)) return;
        text = shown;
        encode = s.HtmlEncodeValues && !whole;
      });
  if (encode) {
    AppendHtmlAttributeEncoded(out, text);
  } else {
    out += text;
  }
}

std::string GetStdDbFieldString(DbViewState& s, const Field& field) {
  std::string out;
  FieldReadBuffer buffer;
  AppendStdDbFieldString(s, field, buffer, out);
  return out;
}

std::string GetStdDbFieldStringRaw(DbViewState& s, const Field& field) {
  return FieldText(s, field, true);
}

Variant GetMemoText(const DbViewState& s, const Field& field) {
  Variant value;
  try {
    value = field.Value();
  } catch (const std::exception&) {
    return Variant("");
  }
  return MemoTextOf(s, value);
}

}  // namespace kelvo::detail
