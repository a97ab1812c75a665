// The comma lists of the grid's properties and the small text and type functions the
// renderers ask for every column. A list is items separated by single commas, untrimmed,
// matched without regard to case.
#ifndef KELVO_COMPONENT_LIST_UTILS_H_
#define KELVO_COMPONENT_LIST_UTILS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/variant.h"

namespace kelvo::detail {

// True when the list text is empty or only blanks: such a list is not set.
bool IsListBlank(std::string_view list);

// Position (from 1) of the first item equal to `item` ignoring case; 0 when absent or when
// the list or the item is blank. Throws Error(errc::kOverflow) past position 32767.
std::int16_t IndexInList(std::string_view list, std::string_view item);

// The item at `position` (from 1), untrimmed; `fallback` when the list is blank, too short,
// or the item is empty.
std::string GetListItem(std::string_view list, int position, std::string_view fallback);

// Places where `pattern` occurs in `text`, overlapping ones counted; 0 when either is blank.
std::int16_t CountOccurrences(std::string_view text, std::string_view pattern);

// 0 for Null and the empty text; otherwise the value as a 32-bit integer (fails when it is
// not a number).
std::int32_t ToLongOrZero(const Variant& value);

// Field types shown right-aligned and written into SQL without quotes: numbers, dates and
// Booleans.
bool IsNumericType(long type_code);

// Integer types of every width, signed or not.
bool IsWholeNumberType(int type);
// Character types, fixed or varying, narrow or wide.
bool IsTextType(int type);
// Number types: whole, floating, currency and exact; not dates or Booleans.
bool IsNumberType(int type);

// Initial capitals for text with no lower-case letters: mode 1 capitalises every word (the
// result starts with a blank), any other mode only the first letter.
std::string InitCaps(std::string_view text, int mode);

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_LIST_UTILS_H_
