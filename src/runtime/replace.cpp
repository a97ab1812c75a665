// Replace.
#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/convert.h"
#include "kelvo/functions.h"
#include "runtime/errors.h"
#include "runtime/format_args.h"
#include "runtime/text.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

std::string TextArg(const Variant& value, const Locale& locale) {
  if (value.IsNull()) ThrowInvalidUseOfNull();
  return CStr(value, locale);
}

// The first occurrence of `find` in `text` from byte `from`, or npos. Case folding keeps the
// byte length of every character it folds (ASCII and Latin-1 letters), so a match found without
// regard to case is as long as `find`.
std::size_t FindFrom(std::string_view text, std::size_t from, std::string_view find,
                     bool text_compare) {
  if (!text_compare) return text.find(find, from);
  for (std::size_t i = from; i < text.size(); i += Utf8CharAt(text, i).bytes) {
    if (StartsWithIgnoreCase(text.substr(i), find)) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string Replace(const Variant& expression, const Variant& find, const Variant& replace_with,
                    const Locale& locale, const OptionalArg& start, const OptionalArg& count,
                    const OptionalArg& compare) {
  const std::string text = TextArg(expression, locale);
  const std::string pattern = TextArg(find, locale);
  const std::string replacement = TextArg(replace_with, locale);
  const std::int32_t first = IntegerArg(start, 1, locale);
  const std::int32_t limit = IntegerArg(count, -1, locale);
  const std::int32_t mode = IntegerArg(compare, kBinaryCompare, locale);
  if (first < 1 || limit < -1 || (mode != kBinaryCompare && mode != kTextCompare)) {
    ThrowInvalidCall();
  }

  const std::string_view source =
      std::string_view(text).substr(ByteOffsetOfUnits(text, static_cast<std::size_t>(first - 1)));
  if (pattern.empty() || limit == 0) return std::string(source);
  std::string out;
  out.reserve(source.size());
  std::int64_t replaced = 0;
  std::size_t i = 0;
  while (limit == -1 || replaced < limit) {
    const std::size_t at = FindFrom(source, i, pattern, mode == kTextCompare);
    if (at == std::string_view::npos) break;
    out.append(source, i, at - i);
    out += replacement;
    i = at + pattern.size();
    ++replaced;
  }
  out.append(source, i);
  return out;
}

}  // namespace kelvo
