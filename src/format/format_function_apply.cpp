#include "format/format_function_apply.h"

#include <array>

#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "kelvo/format.h"
#include "kelvo/functions.h"

namespace kelvo::detail {
namespace {

using NumberFormatter = std::string (*)(const Variant&, const Locale&, const OptionalArg&,
                                        const OptionalArg&, const OptionalArg&, const OptionalArg&);

Variant Integer(std::string_view argument, const Locale& locale) {
  return Variant(CLng(Variant(argument), locale));
}

// Argument `number` as a 32-bit integer when the call has it, else left out.
OptionalArg OptionalInteger(const FormatFunctionText& call, std::size_t number,
                            const Locale& locale) {
  if (call.argument_count < number) return std::nullopt;
  return Integer(call.argument(number), locale);
}

std::string WrongCount(std::string_view function) {
  return "Invalid number of arguments to " + std::string(function);
}

// FormatCurrency, FormatNumber and FormatPercent: up to four integer arguments; five or more
// fall back to the form without arguments.
std::string FormatWithDigits(NumberFormatter format, const FormatFunctionText& call,
                             std::string_view value, const Locale& locale) {
  std::array<OptionalArg, kMaxFormatArguments> arguments;
  if (call.argument_count <= kMaxFormatArguments) {
    for (std::size_t i = 0; i < call.argument_count; ++i) {
      arguments[i] = Integer(call.arguments[i], locale);
    }
  }
  return format(Variant(value), locale, arguments[0], arguments[1], arguments[2], arguments[3]);
}

std::string FormatDateTimeCell(const FormatFunctionText& call, std::string_view value,
                               const Locale& locale) {
  if (call.argument_count != 1) return FormatDateTime(Variant(value), locale);
  return FormatDateTime(Variant(value), locale, Integer(call.argument(1), locale));
}

std::string FormatCell(const FormatFunctionText& call, std::string_view value,
                       const Locale& locale) {
  const std::size_t n = call.argument_count;
  if (n < 1 || n > 3) return Format(Variant(value), locale);
  return Format(Variant(value), locale, Variant(call.argument(1)), OptionalInteger(call, 2, locale),
                OptionalInteger(call, 3, locale));
}

std::string DateAddCell(const FormatFunctionText& call, std::string_view value,
                        const Locale& locale) {
  if (call.argument_count != 2) return WrongCount("DateAdd");
  const double number = CDbl(Variant(call.argument(2)), locale);
  return CStr(DateAdd(Variant(call.argument(1)), Variant(number), Variant(value), locale), locale);
}

std::string DatePartCell(const FormatFunctionText& call, std::string_view value,
                         const Locale& locale) {
  const std::size_t n = call.argument_count;
  if (n < 1 || n > 3) return WrongCount("DatePart");
  return CStr(DatePart(Variant(call.argument(1)), Variant(value), locale,
                       OptionalInteger(call, 2, locale), OptionalInteger(call, 3, locale)),
              locale);
}

std::string ReplaceCell(const FormatFunctionText& call, std::string_view value,
                        const Locale& locale) {
  const std::size_t n = call.argument_count;
  if (n < 2 || n > 3) return WrongCount("Replace");
  return Replace(Variant(value), Variant(call.argument(1)), Variant(call.argument(2)), locale,
                 OptionalInteger(call, 3, locale));
}

using Cut = Variant (*)(const Variant&, const Variant&, const Locale&);

std::string LeftOrRightCell(Cut cut, std::string_view function, const FormatFunctionText& call,
                            std::string_view value, const Locale& locale) {
  if (call.argument_count != 1) return WrongCount(function);
  return CStr(cut(Variant(value), Integer(call.argument(1), locale), locale), locale);
}

std::string MidCell(const FormatFunctionText& call, std::string_view value, const Locale& locale) {
  const std::size_t n = call.argument_count;
  if (n < 1 || n > 2) return WrongCount("Mid");
  // The length goes in as text: Mid reads it itself.
  const OptionalArg length = n == 2 ? OptionalArg(Variant(call.argument(2))) : std::nullopt;
  return CStr(Mid(Variant(value), Integer(call.argument(1), locale), locale, length), locale);
}

std::string RoundCell(const FormatFunctionText& call, std::string_view value,
                      const Locale& locale) {
  const OptionalArg digits =
      call.argument_count == 1 ? OptionalArg(Integer(call.argument(1), locale)) : std::nullopt;
  return CStr(Round(Variant(value), locale, digits), locale);
}

std::string AbsCell(std::string_view value, const Locale& locale) {
  return CStr(Abs(Variant(CDbl(Variant(value), locale)), locale), locale);
}

}  // namespace

std::string ApplyValueFunction(FormatFunctionKind kind, const FormatFunctionText& call,
                               std::string_view value, const Locale& locale) {
  switch (kind) {
    case FormatFunctionKind::kFormatCurrency:
      return FormatWithDigits(&FormatCurrency, call, value, locale);
    case FormatFunctionKind::kFormatNumber:
      return FormatWithDigits(&FormatNumber, call, value, locale);
    case FormatFunctionKind::kFormatPercent:
      return FormatWithDigits(&FormatPercent, call, value, locale);
    case FormatFunctionKind::kFormatDateTime:
      return FormatDateTimeCell(call, value, locale);
    case FormatFunctionKind::kFormat:
      return FormatCell(call, value, locale);
    case FormatFunctionKind::kDateAdd:
      return DateAddCell(call, value, locale);
    case FormatFunctionKind::kDatePart:
      return DatePartCell(call, value, locale);
    case FormatFunctionKind::kReplace:
      return ReplaceCell(call, value, locale);
    case FormatFunctionKind::kLeft:
      return LeftOrRightCell(&Left, "Left", call, value, locale);
    case FormatFunctionKind::kRight:
      return LeftOrRightCell(&Right, "Right", call, value, locale);
    case FormatFunctionKind::kMid:
      return MidCell(call, value, locale);
    case FormatFunctionKind::kLen:
      return CStr(Len(Variant(value), locale), locale);
    case FormatFunctionKind::kRound:
      return RoundCell(call, value, locale);
    case FormatFunctionKind::kAbs:
      return AbsCell(value, locale);
    case FormatFunctionKind::kUCase:
    case FormatFunctionKind::kLCase:
    case FormatFunctionKind::kInitCaps:
    case FormatFunctionKind::kInitCapsAll:
    case FormatFunctionKind::kRegExpReplace:
    case FormatFunctionKind::kUnknown:
      break;
  }
  throw Error(errc::kInvalidCall, "Invalid procedure call or argument");
}

}  // namespace kelvo::detail
