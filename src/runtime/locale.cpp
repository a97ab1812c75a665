#include "kelvo/locale.h"

#include <algorithm>
#include <string>

#include "kelvo/error.h"
#include "runtime/locale_data.h"
#include "runtime/text.h"

namespace kelvo {

const Locale& Locale::Default() { return BuiltInLocales().front(); }

const Locale& Locale::Find(std::string_view name) {
  const auto profiles = BuiltInLocales();
  const auto it = std::find_if(profiles.begin(), profiles.end(),
                               [name](const Locale& l) { return EqualsIgnoreCase(l.name, name); });
  if (it == profiles.end()) {
    throw Error(errc::kInvalidCall, "Unknown locale '" + std::string(name) + "'");
  }
  return *it;
}

}  // namespace kelvo
