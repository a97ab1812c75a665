// The built-in locale profiles.
#ifndef KELVO_RUNTIME_LOCALE_DATA_H_
#define KELVO_RUNTIME_LOCALE_DATA_H_

#include <span>

#include "kelvo/locale.h"

namespace kelvo {

// Every built-in profile, en-US first. Built on first use; lives for the whole program.
std::span<const Locale> BuiltInLocales();

}  // namespace kelvo

#endif  // KELVO_RUNTIME_LOCALE_DATA_H_
