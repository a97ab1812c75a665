// Statement text as PostgreSQL takes it: Kelvo's `?` placeholders become $1, $2, ... in
// order, and a query can be limited to its first rows on the server.
#ifndef KELVO_DATA_POSTGRES_SQL_H_
#define KELVO_DATA_POSTGRES_SQL_H_

#include <string>
#include <string_view>

namespace kelvo::data {

struct PostgresSql {
  std::string text;         // with $n placeholders, trailing ';' and blanks removed
  int parameter_count = 0;  // the highest $n
  // A plain query (SELECT, VALUES, TABLE or WITH that changes nothing), which can be read
  // through "SELECT * FROM (query) LIMIT n".
  bool limitable = false;
  // A query, insert, update or delete that calls no function but well-known ones without side
  // effects: running it leaves the session's settings, cursors, listens and locks as they were.
  bool session_neutral = false;
};

// Translates `?` outside string literals, quoted identifiers, dollar quotes and comments to
// $1, $2, ...; "??" stands for PostgreSQL's own ? operator. A statement without `?` may use
// $n itself. Throws Error(errc::kInvalidCall) for a statement that mixes `?` and $n, and for
// an unterminated literal, identifier or comment.
PostgresSql TranslateSql(std::string_view sql);

// The query limited to its first `max_rows` rows; the order of the rows stays the query's.
std::string LimitedSql(const std::string& query, long max_rows);

// The query with its first `skip` rows left out; the order of the rows stays the query's.
std::string SkippedSql(const std::string& query, long skip);
// The query that SkippedSql wrapped to make `sql`, whose result columns are the same; `sql`
// itself when it is no such wrapper.
std::string_view UnskippedSql(std::string_view sql);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_SQL_H_
