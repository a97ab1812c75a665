// A value's CStr text for writers that append it to a page: no copy of a string value.
#ifndef KELVO_RUNTIME_VALUE_TEXT_H_
#define KELVO_RUNTIME_VALUE_TEXT_H_

#include <string>
#include <string_view>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// CStr(value, locale) as a view: of a string value's own text, or of `buffer`, which receives
// any other value's text. Throws as CStr does. The view lasts while both are unchanged.
std::string_view CStrView(const Variant& value, const Locale& locale, std::string& buffer);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_VALUE_TEXT_H_
