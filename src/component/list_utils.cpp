#include "component/list_utils.h"

#include <cstddef>

#include "kelvo/convert.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "kelvo/locale.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

std::int16_t CheckedInt16(long value) {
  if (value > 32767) throw Error(errc::kOverflow, "Overflow");
  return static_cast<std::int16_t>(value);
}

}  // namespace

bool IsListBlank(std::string_view list) { return Trim(list).empty(); }

std::int16_t IndexInList(std::string_view list, std::string_view item) {
  if (IsListBlank(list) || IsListBlank(item)) return 0;
  const std::string wanted = UCase(item);
  long position = 1;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const std::string_view piece = list.substr(start, comma - start);
    if (UCase(piece) == wanted) return CheckedInt16(position);
    if (comma == std::string_view::npos) return 0;
    start = comma + 1;
    ++position;
  }
}

std::string GetListItem(std::string_view list, int position, std::string_view fallback) {
  if (IsListBlank(list) || position < 1) return std::string(fallback);
  std::size_t start = 0;
  for (int i = 1; i < position; ++i) {
    const std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) return std::string(fallback);
    start = comma + 1;
  }
  const std::string_view item = list.substr(start, list.find(',', start) - start);
  return item.empty() ? std::string(fallback) : std::string(item);
}

std::int16_t CountOccurrences(std::string_view text, std::string_view pattern) {
  if (IsListBlank(text) || IsListBlank(pattern)) return 0;
  long count = 0;
  for (std::size_t at = text.find(pattern); at != std::string_view::npos && count < long(text.size());
       at = text.find(pattern, at + 1)) {
    ++count;
  }
  return CheckedInt16(count);
}

std::int32_t ToLongOrZero(const Variant& value) {
  if (value.IsNull() || (value.IsString() && value.AsString().empty())) return 0;
  return CLng(value, Locale::Default());
}

bool IsWholeNumberType(int type) {
  switch (type) {
    case ado::adSmallInt:
    case ado::adInteger:
    case ado::adTinyInt:
    case ado::adUnsignedTinyInt:
    case ado::adUnsignedSmallInt:
    case ado::adUnsignedInt:
    case ado::adBigInt:
    case ado::adUnsignedBigInt:
      return true;
    default:
      return false;
  }
}

bool IsTextType(int type) {
  switch (type) {
    case ado::adChar:
    case ado::adVarChar:
    case ado::adLongVarChar:
    case ado::adVarWChar:
    case ado::adLongVarWChar:
      return true;
    default:
      return false;
  }
}

bool IsNumberType(int type) {
  return IsWholeNumberType(type) || type == ado::adSingle || type == ado::adDouble ||
         type == ado::adCurrency || type == ado::adDecimal || type == ado::adNumeric ||
         type == ado::adVarNumeric;
}

bool IsNumericType(long type_code) {
  switch (type_code) {
    case 2: case 3: case 4: case 5: case 6: case 7: case 11: case 14: case 16: case 17:
    case 18: case 19: case 20: case 21: case 64: case 131: case 133: case 134: case 135:
    case 137: case 139:
      return true;
    default:
      return false;
  }
}

std::string InitCaps(std::string_view text, int mode) {
  if (UCase(text) != text) return std::string(text);
  const std::string lowered = LCase(text);
  // Capitalises the first occurrence of the piece's first character, as the runtime's
  // Replace(piece, first, UCase(first), 1, 1) does.
  const auto capitalise_first = [](std::string piece) {
    if (piece.empty()) return piece;
    const std::size_t length = static_cast<unsigned char>(piece[0]) >= 0xC0 ? 2 : 1;
    piece.replace(0, length, UCase(piece.substr(0, length)));
    return piece;
  };
  // The runtime splits the empty text into no pieces at all.
  if (lowered.empty()) return lowered;
  if (mode != 1) return capitalise_first(lowered);
  std::string result;
  std::size_t start = 0;
  for (;;) {
    const std::size_t blank = lowered.find(' ', start);
    result += ' ';
    result += capitalise_first(lowered.substr(start, blank - start));
    if (blank == std::string::npos) return result;
    start = blank + 1;
  }
}

}  // namespace kelvo::detail
