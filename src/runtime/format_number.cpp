// FormatNumber, FormatCurrency and FormatPercent.
#include <cstdint>
#include <optional>
#include <string>

#include "kelvo/format.h"
#include "runtime/decimal_digits.h"
#include "runtime/errors.h"
#include "runtime/exact_number.h"
#include "runtime/format_args.h"

namespace kelvo {
namespace {

// More decimals than any number has digits only pads with zeros; the cap keeps the text sane.
constexpr std::int32_t kMaxDecimals = 99;

enum class Style : std::uint8_t { kNumber, kCurrency, kPercent };

bool HasParens(const Affixes& affixes) { return affixes.prefix.find('(') != std::string::npos; }

Affixes PositiveAffixes(Style style, const Locale& locale) {
  switch (style) {
    case Style::kCurrency:
      return locale.positive_currency;
    case Style::kPercent:
      return locale.positive_percent;
    case Style::kNumber:
      break;
  }
  return {};
}

const Affixes& LocaleNegativeAffixes(Style style, const Locale& locale) {
  switch (style) {
    case Style::kCurrency:
      return locale.negative_currency;
    case Style::kPercent:
      return locale.negative_percent;
    case Style::kNumber:
      break;
  }
  return locale.negative_number;
}

// The locale's negative form when it agrees with the parentheses choice, else the positive
// affixes in parentheses or behind a minus sign.
Affixes NegativeAffixes(Style style, bool parens, const Locale& locale) {
  const Affixes& native = LocaleNegativeAffixes(style, locale);
  if (HasParens(native) == parens) return native;
  Affixes affixes = PositiveAffixes(style, locale);
  if (parens) return {"(" + affixes.prefix, affixes.suffix + ")"};
  return {"-" + affixes.prefix, affixes.suffix};
}

std::string FormatStyled(Style style, const Variant& expression, const Locale& locale,
                         const OptionalArg& digits_after_decimal,
                         const OptionalArg& include_leading_digit,
                         const OptionalArg& use_parens_for_negative,
                         const OptionalArg& group_digits) {
  if (expression.IsNull()) ThrowTypeMismatch();
  std::optional<ScannedNumber> number = ExactNumber(expression, locale);
  if (!number) ThrowTypeMismatch();

  const std::int32_t digits = IntegerArg(digits_after_decimal, -1, locale);
  if (digits < -1 || digits > kMaxDecimals) ThrowInvalidCall();
  const auto decimals = static_cast<std::size_t>(digits == -1 ? locale.digits : digits);
  const bool leading_digit = TristateArg(include_leading_digit, locale.leading_zero, locale);
  const bool parens =
      TristateArg(use_parens_for_negative, HasParens(LocaleNegativeAffixes(style, locale)), locale);
  const bool grouping = TristateArg(group_digits, locale.group_size > 0, locale);

  if (style == Style::kPercent && !number->digits.empty()) number->exponent += 2;
  RoundToDecimals(*number, static_cast<std::int64_t>(decimals), Tie::kAwayFromZero);

  std::string integer = IntegerDigits(*number);
  if (integer.empty() && (leading_digit || decimals == 0)) integer = "0";
  std::string body = grouping ? GroupDigits(integer, locale) : std::move(integer);
  if (decimals > 0) body += locale.decimal_separator + FractionDigits(*number, decimals);

  const Affixes affixes =
      number->negative ? NegativeAffixes(style, parens, locale) : PositiveAffixes(style, locale);
  return affixes.prefix + body + affixes.suffix;
}

}  // namespace

std::string FormatNumber(const Variant& expression, const Locale& locale,
                         const OptionalArg& digits_after_decimal,
                         const OptionalArg& include_leading_digit,
                         const OptionalArg& use_parens_for_negative,
                         const OptionalArg& group_digits) {
  return FormatStyled(Style::kNumber, expression, locale, digits_after_decimal,
                      include_leading_digit, use_parens_for_negative, group_digits);
}

std::string FormatCurrency(const Variant& expression, const Locale& locale,
                           const OptionalArg& digits_after_decimal,
                           const OptionalArg& include_leading_digit,
                           const OptionalArg& use_parens_for_negative,
                           const OptionalArg& group_digits) {
  return FormatStyled(Style::kCurrency, expression, locale, digits_after_decimal,
                      include_leading_digit, use_parens_for_negative, group_digits);
}

std::string FormatPercent(const Variant& expression, const Locale& locale,
                          const OptionalArg& digits_after_decimal,
                          const OptionalArg& include_leading_digit,
                          const OptionalArg& use_parens_for_negative,
                          const OptionalArg& group_digits) {
  return FormatStyled(Style::kPercent, expression, locale, digits_after_decimal,
                      include_leading_digit, use_parens_for_negative, group_digits);
}

}  // namespace kelvo
