// Left, Right, Mid, Len, UCase and LCase on variants.
#include <cstdint>
#include <string>

#include "kelvo/convert.h"
#include "kelvo/functions.h"
#include "runtime/errors.h"
#include "runtime/string_ops.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

// A length or position argument: rounded as CLng rounds, Null refused.
std::size_t CountArg(const Variant& value, std::int32_t lowest, const Locale& locale) {
  if (value.IsNull()) ThrowInvalidUseOfNull();
  const std::int32_t count = CLng(value, locale);
  if (count < lowest) ThrowInvalidCall();
  return static_cast<std::size_t>(count);
}

}  // namespace

Variant Left(const Variant& text, const Variant& length, const Locale& locale) {
  const std::size_t count = CountArg(length, 0, locale);
  if (text.IsNull()) return Variant::Null();
  std::string value = CStr(text, locale);
  value.resize(ByteOffsetOfUnits(value, count));
  return value;
}

Variant Right(const Variant& text, const Variant& length, const Locale& locale) {
  const std::size_t count = CountArg(length, 0, locale);
  if (text.IsNull()) return Variant::Null();
  std::string value = CStr(text, locale);
  const std::size_t units = Utf16Length(value);
  if (count >= units) return value;
  return value.substr(ByteOffsetOfUnits(value, units - count));
}

Variant Mid(const Variant& text, const Variant& start, const Locale& locale,
            const OptionalArg& length) {
  const std::size_t first = CountArg(start, 1, locale);
  const bool to_end = !length.has_value();
  const std::size_t count = to_end ? 0 : CountArg(*length, 0, locale);
  if (text.IsNull()) return Variant::Null();
  const std::string value = CStr(text, locale);
  const std::size_t begin = ByteOffsetOfUnits(value, first - 1);
  if (to_end) return value.substr(begin);
  const std::string_view rest = std::string_view(value).substr(begin);
  return std::string(rest.substr(0, ByteOffsetOfUnits(rest, count)));
}

Variant Len(const Variant& text, const Locale& locale) {
  if (text.IsNull()) return Variant::Null();
  return static_cast<std::int32_t>(Utf16Length(CStr(text, locale)));
}

Variant UCase(const Variant& text, const Locale& locale) {
  if (text.IsNull()) return Variant::Null();
  return UCase(CStr(text, locale));
}

Variant LCase(const Variant& text, const Locale& locale) {
  if (text.IsNull()) return Variant::Null();
  return LCase(CStr(text, locale));
}

}  // namespace kelvo
