#include "component/dispatch_table.h"

#include "kelvo/convert.h"
#include "kelvo/locale.h"
#include "runtime/text.h"

namespace kelvo::detail {

std::string AsText(const Variant& value) { return CStr(value, Locale::Default()); }
bool AsBool(const Variant& value) { return CBool(value, Locale::Default()); }
std::int16_t AsInt16(const Variant& value) { return CInt(value, Locale::Default()); }
std::int32_t AsInt32(const Variant& value) { return CLng(value, Locale::Default()); }

void RequireArguments(std::span<const Variant> args, std::size_t count, std::string_view member) {
  if (args.size() != count) {
    throw Error(errc::kWrongArguments, "Wrong number of arguments or invalid property assignment: '" +
                                           std::string(member) + "'");
  }
}

std::size_t CountArguments(std::string_view arguments) {
  if (arguments.empty()) return 0;
  std::size_t count = 1;
  for (char c : arguments) count += c == ',' ? 1 : 0;
  return count;
}

bool EqualsMemberName(std::string_view a, std::string_view b) { return EqualsIgnoreCase(a, b); }

}  // namespace kelvo::detail
