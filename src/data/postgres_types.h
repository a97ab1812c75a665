// How PostgreSQL's column types map to the published type codes.
#ifndef KELVO_DATA_POSTGRES_TYPES_H_
#define KELVO_DATA_POSTGRES_TYPES_H_

#include <cstdint>

namespace kelvo::data {

// The built-in type identifiers (pg_type.oid) that Kelvo tells apart.
namespace pg_oid {
inline constexpr std::uint32_t kBool = 16;
inline constexpr std::uint32_t kBytea = 17;
inline constexpr std::uint32_t kChar = 18;
inline constexpr std::uint32_t kName = 19;
inline constexpr std::uint32_t kInt8 = 20;
inline constexpr std::uint32_t kInt2 = 21;
inline constexpr std::uint32_t kInt4 = 23;
inline constexpr std::uint32_t kText = 25;
inline constexpr std::uint32_t kOid = 26;
inline constexpr std::uint32_t kFloat4 = 700;
inline constexpr std::uint32_t kFloat8 = 701;
inline constexpr std::uint32_t kMoney = 790;
inline constexpr std::uint32_t kBpchar = 1042;
inline constexpr std::uint32_t kVarchar = 1043;
inline constexpr std::uint32_t kDate = 1082;
inline constexpr std::uint32_t kTime = 1083;
inline constexpr std::uint32_t kTimestamp = 1114;
inline constexpr std::uint32_t kTimestampTz = 1184;
inline constexpr std::uint32_t kTimeTz = 1266;
inline constexpr std::uint32_t kNumeric = 1700;
// Types without an order: no btree operator class, so ORDER BY fails on them.
inline constexpr std::uint32_t kJson = 114;
inline constexpr std::uint32_t kXml = 142;
inline constexpr std::uint32_t kXmlArray = 143;
inline constexpr std::uint32_t kJsonArray = 199;
inline constexpr std::uint32_t kPoint = 600;
inline constexpr std::uint32_t kLseg = 601;
inline constexpr std::uint32_t kPath = 602;
inline constexpr std::uint32_t kBox = 603;
inline constexpr std::uint32_t kPolygon = 604;
inline constexpr std::uint32_t kLine = 628;
inline constexpr std::uint32_t kLineArray = 629;
inline constexpr std::uint32_t kCircle = 718;
inline constexpr std::uint32_t kCircleArray = 719;
inline constexpr std::uint32_t kPointArray = 1017;
inline constexpr std::uint32_t kLsegArray = 1018;
inline constexpr std::uint32_t kPathArray = 1019;
inline constexpr std::uint32_t kBoxArray = 1020;
inline constexpr std::uint32_t kPolygonArray = 1027;
}  // namespace pg_oid

struct PostgresColumnType {
  int type;           // ado::DataTypeEnum
  long defined_size;  // characters of char(n) and varchar(n); 0 otherwise
};

// The type of a result column from its type identifier and modifier (PQftype, PQfmod). Types
// without a code of their own (uuid, jsonb, arrays, enums, ...) read as text of any length;
// those the server cannot order (json, xml, the geometric types) as long text, as text does.
PostgresColumnType TypeOfColumn(std::uint32_t oid, int modifier);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_TYPES_H_
