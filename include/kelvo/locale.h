// The host's locale: how numbers, currency, percentages and dates become text.
#ifndef KELVO_LOCALE_H_
#define KELVO_LOCALE_H_

#include <string>
#include <string_view>

#include "kelvo/export.h"

namespace kelvo {

struct KELVO_EXPORT Locale {
  std::string name;  // "en-US"

  // The built-in locale of that name (without regard to case); throws Error for an unknown one.
  static const Locale& Find(std::string_view name);
  // en-US.
  static const Locale& Default();
};

}  // namespace kelvo

#endif  // KELVO_LOCALE_H_
