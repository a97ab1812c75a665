#include "data/sqlite_values.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

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

inline Variant WholeVariant(std::int64_t value) {
  if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<std::int32_t>(value));
  return Variant(value);
}

// Reading a value of a statement's current row without copying it first.
class SqliteColumn {
 public:
  explicit SqliteColumn(sqlite3_value* value) : value_(value) {}
  int StorageClass() const { return sqlite3_value_type(value_); }
  std::int64_t Integer() const { return sqlite3_value_int64(value_); }
  double Real() const { return sqlite3_value_double(value_); }
  std::string_view Text() const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value_));
    return {text, static_cast<size_t>(sqlite3_value_bytes(value_))};
  }
  std::span<const std::uint8_t> Blob() const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_value_blob(value_));
    return {data, static_cast<size_t>(sqlite3_value_bytes(value_))};
  }

 private:
  sqlite3_value* value_;
};

// Reading a stored value kept in a Variant.
class StoredColumn {
 public:
  explicit StoredColumn(const Variant& stored) : stored_(stored) {}
  int StorageClass() const {
    switch (stored_.type()) {
      case VarType::kBoolean:
      case VarType::kInt32:
      case VarType::kInt64:
        return SQLITE_INTEGER;
      case VarType::kDouble:
        return SQLITE_FLOAT;
      case VarType::kString:
        return SQLITE_TEXT;
      case VarType::kBinary:
        return SQLITE_BLOB;
      default:
        return SQLITE_NULL;
    }
  }
  std::int64_t Integer() const {
    if (stored_.type() == VarType::kBoolean) return stored_.AsBool() ? 1 : 0;
    if (stored_.type() == VarType::kInt32) return stored_.AsInt32();
    return stored_.AsInt64();
  }
  double Real() const { return stored_.AsDouble(); }
  std::string_view Text() const { return stored_.AsString(); }
  std::span<const std::uint8_t> Blob() const { return stored_.AsBinary(); }

 private:
  const Variant& stored_;
};

Variant TypedInteger(std::int64_t value, ValueClass value_class);
Variant TypedReal(double value, ValueClass value_class);
Variant TypedText(std::string_view value, ValueClass value_class);

// Numbers and text read as stored take no further call.
template <class Column>
Variant TypedOf(const Column& column, ValueClass value_class) {
  const bool as_stored = value_class <= ValueClass::kBinary;
  switch (column.StorageClass()) {
    case SQLITE_INTEGER:
      return as_stored ? WholeVariant(column.Integer())
                       : TypedInteger(column.Integer(), value_class);
    case SQLITE_FLOAT:
      return as_stored || value_class == ValueClass::kReal ? Variant(column.Real())
                                                           : TypedReal(column.Real(), value_class);
    case SQLITE_TEXT:
      return as_stored ? Variant(column.Text()) : TypedText(column.Text(), value_class);
    case SQLITE_BLOB: {
      const auto blob = column.Blob();
      return Variant(Bytes(blob.begin(), blob.end()));
    }
    default:
      return Variant::Null();
  }
}

template <class Column>
long SizeOf(const Column& column, int type) {
  switch (column.StorageClass()) {
    case SQLITE_NULL:
      return 0;
    case SQLITE_TEXT:
      return static_cast<long>(column.Text().size());
    case SQLITE_BLOB:
      return static_cast<long>(column.Blob().size());
    default:
      return TypeWidth(type);
  }
}

IsoDateColumn DateColumnOf(int type) {
  if (type == adDBDate) return IsoDateColumn::kDate;
  if (type == adDBTime) return IsoDateColumn::kTime;
  return IsoDateColumn::kDateTime;
}

constexpr double kCurrencyLimit = 9.2e14;  // inside the range of Currency::scaled / 10000

std::optional<bool> ParseBoolean(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (EqualsIgnoreCase(text, "true") || text == "1" || text == "-1") return true;
  if (EqualsIgnoreCase(text, "false") || text == "0") return false;
  return std::nullopt;
}

Variant RealFor(const Variant& value) {
  switch (value.type()) {
    case VarType::kString:
      if (auto d = ParseReal(value.AsString())) return Variant(*d);
      ThrowMismatch(QuotedText(value.AsString()) + " is not a number");
    case VarType::kBoolean:
      return Variant(value.AsBool() ? 1.0 : 0.0);
    case VarType::kInt32:
      return Variant(static_cast<double>(value.AsInt32()));
    case VarType::kInt64:
      return Variant(static_cast<double>(value.AsInt64()));
    case VarType::kDouble:
      return value;
    case VarType::kCurrency:
      return Variant(static_cast<double>(value.AsCurrency().scaled) / 10000);
    case VarType::kDecimal:
      if (auto d = ParseReal(value.AsDecimal().text)) return Variant(*d);
      ThrowMismatch(value.AsDecimal().text + " is out of range");
    default:
      ThrowMismatch("the value is not a number");
  }
}

