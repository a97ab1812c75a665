#include "data/type_width.h"

#include "kelvo/data.h"

namespace kelvo::data {

long TypeWidth(int type) {
  switch (type) {
    case ado::adTinyInt:
    case ado::adUnsignedTinyInt:
      return 1;
    case ado::adSmallInt:
    case ado::adUnsignedSmallInt:
    case ado::adBoolean:
      return 2;
    case ado::adInteger:
    case ado::adUnsignedInt:
    case ado::adSingle:
      return 4;
    case ado::adDBDate:
    case ado::adDBTime:
      return 6;
    case ado::adDecimal:
    case ado::adDBTimeStamp:
      return 16;
    case ado::adNumeric:
    case ado::adVarNumeric:
      return 19;
    default:
      return 8;
  }
}

}  // namespace kelvo::data
