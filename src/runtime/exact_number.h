// The exact decimal value of a variant, as the formatting functions read numbers.
#ifndef KELVO_RUNTIME_EXACT_NUMBER_H_
#define KELVO_RUNTIME_EXACT_NUMBER_H_

#include <optional>

#include "kelvo/locale.h"
#include "kelvo/variant.h"
#include "runtime/number_scan.h"

namespace kelvo {

// Empty is 0 and Booleans -1 or 0; integers, currency and decimals keep their exact digits;
// doubles and dates are reduced to 15 significant digits; text is read in the locale's notation
// with every digit it has. Nothing for text that is no number (the caller decides what that
// means) and for Null. Throws Overflow for text beyond the double range and Type mismatch for
// binary data and objects.
std::optional<ScannedNumber> ExactNumber(const Variant& value, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_EXACT_NUMBER_H_
