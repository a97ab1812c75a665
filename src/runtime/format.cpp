// Format: user patterns, named formats and the plain form.
#include "kelvo/format.h"

#include <string>
#include <vector>

#include "kelvo/convert.h"
#include "runtime/errors.h"
#include "runtime/exact_number.h"
#include "runtime/format_args.h"
#include "runtime/format_date.h"
#include "runtime/format_named.h"
#include "runtime/format_numeric.h"
#include "runtime/format_sections.h"
#include "runtime/format_string.h"

namespace kelvo {
namespace {

constexpr std::size_t kMaxSections = 4;

}  // namespace

std::string Format(const Variant& expression, const Locale& locale, const OptionalArg& pattern,
                   const OptionalArg& first_day_of_week, const OptionalArg& first_week_of_year) {
  const Weekday first_day = FirstDayOfWeekArg(first_day_of_week, locale);
  const FirstWeek first_week = FirstWeekOfYearArg(first_week_of_year, locale);
  if (pattern && pattern->IsNull()) ThrowInvalidUseOfNull();
  const std::string text = pattern ? CStr(*pattern, locale) : std::string();
  if (text.empty()) return expression.IsNull() ? std::string() : CStr(expression, locale);
  if (std::optional<std::string> named = FormatNamed(expression, text, locale)) return *named;

  const std::vector<std::string_view> sections = SplitSections(text);
  if (sections.size() > kMaxSections) ThrowInvalidCall();
  switch (ClassifyPattern(text)) {
    case PatternKind::kString:
      if (expression.IsNull()) return FormatStringPattern(sections, std::nullopt);
      return FormatStringPattern(sections, CStr(expression, locale));
    case PatternKind::kDate: {
      if (expression.IsNull()) return {};
      const std::optional<Date> date = DateForPattern(expression, locale);
      if (!date) return CStr(expression, locale);
      return FormatDateSection(sections[0], *date, first_day, first_week, locale);
    }
    case PatternKind::kNumeric:
    case PatternKind::kLiteral:
      break;
  }
  const std::optional<ScannedNumber> number = ExactNumber(expression, locale);
  if (!number && !expression.IsNull()) return CStr(expression, locale);
  return FormatNumericPattern(sections, number, locale);
}

}  // namespace kelvo
