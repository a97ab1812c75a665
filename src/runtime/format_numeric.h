// Numbers through the numeric sections of a user format pattern.
#ifndef KELVO_RUNTIME_FORMAT_NUMERIC_H_
#define KELVO_RUNTIME_FORMAT_NUMERIC_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "kelvo/locale.h"
#include "runtime/number_scan.h"

namespace kelvo {

// `number` (nothing for Null) through up to four sections: positive; negative; zero; Null.
// One section formats every value and puts "-" before a negative one that does not round to
// zero; an empty or missing section falls back to the first. Null without a fourth section
// gives "".
std::string FormatNumericPattern(std::span<const std::string_view> sections,
                                 const std::optional<ScannedNumber>& number, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_FORMAT_NUMERIC_H_
