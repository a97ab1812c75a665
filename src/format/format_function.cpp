#include "format/format_function.h"

#include <exception>
#include <string_view>
#include <utility>

#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "format/cell_tables.h"
#include "format/format_function_apply.h"
#include "format/format_function_parse.h"
#include "format/regexp_replace_cell.h"
#include "format/std_field_display.h"
#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "kelvo/functions.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

constexpr std::string_view kFailure = " Invalid Formatting arguments<br>";

// The function's text, or the description of the failure that stopped it: such a failure is
// the cell's text, not an error of the grid. A description may quote the value, so it is encoded
// as the value would be.
template <class Function>
std::string TextOrFailure(bool encode, Function&& function) {
  try {
    return std::forward<Function>(function)();
  } catch (const std::exception& failure) {  // kelvo::Error and the standard library's own
    return ShownValue(encode, failure.what());
  }
}

std::string Evaluate(DbViewState& s, const Field& field, int column, std::string_view value) {
  const std::string text = GetFormatCellStringRaw(s, column);
  // An empty text splits into no pieces at all, so it has no name to read.
  if (text.empty()) throw Error(errc::kSubscriptOutOfRange, "Subscript out of range");
  const FormatFunctionText pieces = SplitFormatFunction(text, s.GridFreeFormatCellColumnDelimiter);
  const FormatFunctionKind kind = FormatFunctionNamed(pieces.name);
  const Locale& locale = PageLocale(s);
  const bool encode = s.HtmlEncodeValues;
  switch (kind) {
    case FormatFunctionKind::kRegExpReplace:
      // The replacement is the page's markup, like a cell template: the value is encoded before
      // the pattern sees it, so every piece of it that reaches the result is encoded.
      return TextOrFailure(encode, [&] {
        return RegExpReplaceCell(s.mvarRegExpCache, text,
                                 ShownValue(encode, std::string(value)));
      });
    case FormatFunctionKind::kUCase:
      return ShownValue(encode, CStr(UCase(Variant(value), locale), locale));
    case FormatFunctionKind::kLCase:
      return ShownValue(encode, CStr(LCase(Variant(value), locale), locale));
    case FormatFunctionKind::kInitCaps:
      return ShownValue(encode, InitCaps(UCase(value), 0));
    case FormatFunctionKind::kInitCapsAll:
      return ShownValue(encode, InitCaps(UCase(value), 1));
    case FormatFunctionKind::kUnknown:
      return "[Unknown function : " + std::string(Trim(pieces.name)) + "] " +
             GetStdDbFieldString(s, field);
    default:
      return TextOrFailure(encode, [&] {
        return ShownValue(encode,
                          ApplyValueFunction(kind, TrimmedPieces(pieces), value, locale));
      });
  }
}

}  // namespace

std::string GetFormatCellString(DbViewState& s, const Field& field, int column) {
  std::string result;
  const bool completed = GuardedStep(s, kFailure, [&] {
    const std::string value = GetStdDbFieldStringRaw(s, field);
    if (!Trim(value).empty()) result = Evaluate(s, field, column, value);
  });
  if (!completed) return {};
  return result.empty() ? "&nbsp;" : result;
}

}  // namespace kelvo::detail