// Exact numbers are kept as text: SQLite's NUMERIC affinity stores them as integers or reals.
Variant DecimalFor(const Variant& value, bool currency) {
  std::optional<std::string> text;
  switch (value.type()) {
    case VarType::kString:
      text = ParseDecimalText(value.AsString());
      if (!text) ThrowMismatch(QuotedText(value.AsString()) + " is not a number");
      break;
    case VarType::kBoolean:
      return Variant(std::int64_t{value.AsBool() ? 1 : 0});
    case VarType::kInt32:
    case VarType::kInt64:
    case VarType::kDouble:
      return value.type() == VarType::kInt32 ? Variant(std::int64_t{value.AsInt32()}) : value;
    case VarType::kCurrency:
      return Variant(CurrencyText(value.AsCurrency()));
    case VarType::kDecimal:
      text = value.AsDecimal().text;
      break;
    default:
      ThrowMismatch("the value is not a number");
  }
  if (!currency) return Variant(std::move(*text));
  const auto amount = ParseCurrency(*text);
  if (!amount) ThrowMismatch(*text + " is out of the currency range");
  return Variant(CurrencyText(*amount));
}

Variant BooleanFor(const Variant& value) {
  switch (value.type()) {
    case VarType::kString:
      if (auto b = ParseBoolean(value.AsString())) return Variant(std::int64_t{*b ? 1 : 0});
      ThrowMismatch(QuotedText(value.AsString()) + " is not True or False");
    case VarType::kBoolean:
      return Variant(std::int64_t{value.AsBool() ? 1 : 0});
    case VarType::kInt32:
    case VarType::kInt64:
    case VarType::kDouble:
      return Variant(std::int64_t{RealFor(value).AsDouble() != 0 ? 1 : 0});
    default:
      ThrowMismatch("the value is not True or False");
  }
}

Variant DateFor(const Variant& value, int type) {
  if (value.type() == VarType::kDate) {
    return Variant(IsoDateText(value.AsDate(), DateColumnOf(type)));
  }
  if (value.IsString()) {
    if (auto date = ParseIsoDate(value.AsString())) {
      return Variant(IsoDateText(*date, DateColumnOf(type)));
    }
    ThrowMismatch(QuotedText(value.AsString()) +
                  " is not a date (write YYYY-MM-DD, HH:MM:SS or YYYY-MM-DD HH:MM:SS)");
  }
  ThrowMismatch("the value is not a date");
}

Variant OtherFor(const Variant& value, int type) {
  switch (value.type()) {
    case VarType::kBoolean:
      return Variant(std::int64_t{value.AsBool() ? 1 : 0});
    case VarType::kInt32:
      return Variant(std::int64_t{value.AsInt32()});
    case VarType::kCurrency:
      return Variant(CurrencyText(value.AsCurrency()));
    case VarType::kDecimal:
      return Variant(value.AsDecimal().text);
    case VarType::kDate:
      return Variant(IsoDateText(value.AsDate(), IsoDateColumn::kDate));
    case VarType::kString:
      if (ValueClassOf(type) == ValueClass::kBinary) {
        const std::string& text = value.AsString();
        return Variant(Bytes(text.begin(), text.end()));
      }
      return value;
    case VarType::kObject:
      ThrowMismatch("an object cannot be stored");
    default:
      return value;
  }
}

[[noreturn]] void BindFailed(sqlite3_stmt* statement) {
  throw Error(errc::kDatabase, sqlite3_errmsg(sqlite3_db_handle(statement)));
}

// Decimal text with at most 15 significant digits reads back exactly from a double, which
// keeps comparisons with numeric columns and expressions numeric.
bool FitsDouble(std::string_view decimal) {
  int significant = 0;
  bool leading = true;
  for (char c : decimal) {
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++significant;
  }
  return significant <= 15;
}

Variant TypedInteger(std::int64_t value, ValueClass value_class) {
  switch (value_class) {
    case ValueClass::kDecimal:
      return Variant(Decimal{std::to_string(value)});
    case ValueClass::kCurrency:
      if (std::fabs(static_cast<double>(value)) < kCurrencyLimit)
        return Variant(Currency{value * 10000});
      return Variant(static_cast<double>(value));
    case ValueClass::kBoolean:
      return Variant(value != 0);
    case ValueClass::kReal:
      return Variant(static_cast<double>(value));
    default:
      return WholeVariant(value);
  }
}

Variant TypedReal(double value, ValueClass value_class) {
  switch (value_class) {
    case ValueClass::kDecimal:
      if (std::isfinite(value)) return Variant(Decimal{DecimalTextOf(value)});
      return Variant(value);
    case ValueClass::kCurrency:
      if (std::fabs(value) < kCurrencyLimit) return Variant(Currency{std::llround(value * 10000)});
      return Variant(value);
    case ValueClass::kBoolean:
      return Variant(value != 0);
    default:
      return Variant(value);
  }
}

