// Numbers read from and written as locale-free text, as databases exchange them ("-12.50",
// "1e3"). Blanks around a number are ignored when reading.
#ifndef KELVO_DATA_NUMBER_TEXT_H_
#define KELVO_DATA_NUMBER_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kelvo/variant.h"

namespace kelvo::data {

// An optional sign and digits; nothing when the text is not that or leaves the 64-bit range.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text);

// A finite number in decimal or exponent notation; nothing otherwise.
std::optional<double> ParseReal(std::string_view text);

// The canonical Decimal text of a number in decimal or exponent notation ("+1.5e2" gives
// "150", ".50" gives "0.50"); nothing when the text is not a number.
std::optional<std::string> ParseDecimalText(std::string_view text);

// The canonical Decimal text of a finite double, with the fewest digits that read back as it.
std::string DecimalTextOf(double value);

// A Decimal text as a currency amount, rounded half to even at the fourth decimal; nothing
// when the text is not a number or the amount leaves the currency range.
std::optional<Currency> ParseCurrency(std::string_view text);

// The canonical Decimal text of a currency amount ("12.5", "-0.0001").
std::string CurrencyText(Currency value);

}  // namespace kelvo::data

#endif  // KELVO_DATA_NUMBER_TEXT_H_
