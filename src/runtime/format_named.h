// The named formats of Format ("Currency", "Short Date", "Yes/No", ...).
#ifndef KELVO_RUNTIME_FORMAT_NAMED_H_
#define KELVO_RUNTIME_FORMAT_NAMED_H_

#include <optional>
#include <string>
#include <string_view>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// The value in the format `name` names (compared without regard to case); nothing when `name`
// names no format. Null gives ""; a value the format cannot read comes back as CStr writes it.
std::optional<std::string> FormatNamed(const Variant& value, std::string_view name,
                                       const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_FORMAT_NAMED_H_
