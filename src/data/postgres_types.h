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
}  // namespace pg_oid

struct PostgresColumnType {
  int type;           // ado::DataTypeEnum
  long defined_size;  // characters of char(n) and varchar(n); 0 otherwise
};

// The type of a result column from its type identifier and modifier (PQftype, PQfmod). Types
// without a code of their own (uuid, json, arrays, enums, ...) read as text of any length.
PostgresColumnType TypeOfColumn(std::uint32_t oid, int modifier);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_TYPES_H_
