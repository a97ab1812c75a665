// Numbers typed into an edit form, read the way the page's locale writes them.
#ifndef KELVO_EDIT_POSTED_NUMBER_H_
#define KELVO_EDIT_POSTED_NUMBER_H_

#include <optional>
#include <string_view>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo::detail {

// Reads the whole text as a number of the locale: blanks around it, a leading + or -, digits
// with the locale's decimal separator, its group separator only between whole groups left of
// the decimal separator (a blank or narrow no-break space too where the locale groups with a
// no-break space), and an exponent (e or E, optional sign). Nothing for any other text, so
// "1,5" in en-US or "1.5" in de-DE is refused rather than read as a number nobody meant.
std::optional<Decimal> ReadPostedNumber(std::string_view text, const Locale& locale);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_POSTED_NUMBER_H_
