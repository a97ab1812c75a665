// The plain text of numbers, as CStr writes them: no grouping, the locale's decimal separator.
#ifndef KELVO_RUNTIME_NUMBER_TEXT_H_
#define KELVO_RUNTIME_NUMBER_TEXT_H_

#include <string>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo {

// Up to 15 significant digits without trailing zeros; the exponent form ("1E+15", "1E-05")
// when the decimal exponent is below -4 or at least 15. Negative zero is "0".
std::string DoubleText(double value, const Locale& locale);

// Up to 4 decimals without trailing zeros.
std::string CurrencyText(Currency value, const Locale& locale);

// Every digit of the decimal.
std::string DecimalText(const Decimal& value, const Locale& locale);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_NUMBER_TEXT_H_
