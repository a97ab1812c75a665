#include "kelvo/locale.h"

#include <string>

#include "kelvo/error.h"

namespace kelvo {

const Locale& Locale::Default() {
  static const Locale en_us{"en-US"};
  return en_us;
}

const Locale& Locale::Find(std::string_view name) {
  if (name.size() == 5 && (name == "en-US" || name == "en-us" || name == "EN-US")) return Default();
  throw Error(errc::kInvalidCall, "Unknown locale '" + std::string(name) + "'");
}

}  // namespace kelvo
