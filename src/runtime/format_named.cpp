#include "runtime/format_named.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "kelvo/convert.h"
#include "kelvo/date.h"
#include "kelvo/format.h"
#include "runtime/date_pattern.h"
#include "runtime/exact_number.h"
#include "runtime/format_date.h"
#include "runtime/format_numeric.h"
#include "runtime/number_text.h"
#include "runtime/text.h"

namespace kelvo {
namespace {

enum class Named : std::uint8_t {
  kGeneralNumber,
  kCurrency,
  kFixed,
  kStandard,
  kPercent,
  kScientific,
  kYesNo,
  kTrueFalse,
  kOnOff,
  kGeneralDate,
  kLongDate,
  kMediumDate,
  kShortDate,
  kLongTime,
  kMediumTime,
  kShortTime,
};

struct NamedFormat {
  std::string_view name;
  Named id;
};

constexpr std::array<NamedFormat, 16> kNamedFormats{{
    {"General Number", Named::kGeneralNumber},
    {"Currency", Named::kCurrency},
    {"Fixed", Named::kFixed},
    {"Standard", Named::kStandard},
    {"Percent", Named::kPercent},
    {"Scientific", Named::kScientific},
    {"Yes/No", Named::kYesNo},
    {"True/False", Named::kTrueFalse},
    {"On/Off", Named::kOnOff},
    {"General Date", Named::kGeneralDate},
    {"Long Date", Named::kLongDate},
    {"Medium Date", Named::kMediumDate},
    {"Short Date", Named::kShortDate},
    {"Long Time", Named::kLongTime},
    {"Medium Time", Named::kMediumTime},
    {"Short Time", Named::kShortTime},
}};

std::string NumericPattern(const ScannedNumber& number, std::string_view pattern,
                           const Locale& locale) {
  const std::string_view sections[] = {pattern};
  return FormatNumericPattern(sections, number, locale);
}

// The general number form: CStr's digits for the value read as a number.
std::string GeneralNumber(const Variant& value, const Locale& locale) {
  switch (value.type()) {
    case VarType::kBoolean:
      return value.AsBool() ? "-1" : "0";
    case VarType::kString:
      return DoubleText(CDbl(value, locale), locale);
    case VarType::kDate:
      return DoubleText(value.AsDate().serial, locale);
    default:
      return CStr(value, locale);
  }
}

std::string FormatNumberNamed(Named id, const Variant& value, const ScannedNumber& number,
                              const Locale& locale) {
  const bool zero = number.digits.empty();
  switch (id) {
    case Named::kGeneralNumber:
      return GeneralNumber(value, locale);
    case Named::kCurrency:
      return FormatCurrency(value, locale);
    case Named::kFixed:
      return NumericPattern(number, "0.00", locale);
    case Named::kStandard:
      return NumericPattern(number, "#,##0.00", locale);
    case Named::kPercent:
      return NumericPattern(number, "0.00%", locale);
    case Named::kScientific:
      return NumericPattern(number, "0.00E+00", locale);
    case Named::kYesNo:
      return zero ? "No" : "Yes";
    case Named::kTrueFalse:
      return zero ? "False" : "True";
    default:
      return zero ? "Off" : "On";
  }
}

std::string FormatDateNamed(Named id, Date date, const Locale& locale) {
  switch (id) {
    case Named::kGeneralDate:
      return FormatGeneralDate(date, locale);
    case Named::kLongDate:
      return FormatDatePattern(SplitDate(date), locale.long_date, locale);
    case Named::kMediumDate:
      return FormatDateSection("dd-mmm-yy", date, Weekday::kSunday, FirstWeek::kContainsJan1,
                               locale);
    case Named::kShortDate:
      return FormatDatePattern(SplitDate(date), locale.short_date, locale);
    case Named::kLongTime:
      return FormatDatePattern(SplitDate(date), locale.long_time, locale);
    case Named::kMediumTime:
      return FormatDateSection("hh:mm AM/PM", date, Weekday::kSunday, FirstWeek::kContainsJan1,
                               locale);
    default:
      return FormatDatePattern(SplitDate(date), "HH:mm", locale);
  }
}

}  // namespace

std::optional<std::string> FormatNamed(const Variant& value, std::string_view name,
                                       const Locale& locale) {
  const auto found =
      std::find_if(kNamedFormats.begin(), kNamedFormats.end(),
                   [&](const NamedFormat& f) { return EqualsIgnoreCase(f.name, name); });
  if (found == kNamedFormats.end()) return std::nullopt;
  if (value.IsNull()) return std::string();
  if (found->id >= Named::kGeneralDate) {
    const std::optional<Date> date = DateForPattern(value, locale);
    if (!date) return CStr(value, locale);
    return FormatDateNamed(found->id, *date, locale);
  }
  const std::optional<ScannedNumber> number = ExactNumber(value, locale);
  if (!number) return CStr(value, locale);
  return FormatNumberNamed(found->id, value, *number, locale);
}

}  // namespace kelvo
