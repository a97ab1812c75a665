// What a column's type code asks of its values: the classes every provider reads and converts
// values by.
#ifndef KELVO_DATA_VALUE_CLASS_H_
#define KELVO_DATA_VALUE_CLASS_H_

#include <cstdint>

namespace kelvo::data {

// The first three take a value as the database holds it (text, whole numbers, bytes); the
// others convert it.
enum class ValueClass : std::uint8_t {
  kText,
  kWhole,
  kBinary,
  kReal,
  kDecimal,
  kCurrency,
  kBoolean,
  kDate,
};

// The class of an ado::DataTypeEnum code; text for any code not listed.
ValueClass ValueClassOf(int type);

}  // namespace kelvo::data

#endif  // KELVO_DATA_VALUE_CLASS_H_
