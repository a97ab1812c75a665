#include "data/postgres_sql.h"

#include <gtest/gtest.h>

#include "kelvo/error.h"

namespace kelvo::data {
namespace {

TEST(PostgresSqlTest, PlaceholdersBecomeNumberedOutsideLiteralsAndComments) {
  const PostgresSql sql = TranslateSql(
      "SELECT '?', \"a?\", E'it\\'s ?', $q$ ? $q$, x ?? y -- ?\n"
      "FROM t /* ? /* ? */ ? */ WHERE a = ? AND b IN (?, ?);  ");
  EXPECT_EQ(sql.text,
            "SELECT '?', \"a?\", E'it\\'s ?', $q$ ? $q$, x ? y -- ?\n"
            "FROM t /* ? /* ? */ ? */ WHERE a = $1 AND b IN ($2, $3)");
  EXPECT_EQ(sql.parameter_count, 3);
  EXPECT_EQ(TranslateSql("SELECT 'it''s', ?").text, "SELECT 'it''s', $1");
}

TEST(PostgresSqlTest, NativePlaceholdersAreCountedButNotMixed) {
  EXPECT_EQ(TranslateSql("SELECT $2::int + $1").parameter_count, 2);
  EXPECT_EQ(TranslateSql("SELECT price$ FROM t").parameter_count, 0);
  try {
    TranslateSql("SELECT $1, ?");
    ADD_FAILURE() << "mixed placeholders were accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kInvalidCall);
  }
}

TEST(PostgresSqlTest, OnlyPlainQueriesAreLimitable) {
  EXPECT_TRUE(TranslateSql("select * from t order by 1").limitable);
  EXPECT_TRUE(TranslateSql("(SELECT 1) UNION (SELECT 2)").limitable);
  EXPECT_TRUE(TranslateSql("WITH x AS (SELECT 1) SELECT * FROM x").limitable);
  EXPECT_TRUE(TranslateSql("VALUES (1), (2)").limitable);
  EXPECT_TRUE(TranslateSql("SELECT 'delete' AS update_time").limitable);
  EXPECT_FALSE(TranslateSql("WITH d AS (DELETE FROM t RETURNING *) SELECT * FROM d").limitable);
  EXPECT_FALSE(TranslateSql("SELECT * FROM t FOR UPDATE").limitable);
  EXPECT_FALSE(TranslateSql("INSERT INTO t VALUES (1) RETURNING id").limitable);
  EXPECT_FALSE(TranslateSql("SHOW search_path").limitable);
}

// Every page of a query skipping rows is described by the query's own columns.
TEST(PostgresSqlTest, ASkippingWrapperGivesBackItsQuery) {
  const std::string query = "SELECT * FROM t WHERE a = $1 -- last";
  EXPECT_EQ(UnskippedSql(SkippedSql(query, 49980)), query);
  EXPECT_EQ(UnskippedSql("SELECT * FROM t OFFSET 5"), "SELECT * FROM t OFFSET 5");
  EXPECT_EQ(UnskippedSql("SELECT * FROM (\nq\n) AS kelvo_skipped OFFSET $1"),
            "SELECT * FROM (\nq\n) AS kelvo_skipped OFFSET $1");
}

// Whether a pooled session must be reset after the statement ran.
TEST(PostgresSqlTest, OnlyStatementsThatCallNoUnknownFunctionLeaveTheSessionAsItWas) {
  EXPECT_TRUE(TranslateSql("SELECT COUNT(*) AS n FROM (SELECT * FROM t) x WHERE (id=?)")
                  .session_neutral);
  EXPECT_TRUE(TranslateSql("SELECT CAST(a AS NUMERIC (10, 2)), lower(b) FROM t WHERE c IN (1)")
                  .session_neutral);
  EXPECT_TRUE(TranslateSql("UPDATE t SET a = ? WHERE id IN (SELECT id FROM u)").session_neutral);
  EXPECT_TRUE(TranslateSql("SELECT 'set_config(' AS \"text\" FROM t").session_neutral);
  EXPECT_FALSE(TranslateSql("SET statement_timeout = 5").session_neutral);
  EXPECT_FALSE(TranslateSql("SELECT set_config('a.b', 'c', false)").session_neutral);
  EXPECT_FALSE(TranslateSql("SELECT pg_advisory_lock (1)").session_neutral);
  EXPECT_FALSE(TranslateSql("SELECT \"Changes\"(1) FROM t").session_neutral);
  EXPECT_FALSE(TranslateSql("DECLARE c CURSOR WITH HOLD FOR SELECT 1").session_neutral);
  EXPECT_FALSE(TranslateSql("LISTEN news").session_neutral);
}

TEST(PostgresSqlTest, TrailingSemicolonAndCommentsGoSoTheQueryCanBeLimited) {
  EXPECT_EQ(TranslateSql("SELECT 1; -- done\n").text, "SELECT 1");
  EXPECT_EQ(LimitedSql(TranslateSql("SELECT 1 /* one */ -- one;").text, 5),
            "SELECT * FROM (\nSELECT 1\n) AS kelvo_rows LIMIT 5");
}

}  // namespace
}  // namespace kelvo::data
