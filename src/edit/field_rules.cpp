#include "edit/field_rules.h"

#include "component/list_utils.h"
#include "edit/posted_number.h"
#include "kelvo/convert.h"
#include "kelvo/data.h"

namespace kelvo::detail {
namespace {

enum class Rule { kWhole, kFraction, kDate, kBoolean, kNever, kText };

Rule RuleOf(int type) {
  if (IsWholeNumberType(type)) return Rule::kWhole;
  switch (type) {
    case ado::adSingle:
    case ado::adDouble:
    case ado::adCurrency:
    case ado::adDecimal:
    case ado::adNumeric:
    case ado::adVarNumeric:
      return Rule::kFraction;
    case ado::adDate:
    case ado::adDBDate:
    case ado::adDBTime:
    case ado::adDBTimeStamp:
      return Rule::kDate;
    case ado::adBoolean:
      return Rule::kBoolean;
    case ado::adBinary:
    case ado::adVarBinary:
    case ado::adLongVarBinary:
      return Rule::kNever;
    default:
      return Rule::kText;
  }
}

// Numbers are assigned as exact decimals: the column's own conversion then neither depends on
// the locale nor rounds.
RuleOutcome Number(std::string_view posted, const Locale& locale) {
  std::optional<Decimal> number = ReadPostedNumber(posted, locale);
  if (!number) return {RuleOutcome::kNotNumber, {}};
  return {RuleOutcome::kAssign, Variant(std::move(*number))};
}

}  // namespace

std::string_view InputModeOf(int type) {
  switch (RuleOf(type)) {
    case Rule::kWhole:
      return "numeric";
    case Rule::kFraction:
      return "decimal";
    default:
      return {};
  }
}

RuleOutcome ApplyFieldRule(int type, std::string_view posted, bool nullable, const Locale& locale) {
  const Rule rule = RuleOf(type);
  if (rule == Rule::kNever) return {RuleOutcome::kSkip, {}};
  if (rule == Rule::kBoolean) return {RuleOutcome::kAssign, Variant(!posted.empty())};
  const bool empty = posted.empty() || (rule == Rule::kDate && posted == "0");
  if (empty) {
    if (nullable) return {RuleOutcome::kAssign, Variant::Null()};
    return {RuleOutcome::kRequired, {}};
  }
  switch (rule) {
    case Rule::kWhole:
    case Rule::kFraction:
      return Number(posted, locale);
    case Rule::kDate:
      if (!IsDate(Variant(posted), locale)) return {RuleOutcome::kNotDate, {}};
      return {RuleOutcome::kAssign, Variant(CDate(Variant(posted), locale))};
    default:
      return {RuleOutcome::kAssign, Variant(posted)};
  }
}

}  // namespace kelvo::detail
