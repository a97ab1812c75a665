#include "data/value_class.h"

#include "kelvo/data.h"

namespace kelvo::data {

ValueClass ValueClassOf(int type) {
  using namespace ado;
  switch (type) {
    case adTinyInt:
    case adSmallInt:
    case adInteger:
    case adBigInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
    case adUnsignedInt:
    case adUnsignedBigInt:
      return ValueClass::kWhole;
    case adSingle:
    case adDouble:
      return ValueClass::kReal;
    case adDecimal:
    case adNumeric:
    case adVarNumeric:
      return ValueClass::kDecimal;
    case adCurrency:
      return ValueClass::kCurrency;
    case adBoolean:
      return ValueClass::kBoolean;
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
      return ValueClass::kDate;
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
      return ValueClass::kBinary;
    default:
      return ValueClass::kText;
  }
}

}  // namespace kelvo::data
