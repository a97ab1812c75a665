// The scripting runtime's variant: the one value type that crosses every Kelvo interface.
//
// A Variant holds exactly one of: Empty (never assigned), Null (no data), a Boolean, a 32-bit or
// 64-bit integer, a double, a currency amount, an exact decimal, a date, text (UTF-8), binary
// data or an object reference. The accessors below are raw: they return the held value and
// throw Error(errc::kTypeMismatch) when the variant holds another kind. The scripting runtime's
// conversions (CStr, CLng, CDbl, ...) are in kelvo/convert.h.
#ifndef KELVO_VARIANT_H_
#define KELVO_VARIANT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "kelvo/export.h"

namespace kelvo {

class Object;

enum class VarType : std::uint8_t {
  kEmpty,
  kNull,
  kBoolean,
  kInt32,
  kInt64,
  kDouble,
  kCurrency,
  kDecimal,
  kDate,
  kString,
  kBinary,
  kObject,
};

// A currency amount: the value times 10,000, as the runtime's currency subtype keeps it.
struct Currency {
  std::int64_t scaled = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

// An exact decimal number, kept as canonical text: optional "-", digits, optional "." and
// digits. Providers hand NUMERIC/DECIMAL values over this way so that no digit is lost.
struct Decimal {
  std::string text;
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

// An OLE Automation date: whole days since 30 Dec 1899 plus the time of day as a fraction
// (for negative days the fraction is the absolute time of day). Local time, no zone.
struct Date {
  double serial = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

using Bytes = std::vector<std::uint8_t>;

class KELVO_EXPORT Variant {
 public:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) = default;
  };
  using ObjectRef = std::shared_ptr<Object>;

  Variant() noexcept = default;  // Empty
  static Variant Null() { return Variant(NullTag{}); }

  Variant(NullTag) : value_(NullTag{}) {}
  Variant(bool v) : value_(v) {}
  Variant(std::int32_t v) : value_(v) {}
  Variant(std::int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(Currency v) : value_(v) {}
  Variant(Decimal v) : value_(std::move(v)) {}
  Variant(Date v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(std::string_view v) : value_(std::string(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(Bytes v) : value_(std::move(v)) {}
  Variant(ObjectRef v) : value_(std::move(v)) {}
  template <class T>
  Variant(std::shared_ptr<T> v) : value_(ObjectRef(std::move(v))) {}

  // Make this variant hold a new value, overwriting a value of the same kind in place: a loop
  // that reads row after row into one Variant then neither allocates (text reuses its storage
  // unless a value outgrows the ones before) nor destroys and rebuilds the value.
  template <class T>
  requires std::is_trivially_copyable_v<T>
  void Assign(T v) {
    if (T* held = std::get_if<T>(&value_)) {
      *held = v;
    } else {
      value_.template emplace<T>(v);
    }
  }
  void AssignString(std::string_view text) {
    if (auto* held = std::get_if<std::string>(&value_)) {
      held->assign(text);
    } else {
      value_.emplace<std::string>(text);
    }
  }

  VarType type() const noexcept { return static_cast<VarType>(value_.index()); }
  bool IsEmpty() const noexcept { return type() == VarType::kEmpty; }
  bool IsNull() const noexcept { return type() == VarType::kNull; }
  bool IsString() const noexcept { return type() == VarType::kString; }
  bool IsObject() const noexcept { return type() == VarType::kObject; }

  bool AsBool() const { return Get<bool>(); }
  std::int32_t AsInt32() const { return Get<std::int32_t>(); }
  std::int64_t AsInt64() const { return Get<std::int64_t>(); }
  double AsDouble() const { return Get<double>(); }
  Currency AsCurrency() const { return Get<Currency>(); }
  const Decimal& AsDecimal() const { return Get<Decimal>(); }
  Date AsDate() const { return Get<Date>(); }
  const std::string& AsString() const { return Get<std::string>(); }
  const Bytes& AsBinary() const { return Get<Bytes>(); }
  const ObjectRef& AsObject() const { return Get<ObjectRef>(); }

  // The held object cast to T, or null when the variant holds no object of that class.
  template <class T>
  std::shared_ptr<T> ObjectAs() const {
    if (const auto* p = std::get_if<ObjectRef>(&value_)) return std::dynamic_pointer_cast<T>(*p);
    return nullptr;
  }

  // Same kind and same value; objects compare by identity.
  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  template <class T>
  const T& Get() const {
    if (const T* p = std::get_if<T>(&value_)) return *p;
    ThrowTypeMismatch();
  }
  [[noreturn]] static void ThrowTypeMismatch();

  // The order of the alternatives is the order of VarType.
  std::variant<std::monostate, NullTag, bool, std::int32_t, std::int64_t, double, Currency, Decimal,
               Date, std::string, Bytes, ObjectRef>
      value_;
};

}  // namespace kelvo

#endif  // KELVO_VARIANT_H_
