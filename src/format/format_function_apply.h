// The format functions whose failures become the cell's text: the number, date and text
// functions of the runtime applied to a cell value with the column's arguments.
#ifndef KELVO_FORMAT_FORMAT_FUNCTION_APPLY_H_
#define KELVO_FORMAT_FORMAT_FUNCTION_APPLY_H_

#include <string>
#include <string_view>

#include "format/format_function_parse.h"
#include "kelvo/locale.h"

namespace kelvo::detail {

// `kind` applied to `value` with the trimmed arguments of `call`; each function picks its form
// by the argument count. An argument count that fits no form of DateAdd, DatePart, Replace,
// Left, Right or Mid gives "Invalid number of arguments to <name>". Integer arguments are read
// by CLng; a failed conversion or call throws the runtime's Error. `kind` is none of UCase,
// LCase, InitCaps, InitCapsAll, RegExpReplace and Unknown.
std::string ApplyValueFunction(FormatFunctionKind kind, const FormatFunctionText& call,
                               std::string_view value, const Locale& locale);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_FORMAT_FUNCTION_APPLY_H_