Variant TypedText(std::string_view value, ValueClass value_class) {
  switch (value_class) {
    case ValueClass::kDecimal:
      if (auto text = ParseDecimalText(value)) return Variant(Decimal{std::move(*text)});
      break;
    case ValueClass::kCurrency:
      if (auto amount = ParseCurrency(value)) return Variant(*amount);
      break;
    case ValueClass::kBoolean:
      if (auto b = ParseBoolean(value)) return Variant(*b);
      break;
    case ValueClass::kDate:
      return DateOrText(value);
    default:
      break;
  }
  return Variant(value);
}

}  // namespace

Variant DateOrText(std::string_view text) {
  if (const auto date = ParseIsoDate(text)) return Variant(*date);
  return Variant(text);
}

Variant ConvertedValue(sqlite3_value* value, ValueClass value_class) {
  return TypedOf(SqliteColumn(value), value_class);
}

Variant TypedValue(const Variant& stored, ValueClass value_class) {
  return TypedOf(StoredColumn(stored), value_class);
}

Variant StoredValue(sqlite3_value* value) {
  const SqliteColumn column(value);
  switch (column.StorageClass()) {
    case SQLITE_INTEGER:
      return Variant(column.Integer());
    case SQLITE_FLOAT:
      return Variant(column.Real());
    case SQLITE_TEXT:
      return Variant(column.Text());
    case SQLITE_BLOB: {
      const auto blob = column.Blob();
      return Variant(Bytes(blob.begin(), blob.end()));
    }
    default:
      return Variant::Null();
  }
}

long StoredSize(sqlite3_value* value, int type) { return SizeOf(SqliteColumn(value), type); }

long StoredSize(const Variant& stored, int type) { return SizeOf(StoredColumn(stored), type); }

Variant StoredFor(const Variant& value, int type) {
  if (value.IsEmpty() || value.IsNull()) return Variant::Null();
  switch (ValueClassOf(type)) {
    case ValueClass::kWhole:
      return Variant(WholeNumberFor(value));
    case ValueClass::kReal:
      return RealFor(value);
    case ValueClass::kDecimal:
      return DecimalFor(value, false);
    case ValueClass::kCurrency:
      return DecimalFor(value, true);
    case ValueClass::kBoolean:
      return BooleanFor(value);
    case ValueClass::kDate:
      return DateFor(value, type);
    default:
      return OtherFor(value, type);
  }
}

void BindValue(sqlite3_stmt* statement, int index, const Variant& value) {
  int rc = SQLITE_OK;
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      rc = sqlite3_bind_null(statement, index);
      break;
    case VarType::kBoolean:
      rc = sqlite3_bind_int64(statement, index, value.AsBool() ? 1 : 0);
      break;
    case VarType::kInt32:
      rc = sqlite3_bind_int64(statement, index, value.AsInt32());
      break;
    case VarType::kInt64:
      rc = sqlite3_bind_int64(statement, index, value.AsInt64());
      break;
    case VarType::kDouble:
      rc = sqlite3_bind_double(statement, index, value.AsDouble());
      break;
    case VarType::kCurrency:
      rc = sqlite3_bind_double(statement, index,
                               static_cast<double>(value.AsCurrency().scaled) / 10000);
      break;
    case VarType::kDecimal: {
      const std::string& text = value.AsDecimal().text;
      if (auto whole = ParseWholeNumber(text)) {
        rc = sqlite3_bind_int64(statement, index, *whole);
      } else if (auto real = ParseReal(text); real && FitsDouble(text)) {
        rc = sqlite3_bind_double(statement, index, *real);
      } else {
        rc = sqlite3_bind_text64(statement, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
      }
      break;
    }
    case VarType::kDate: {
      const std::string text = IsoDateText(value.AsDate(), IsoDateColumn::kDate);
      rc = sqlite3_bind_text64(statement, index, text.data(), text.size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
      break;
    }
    case VarType::kString: {
      const std::string& text = value.AsString();
      rc = sqlite3_bind_text64(statement, index, text.data(), text.size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
      break;
    }
    case VarType::kBinary: {
      // An empty vector may have no storage, and a null pointer would bind NULL.
      const Bytes& bytes = value.AsBinary();
      rc = bytes.empty() ? sqlite3_bind_zeroblob(statement, index, 0)
                         : sqlite3_bind_blob64(statement, index, bytes.data(), bytes.size(),
                                               SQLITE_TRANSIENT);
      break;
    }
    case VarType::kObject:
      throw Error(errc::kTypeMismatch, "An object cannot be bound as a statement parameter");
  }
  if (rc != SQLITE_OK) BindFailed(statement);
}

}  // namespace kelvo::data
