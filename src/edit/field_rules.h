// The rules by which a posted editor value becomes the value a save assigns to its field.
#ifndef KELVO_EDIT_FIELD_RULES_H_
#define KELVO_EDIT_FIELD_RULES_H_

#include <string_view>

#include "kelvo/locale.h"
#include "kelvo/variant.h"

namespace kelvo::detail {

struct RuleOutcome {
  enum Kind {
    kAssign,     // assign `value`
    kSkip,       // the field is never written (binary data)
    kRequired,   // empty, and the field does not accept null
    kNotNumber,  // a number field's text is no number of the locale
    kNotDate,    // a date field's text is no date of the locale
  };
  Kind kind = kAssign;
  Variant value;
};

// The phone keyboard that fits a number field: "numeric" for whole numbers, "decimal" for
// fractions; empty for any other type (a date's text holds separators that no number keys
// offer).
std::string_view InputModeOf(int type);

// By the field's type: whole and fractional numbers must read as numbers written the locale's
// way (ReadPostedNumber), dates as dates ("0" counts as empty), Booleans are true for any
// posted text, binary data is never written, other text is assigned as posted. An empty value
// is null where the field accepts it.
RuleOutcome ApplyFieldRule(int type, std::string_view posted, bool nullable, const Locale& locale);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_FIELD_RULES_H_
