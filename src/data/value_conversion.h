// What every provider does alike with a value written to a column: the failure it reports
// when the value does not convert, and the whole number a value stands for.
#ifndef KELVO_DATA_VALUE_CONVERSION_H_
#define KELVO_DATA_VALUE_CONVERSION_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/variant.h"

namespace kelvo::data {

// Throws Error(errc::kTypeMismatch) with `why`.
[[noreturn]] void ThrowMismatch(const std::string& why);
// The text in single quotes, for those messages.
std::string QuotedText(std::string_view text);

// The whole number `value` stands for: text, Booleans, numbers without a fraction. Throws
// Error(errc::kTypeMismatch) saying why for anything else.
std::int64_t WholeNumberFor(const Variant& value);

}  // namespace kelvo::data

#endif  // KELVO_DATA_VALUE_CONVERSION_H_
