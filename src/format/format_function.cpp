#include "format/format_function.h"

#include <exception>
#include <string_view>
#include <utility>

#include "component/error_report.h"
#include "component/list_utils.h"
#include "component/page_access.h"
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
// the cell's text, not an error of the grid.
template <class Function>
std::string TextOrFailure(Function&& function) {
  try {
    return std::forward<Function>(function)();
  } catch (const std::exception& failure) {  // kelvo::Error and the standard library's own
    return failure.what();
  }
}

std::string Evaluate(DbViewState& s, const Field& field, int column, std::string_view value) {
  const std::string text = GetFormatCellStringRaw(s, column);
  // An empty text splits into no pieces at all, so it has no name to read.
  if (text.empty()) throw Error(errc::kSubscriptOutOfRange, "Subscript out of range");
  const FormatFunctionText pieces = SplitFormatFunction(text, s.GridFreeFormatCellColumnDelimiter);
  const FormatFunctionKind kind = FormatFunctionNamed(pieces.name);
  const Locale& locale = PageLocale(s);
  switch (kind) {
    case FormatFunctionKind::kRegExpReplace:
      return TextOrFailure([&] { return RegExpReplaceCell(s.mvarRegExpCache, text, value); });
    case FormatFunctionKind::kUCase:
      return CStr(UCase(Variant(value), locale), locale);
    case FormatFunctionKind::kLCase:
      return CStr(LCase(Variant(value), locale), locale);
    case FormatFunctionKind::kInitCaps:
      return InitCaps(UCase(value), 0);
    case FormatFunctionKind::kInitCapsAll:
      return InitCaps(UCase(value), 1);
    case FormatFunctionKind::kUnknown:
      return "[Unknown function : " + std::string(Trim(pieces.name)) + "] " +
             GetStdDbFieldString(s, field);
    default:
      return TextOrFailure(
          [&] { return ApplyValueFunction(kind, TrimmedPieces(pieces), value, locale); });
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
