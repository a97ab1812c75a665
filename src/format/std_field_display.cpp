#include "format/std_field_display.h"

#include <cstddef>
#include <utility>

#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "kelvo/convert.h"
#include "runtime/string_ops.h"

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

std::string MemoText(const DbViewState& s, const Field& field) {
  const Variant memo = GetMemoText(s, field);
  return memo.IsString() ? memo.AsString() : std::string();
}

// Long text in a cell: cut to the limit in the grid (before encoding, so no character reference
// is cut), padded so that the cell never collapses.
std::string LimitedMemo(const DbViewState& s, std::string text) {
  const std::int32_t limit = s.MemoFieldLimit;
  if (text.empty()) return kFiller;
  if (limit < 0) return ShownValue(s.HtmlEncodeValues, std::move(text));
  if (limit == 0) return kFiller;
  if (!s.mvarFormMode && CharacterCount(text) > static_cast<std::size_t>(limit)) {
    text.resize(PrefixBytes(text, static_cast<std::size_t>(limit)));
    return ShownValue(s.HtmlEncodeValues, std::move(text)) + "...";
  }
  return ShownValue(s.HtmlEncodeValues, std::move(text)) + kFiller;
}

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
  switch (field_class) {
    case FieldClass::kLongText:
      GuardedStepWith(s, failure_text, [&] {
        if (field.ActualSize() == 0) {
          text = filler;
        } else if (raw) {
          text = MemoText(s, field);
        } else {
          text = LimitedMemo(s, MemoText(s, field));
        }
      });
      break;
    case FieldClass::kDate:
      GuardedStepWith(s, failure_text, [&] {
        const Locale& locale = PageLocale(s);
        const Variant value = field.Value();
        if (!IsDate(value, locale) || field.ActualSize() == 0) {
          text = filler;
        } else {
          text = ShownValue(encode, FormatGeneralDate(CDate(value, locale), locale));
        }
      });
      break;
    case FieldClass::kLongBinary:
      text = filler;
      break;
    case FieldClass::kOther:
      GuardedStepWith(s, failure_text, [&] {
        const Variant value = field.Value();
        text = value.IsNull() ? std::string() : CStr(value, PageLocale(s));
        text = IsBlankText(text) ? std::string(filler) : ShownValue(encode, std::move(text));
      });
      break;
  }
  if (!raw && IsBlankText(text)) return kFiller;
  return text;
}

}  // namespace

std::string GetStdDbFieldString(DbViewState& s, const Field& field) {
  return FieldText(s, field, false);
}

std::string GetStdDbFieldStringRaw(DbViewState& s, const Field& field) {
  return FieldText(s, field, true);
}

Variant GetMemoText(const DbViewState& s, const Field& field) {
  Variant value;
  try {
    value = field.Value();
    return Variant(CStr(value, PageLocale(s)));
  } catch (const std::exception&) {  // falls back to the trimmed value below
  }
  if (value.IsNull()) return value;
  if (value.IsString()) return Variant(Trim(value.AsString()));
  return Variant("");
}

}  // namespace kelvo::detail
