#include "data/postgres_types.h"

#include "kelvo/data.h"

namespace kelvo::data {
namespace {

// The modifier of char(n) and varchar(n) is n plus the 4-byte length word; -1 without n.
constexpr int kVarHeader = 4;

long CharacterLength(int modifier) { return modifier > kVarHeader ? modifier - kVarHeader : 0; }

}  // namespace

PostgresColumnType TypeOfColumn(std::uint32_t oid, int modifier) {
  using namespace ado;
  switch (oid) {
    case pg_oid::kInt2:
      return {adSmallInt, 0};
    case pg_oid::kInt4:
      return {adInteger, 0};
    case pg_oid::kInt8:
      return {adBigInt, 0};
    case pg_oid::kOid:
      return {adUnsignedInt, 0};
    case pg_oid::kFloat4:
      return {adSingle, 0};
    case pg_oid::kFloat8:
      return {adDouble, 0};
    case pg_oid::kNumeric:
      return {adNumeric, 0};
    case pg_oid::kMoney:
      return {adCurrency, 0};
    case pg_oid::kBool:
      return {adBoolean, 0};
    case pg_oid::kDate:
      return {adDBDate, 0};
    case pg_oid::kTime:
    case pg_oid::kTimeTz:
      return {adDBTime, 0};
    case pg_oid::kTimestamp:
    case pg_oid::kTimestampTz:
      return {adDBTimeStamp, 0};
    case pg_oid::kBpchar:
    case pg_oid::kVarchar:
      return {adVarWChar, CharacterLength(modifier)};
    case pg_oid::kChar:
      return {adVarWChar, 1};
    case pg_oid::kName:
      return {adVarWChar, 63};
    case pg_oid::kText:
    // A grid offers no sort on long text, which for these would fail the page.
    case pg_oid::kJson:
    case pg_oid::kJsonArray:
    case pg_oid::kXml:
    case pg_oid::kXmlArray:
    case pg_oid::kPoint:
    case pg_oid::kPointArray:
    case pg_oid::kLseg:
    case pg_oid::kLsegArray:
    case pg_oid::kPath:
    case pg_oid::kPathArray:
    case pg_oid::kBox:
    case pg_oid::kBoxArray:
    case pg_oid::kPolygon:
    case pg_oid::kPolygonArray:
    case pg_oid::kLine:
    case pg_oid::kLineArray:
    case pg_oid::kCircle:
    case pg_oid::kCircleArray:
      return {adLongVarWChar, 0};
    case pg_oid::kBytea:
      return {adLongVarBinary, 0};
    default:
      return {adVarWChar, 0};
  }
}

}  // namespace kelvo::data
