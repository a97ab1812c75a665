// The PostgreSQL provider's statement. Rows stream in libpq's single-row mode, so a result of
// any size takes the memory of one row; with a row limit, a plain query is limited on the
// server, which then produces no more rows than will be read. The statement is described
// only when its columns are asked for, before it runs: from the description the session keeps
// for its text, or else by preparing it; its first result is then checked against that
// description, so that a table changed since shows as it is now.
#ifndef KELVO_DATA_POSTGRES_STATEMENT_H_
#define KELVO_DATA_POSTGRES_STATEMENT_H_

#include <optional>
#include <string>
#include <vector>

#include "data/postgres_connection.h"
#include "data/postgres_row_buffer.h"
#include "data/postgres_sql.h"
#include "data/postgres_values.h"
#include "data/provider.h"

namespace kelvo::data {

// The columns a statement's result fields describe, with the facts of those that are columns
// of tables.
std::vector<ColumnInfo> DescribeFields(PostgresConnection& connection,
                                       const std::vector<ResultField>& fields);

class PostgresStatement final : public ProviderStatement {
 public:
  // `connection` must outlive this object.
  PostgresStatement(PostgresConnection& connection, PostgresSql sql);
  ~PostgresStatement() override;

  int ParameterCount() const override { return sql_.parameter_count; }
  void Bind(int index, const Variant& value) override;
  int ColumnCount() const override;
  void LimitRows(long max_rows) override { row_limit_ = max_rows; }
  bool Step() override;
  void Reset() override;
  long Execute() override;
  std::vector<ColumnInfo> DescribeColumns() override;
  Variant Value(int column) const override;
  Variant Stored(int column) const override;
  long ActualSize(int column) const override;

  // Reads the rows that have not arrived yet into memory and lets go of the connection. A
  // failure among them is kept and thrown when the reader reaches it.
  void Spill();

 private:
  enum class Phase { kIdle, kStreaming, kSpilled, kDone };

  // The text the session keeps this statement's result columns by.
  std::string DescribedSql() const;
  const std::vector<ResultField>& Fields() const;
  void Describe() const;
  // Takes the columns of the execution's first result when they are not those described;
  // false when they changed after the caller was told them.
  bool CheckFields(const PGresult* result);
  void Start();
  // Takes the answer to the check sent ahead of the statement.
  void TakeCheck(const ColumnFactsCache::Check& check);
  // Reads the sync that ends a statement sent with a check, once its results have been read.
  void EndPipeline();
  // Takes the next result of the stream; false once the stream has ended.
  bool TakeStreamed();
  // Reads and drops what is left of the stream.
  void Abandon();
  std::optional<std::string_view> Cell(int column) const;
  const std::vector<const char*>& ParameterValues();

  PostgresConnection& connection_;
  PostgresSql sql_;
  std::vector<std::optional<std::string>> parameters_;
  std::vector<const char*> parameter_values_;
  long row_limit_ = 0;

  // The prepared description: one entry per result column.
  struct Column {
    ColumnInfo info;
    ValueClass value_class = ValueClass::kText;
  };
  mutable std::optional<std::vector<ResultField>> fields_;
  mutable std::optional<std::vector<Column>> columns_;
  bool fields_checked_ = false;  // the running execution's columns were checked
  bool columns_given_ = false;   // DescribeColumns has told the caller the columns
  std::string sent_;  // the text of the running execution
  bool replanned_ = false;  // the execution was parsed anew, not run prepared
  bool pipelined_ = false;  // sent with a check, in pipeline mode

  Phase phase_ = Phase::kIdle;
  PostgresResult block_;  // the result holding the current row
  int block_row_ = 0;
  bool from_spill_ = false;  // the current row is in spilled_
  PostgresRowBuffer spilled_;
  std::optional<std::string> spilled_failure_;
  std::vector<ValueClass> classes_;  // per column; text until described
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_STATEMENT_H_
