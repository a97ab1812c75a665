#include "data/postgres_values.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "data/number_text.h"
#include "data/type_width.h"
#include "data/value_conversion.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "runtime/iso_date.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

using namespace ado;

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr int kCurrencyDecimals = 4;
constexpr int kCurrencyDigits = 18;  // digits of Currency::scaled that always fit

Variant WholeVariant(std::int64_t value) {
  if (value >= std::numeric_limits<std::int32_t>::min() &&
      value <= std::numeric_limits<std::int32_t>::max()) {
    return Variant(static_cast<std::int32_t>(value));
  }
  return Variant(value);
}

std::optional<double> ParseServerReal(std::string_view text) {
  if (text == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (text == "Infinity") return std::numeric_limits<double>::infinity();
  if (text == "-Infinity") return -std::numeric_limits<double>::infinity();
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// The server's money text in any locale ("$1,234.50", "-1.234,50 kr", "($5.00)"): its
// digits, the last `decimals` of them after the point.
Variant TypedMoney(std::string_view text, int decimals) {
  std::string digits;
  bool negative = false;
  for (char c : text) {
    if (IsAsciiDigit(c)) {
      digits += c;
    } else if (c == '-' || c == '(') {
      negative = true;
    }
  }
  if (digits.empty() || decimals < 0) return Variant(text);
  const auto count = static_cast<int>(digits.size());
  if (decimals <= kCurrencyDecimals && count <= kCurrencyDigits - (kCurrencyDecimals - decimals)) {
    std::int64_t scaled = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), scaled);
    for (int i = decimals; i < kCurrencyDecimals; ++i) scaled *= 10;
    return Variant(Currency{negative ? -scaled : scaled});
  }
  // Beyond the range of Currency: kept exact.
  if (count <= decimals) digits.insert(0, static_cast<size_t>(decimals - count + 1), '0');
  if (decimals > 0) digits.insert(digits.size() - static_cast<size_t>(decimals), 1, '.');
  if (auto exact = ParseDecimalText((negative ? "-" : "") + digits)) {
    return Variant(Decimal{std::move(*exact)});
  }
  return Variant(text);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Bytes> ParseHexBytes(std::string_view text) {
  if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0) {
    return std::nullopt;
  }
  Bytes bytes;
  bytes.reserve((text.size() - 2) / 2);
  for (size_t i = 2; i < text.size(); i += 2) {
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

std::string HexText(const std::uint8_t* data, size_t size) {
  std::string text = "\\x";
  text.reserve(2 + size * 2);
  for (size_t i = 0; i < size; ++i) {
    text += kHexDigits[data[i] >> 4];
    text += kHexDigits[data[i] & 0xF];
  }
  return text;
}

// Date and time texts end with the zone of a timestamptz or timetz ("+00", "-08:00", "+05:30");
// the wall time before it is the session's, which is what Date holds.
std::string_view WithoutZone(std::string_view text) {
  const size_t sign = text.find_last_of("+-");
  if (sign == std::string_view::npos || sign < 8) return text;
  for (size_t i = sign + 1; i < text.size(); ++i) {
    if (!IsAsciiDigit(text[i]) && text[i] != ':') return text;
  }
  return text.substr(0, sign);
}

Variant TypedText(std::string_view text, ValueClass value_class, int money_decimals) {
  switch (value_class) {
    case ValueClass::kWhole:
      if (auto n = ParseWholeNumber(text)) return WholeVariant(*n);
      break;
    case ValueClass::kReal:
      if (auto d = ParseServerReal(text)) return Variant(*d);
      break;
    case ValueClass::kDecimal:
      if (auto decimal = ParseDecimalText(text)) return Variant(Decimal{std::move(*decimal)});
      break;
    case ValueClass::kCurrency:
      return TypedMoney(text, money_decimals);
    case ValueClass::kBoolean:
      if (text == "t") return Variant(true);
      if (text == "f") return Variant(false);
      break;
    case ValueClass::kDate:
      if (auto date = ParseIsoDate(WithoutZone(text))) return Variant(*date);
      break;
    case ValueClass::kBinary:
      if (auto bytes = ParseHexBytes(text)) return Variant(std::move(*bytes));
      break;
    case ValueClass::kText:
      break;
  }
  return Variant(text);
}

// "YYYY-MM-DD HH:MM:SS" with the microseconds the server keeps, when there are any.
std::string DateTimeText(Date date) {
  constexpr double kMicrosecondsPerDay = 86400e6;
  const double day = std::trunc(date.serial);
  auto micros = std::llround(std::fabs(date.serial - day) * kMicrosecondsPerDay);
  // A time of day that rounds up to midnight stays in its day, a microsecond short.
  if (micros >= static_cast<long long>(kMicrosecondsPerDay)) micros -= 1;
  const long long seconds = micros / 1'000'000;
  const auto fraction = micros % 1'000'000;
  std::string text = IsoDateText(Date{day}, IsoDateColumn::kDate);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, " %02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  text += buffer;
  if (fraction != 0) {
    std::snprintf(buffer, sizeof buffer, ".%06lld", static_cast<long long>(fraction));
    std::string digits = buffer;
    while (digits.back() == '0') digits.pop_back();
    text += digits;
  }
  return text;
}

const std::string& CheckedText(const std::string& text) {
  if (text.find('\0') != std::string::npos) {
    ThrowMismatch("text holding a NUL character cannot be sent to PostgreSQL");
  }
  return text;
}

std::string RealText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::optional<bool> ParseBoolean(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (EqualsIgnoreCase(text, "true") || EqualsIgnoreCase(text, "t") || text == "1" ||
      text == "-1") {
    return true;
  }
  if (EqualsIgnoreCase(text, "false") || EqualsIgnoreCase(text, "f") || text == "0") return false;
  return std::nullopt;
}

Variant RealFor(const Variant& value) {
  switch (value.type()) {
    case VarType::kString:
      if (auto d = ParseReal(value.AsString())) return Variant(RealText(*d));
      ThrowMismatch(QuotedText(value.AsString()) + " is not a number");
    case VarType::kBoolean:
      return Variant(value.AsBool() ? "1" : "0");
    case VarType::kInt32:
      return Variant(std::to_string(value.AsInt32()));
    case VarType::kInt64:
      return Variant(std::to_string(value.AsInt64()));
    case VarType::kDouble:
      return Variant(RealText(value.AsDouble()));
    case VarType::kCurrency:
      return Variant(CurrencyText(value.AsCurrency()));
    case VarType::kDecimal:
      return Variant(value.AsDecimal().text);
    default:
      ThrowMismatch("the value is not a number");
  }
}

Variant DecimalFor(const Variant& value) {
  switch (value.type()) {
    case VarType::kString:
      if (auto text = ParseDecimalText(value.AsString())) return Variant(std::move(*text));
      ThrowMismatch(QuotedText(value.AsString()) + " is not a number");
    case VarType::kDouble:
      if (!std::isfinite(value.AsDouble()))
        ThrowMismatch(RealText(value.AsDouble()) + " is not a number");
      return Variant(DecimalTextOf(value.AsDouble()));
    default:
      return RealFor(value);
  }
}

Variant BooleanFor(const Variant& value) {
  switch (value.type()) {
    case VarType::kString:
      if (auto b = ParseBoolean(value.AsString())) return Variant(*b ? "t" : "f");
      ThrowMismatch(QuotedText(value.AsString()) + " is not True or False");
    case VarType::kBoolean:
      return Variant(value.AsBool() ? "t" : "f");
    case VarType::kInt32:
    case VarType::kInt64:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDecimal: {
      const Variant text = RealFor(value);
      const auto number = ParseReal(text.AsString());
      return Variant(number && *number != 0 ? "t" : "f");
    }
    default:
      ThrowMismatch("the value is not True or False");
  }
}

// The column's type decides what of a date it keeps: the day, the time of day, or both.
Variant DateFor(const Variant& value, int type) {
  Date date;
  if (value.type() == VarType::kDate) {
    date = value.AsDate();
  } else if (value.IsString()) {
    const auto parsed = ParseIsoDate(value.AsString());
    if (!parsed) {
      ThrowMismatch(QuotedText(value.AsString()) +
                    " is not a date (write YYYY-MM-DD, HH:MM:SS or YYYY-MM-DD HH:MM:SS)");
    }
    date = *parsed;
  } else {
    ThrowMismatch("the value is not a date");
  }
  const std::string text = DateTimeText(date);
  if (type == adDBDate) return Variant(text.substr(0, 10));
  if (type == adDBTime) return Variant(text.substr(11));
  return Variant(text);
}

Variant TextFor(const Variant& value, int type) {
  switch (value.type()) {
    case VarType::kString:
      if (ValueClassOf(type) == ValueClass::kBinary) {
        const std::string& text = value.AsString();
        return Variant(HexText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
      }
      return Variant(CheckedText(value.AsString()));
    case VarType::kBinary: {
      const Bytes& bytes = value.AsBinary();
      if (ValueClassOf(type) == ValueClass::kBinary) {
        return Variant(HexText(bytes.data(), bytes.size()));
      }
      return Variant(CheckedText(std::string(bytes.begin(), bytes.end())));
    }
    case VarType::kObject:
      ThrowMismatch("an object cannot be stored");
    default:
      return Variant(*PostgresParameterText(value));
  }
}

}  // namespace

Variant PostgresTyped(std::string_view text, ValueClass value_class, int money_decimals) {
  return TypedText(text, value_class, money_decimals);
}

long PostgresValueSize(std::string_view text, int type) {
  switch (ValueClassOf(type)) {
    case ValueClass::kText:
      return static_cast<long>(text.size());
    case ValueClass::kBinary:
      return text.size() >= 2 ? static_cast<long>((text.size() - 2) / 2) : 0;
    default:
      return TypeWidth(type);
  }
}

Variant PostgresStoredFor(const Variant& value, int type) {
  if (value.IsEmpty() || value.IsNull()) return Variant::Null();
  switch (ValueClassOf(type)) {
    case ValueClass::kWhole:
      return Variant(std::to_string(WholeNumberFor(value)));
    case ValueClass::kReal:
      return RealFor(value);
    case ValueClass::kDecimal:
    case ValueClass::kCurrency:
      return DecimalFor(value);
    case ValueClass::kBoolean:
      return BooleanFor(value);
    case ValueClass::kDate:
      return DateFor(value, type);
    default:
      return TextFor(value, type);
  }
}

std::optional<std::string> PostgresParameterText(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      return std::nullopt;
    case VarType::kBoolean:
      return value.AsBool() ? "true" : "false";
    case VarType::kInt32:
      return std::to_string(value.AsInt32());
    case VarType::kInt64:
      return std::to_string(value.AsInt64());
    case VarType::kDouble:
      return RealText(value.AsDouble());
    case VarType::kCurrency:
      return CurrencyText(value.AsCurrency());
    case VarType::kDecimal:
      return value.AsDecimal().text;
    case VarType::kDate:
      return DateTimeText(value.AsDate());
    case VarType::kString:
      return CheckedText(value.AsString());
    case VarType::kBinary: {
      const Bytes& bytes = value.AsBinary();
      return HexText(bytes.data(), bytes.size());
    }
    case VarType::kObject:
      break;
  }
  throw Error(errc::kTypeMismatch, "An object cannot be bound as a statement parameter");
}

}  // namespace kelvo::data
