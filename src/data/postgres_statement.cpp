#include "data/postgres_statement.h"

#include "data/postgres_catalog.h"
#include "data/postgres_types.h"
#include "kelvo/data.h"
#include "kelvo/error.h"

namespace kelvo::data {

PostgresStatement::PostgresStatement(PostgresConnection& connection, PostgresSql sql)
    : connection_(connection),
      sql_(std::move(sql)),
      parameters_(static_cast<size_t>(sql_.parameter_count)) {}

PostgresStatement::~PostgresStatement() {
  if (phase_ == Phase::kStreaming) Abandon();
}

void PostgresStatement::Bind(int index, const Variant& value) {
  if (index < 0 || index >= sql_.parameter_count) {
    throw Error(errc::kWrongArguments, "The statement has no parameter number " +
                                           std::to_string(index + 1) + " (it has " +
                                           std::to_string(sql_.parameter_count) + ")");
  }
  parameters_[static_cast<size_t>(index)] = PostgresParameterText(value);
}

const std::vector<const char*>& PostgresStatement::ParameterValues() {
  parameter_values_.clear();
  for (const auto& parameter : parameters_) {
    parameter_values_.push_back(parameter ? parameter->c_str() : nullptr);
  }
  return parameter_values_;
}

std::string PostgresStatement::DescribedSql() const {
  // Every page of a query skipping rows reads the columns of that query.
  return std::string(UnskippedSql(sql_.text));
}

int PostgresStatement::ColumnCount() const { return static_cast<int>(Fields().size()); }

const std::vector<ResultField>& PostgresStatement::Fields() const {
  if (fields_) return *fields_;
  if (const std::vector<ResultField>* kept = connection_.KeptFields(DescribedSql())) {
    fields_ = *kept;
    return *fields_;
  }
  connection_.Claim();
  PGconn* handle = connection_.handle();
  // Prepared and described in one round trip.
  if (PQenterPipelineMode(handle) != 1) connection_.Fail();
  const bool sent = PQsendPrepare(handle, "", sql_.text.c_str(), 0, nullptr) == 1 &&
                    PQsendDescribePrepared(handle, "") == 1 && PQpipelineSync(handle) == 1;
  PostgresResult described;
  PostgresResult failure;
  // Each step's result is followed by a null one; the sync's result ends the round trip. A
  // lost connection answers nulls from then on.
  for (int steps = 0; sent && steps < 3;) {
    PGresult* raw = PQgetResult(handle);
    if (raw == nullptr) {
      ++steps;
      continue;
    }
    PostgresResult result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_PIPELINE_SYNC) break;
    if (!IsSuccess(raw)) {
      if (status != PGRES_PIPELINE_ABORTED && failure == nullptr) failure = std::move(result);
    } else if (steps == 1) {
      described = std::move(result);
    }
  }
  PQexitPipelineMode(handle);
  if (!sent) connection_.Fail();
  if (failure != nullptr) connection_.Fail(failure.get());
  if (described == nullptr) connection_.Fail();
  fields_ = ResultFields(described.get());
  // A statement without columns is refused before it runs; only a query is described again.
  if (!fields_->empty()) connection_.KeepFields(DescribedSql(), *fields_);
  return *fields_;
}

std::vector<ColumnInfo> DescribeFields(PostgresConnection& connection,
                                       const std::vector<ResultField>& fields) {
  std::vector<ColumnInfo> columns(fields.size());
  std::vector<TableColumnRef> references;
  std::vector<size_t> referenced;
  for (size_t i = 0; i < columns.size(); ++i) {
    ColumnInfo& info = columns[i];
    info.name = fields[i].name;
    const PostgresColumnType type = TypeOfColumn(fields[i].type, fields[i].modifier);
    info.type = type.type;
    info.defined_size = type.defined_size;
    if (fields[i].table != InvalidOid && fields[i].number != 0) {
      references.push_back({fields[i].table, fields[i].number});
      referenced.push_back(i);
    }
  }
  if (!references.empty()) {
    const auto facts = connection.column_facts().Lookup(connection, references);
    for (size_t r = 0; r < references.size(); ++r) {
      if (!facts[r]) continue;
      ColumnInfo& info = columns[referenced[r]];
      info.nullable = !facts[r]->not_null;
      info.auto_increment = facts[r]->assigned;
      info.true_by_default = info.type == ado::adBoolean && facts[r]->true_by_default;
      info.origin = facts[r]->table;
      if (!facts[r]->generated) info.base_column = facts[r]->column;
    }
  }
  return columns;
}

void PostgresStatement::Describe() const {
  if (columns_) return;
  std::vector<Column> columns;
  for (ColumnInfo& info : DescribeFields(connection_, Fields())) {
    const ValueClass value_class = ValueClassOf(info.type);
    columns.push_back({std::move(info), value_class});
  }
  columns_ = std::move(columns);
}

bool PostgresStatement::CheckFields(const PGresult* result) {
  fields_checked_ = true;
  std::vector<ResultField> fields = ResultFields(result);
  if (fields_ && fields == *fields_) {
    connection_.ConfirmFields(DescribedSql());
    return true;
  }
  // A table changed since the description was kept: its facts are read again too.
  connection_.column_facts().Outdate();
  connection_.KeepFields(DescribedSql(), fields);
  if (columns_given_) return false;
  fields_ = std::move(fields);
  columns_.reset();
  return true;
}

std::vector<ColumnInfo> PostgresStatement::DescribeColumns() {
  Describe();
  columns_given_ = true;
  std::vector<ColumnInfo> infos;
  infos.reserve(columns_->size());
  classes_.clear();
  for (const Column& column : *columns_) {
    infos.push_back(column.info);
    classes_.push_back(column.value_class);
  }
  return infos;
}

void PostgresStatement::Start() {
  connection_.Claim();
  const bool limited = row_limit_ > 0 && sql_.limitable;
  sent_ = limited ? LimitedSql(sql_.text, row_limit_) : sql_.text;
  PGconn* handle = connection_.handle();
  // The checks due of the facts the session keeps travel ahead of the statement, so that its
  // columns are described after its first result without a round trip of their own.
  const ColumnFactsCache::Check check = connection_.column_facts().Due(connection_);
  pipelined_ = !check.empty();
  const auto [prepared, versions] =
      pipelined_ ? connection_.PreparedNames(sent_, check.sql)
                 : std::pair<const std::string*, const std::string*>(
                       connection_.PreparedName(sent_), nullptr);
  if (pipelined_ && PQenterPipelineMode(handle) != 1) connection_.Fail();
  bool sent = !pipelined_ || connection_.SendCheck(check, versions);
  sent = sent && (prepared != nullptr
                      ? PQsendQueryPrepared(handle, prepared->c_str(), sql_.parameter_count,
                                            ParameterValues().data(), nullptr, nullptr, 0)
                      : PQsendQueryParams(handle, sent_.c_str(), sql_.parameter_count, nullptr,
                                          ParameterValues().data(), nullptr, nullptr, 0)) == 1;
  if (pipelined_) sent = sent && PQpipelineSync(handle) == 1;
  if (!sent) {
    if (pipelined_) PQexitPipelineMode(handle);
    pipelined_ = false;
    connection_.Fail();
  }
  if (pipelined_) TakeCheck(check);
  // Without single-row mode the rows arrive as one result, which is read the same way.
  PQsetSingleRowMode(handle);
  connection_.StreamFrom(*this);
  phase_ = Phase::kStreaming;
  replanned_ = prepared == nullptr;
  fields_checked_ = false;
  if (!sql_.session_neutral) connection_.SessionTouched();
}

void PostgresStatement::TakeCheck(const ColumnFactsCache::Check& check) {
  PGconn* handle = connection_.handle();
  // The single-row mode of the statement before may still be set: the rows then come one
  // result each, ahead of an empty one.
  std::vector<PostgresResult> versions;
  const PGresult* failure = nullptr;
  while (PGresult* raw = PQgetResult(handle)) {
    versions.emplace_back(raw);
    if (!IsSuccess(raw) && failure == nullptr) failure = raw;
  }
  if (!versions.empty() && failure == nullptr) {
    std::vector<const PGresult*> results;
    for (const PostgresResult& result : versions) results.push_back(result.get());
    connection_.column_facts().Take(check, results);
    return;
  }
  // The statement behind the check was not run.
  while (PGresult* raw = PQgetResult(handle)) PQclear(raw);
  EndPipeline();
  connection_.ForgetPrepared(check.sql);
  connection_.Fail(failure);
}

void PostgresStatement::EndPipeline() {
  if (!pipelined_) return;
  pipelined_ = false;
  PGconn* handle = connection_.handle();
  // The sync's result follows the statement's; a lost connection answers nulls.
  for (int nulls = 0; nulls < 2;) {
    PGresult* raw = PQgetResult(handle);
    if (raw == nullptr) {
      ++nulls;
      continue;
    }
    const bool sync = PQresultStatus(raw) == PGRES_PIPELINE_SYNC;
    PQclear(raw);
    if (sync) break;
  }
  PQexitPipelineMode(handle);
}

bool PostgresStatement::Step() {
  if (phase_ == Phase::kIdle) Start();
  if (block_ && !from_spill_ && block_row_ + 1 < PQntuples(block_.get())) {
    ++block_row_;
    return true;
  }
  block_.reset();
  from_spill_ = false;
  switch (phase_) {
    case Phase::kStreaming:
      return TakeStreamed();
    case Phase::kSpilled:
      if (spilled_.Next()) {
        from_spill_ = true;
        return true;
      }
      spilled_.Clear();
      phase_ = Phase::kDone;
      if (spilled_failure_) {
        const Error error(errc::kDatabase, *spilled_failure_);
        spilled_failure_.reset();
        throw error;
      }
      return false;
    default:
      return false;
  }
}

bool PostgresStatement::TakeStreamed() {
  PGconn* handle = connection_.handle();
  while (PGresult* raw = PQgetResult(handle)) {
    PostgresResult result(raw);
    if (!IsSuccess(raw)) {
      const Error error(FailureNumber(raw), ServerMessage(raw, handle));
      const bool replan = !replanned_ && IsStalePlan(raw);
      Abandon();
      connection_.ForgetPrepared(sent_);
      // Another session altered a table the prepared statement reads; no row has arrived, so
      // outside a transaction (which the failure ended) running it again, prepared anew, is
      // what the caller asked for.
      if (!replan || PQtransactionStatus(handle) != PQTRANS_IDLE) throw error;
      Start();
      replanned_ = true;
      continue;
    }
    if (!fields_checked_ && !CheckFields(raw)) {
      Abandon();
      throw Error(errc::kDatabase,
                  "The statement's columns changed while it was in use (a table was altered); "
                  "read it again");
    }
    if (PQntuples(raw) > 0) {
      block_ = std::move(result);
      block_row_ = 0;
      return true;
    }
  }
  EndPipeline();
  connection_.Release(*this);
  phase_ = Phase::kDone;
  return false;
}

void PostgresStatement::Spill() {
  if (phase_ != Phase::kStreaming) return;
  PGconn* handle = connection_.handle();
  int columns = 0;
  while (PGresult* raw = PQgetResult(handle)) {
    const PostgresResult result(raw);
    if (!IsSuccess(raw)) {
      if (!spilled_failure_) spilled_failure_ = ServerMessage(raw, handle);
      connection_.ForgetPrepared(sent_);
      continue;
    }
    const int rows = PQntuples(raw);
    if (rows > 0) columns = PQnfields(raw);
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        if (PQgetisnull(raw, row, column)) {
          spilled_.Add(std::nullopt);
        } else {
          spilled_.Add(std::string_view(PQgetvalue(raw, row, column),
                                        static_cast<size_t>(PQgetlength(raw, row, column))));
        }
      }
    }
  }
  spilled_.Rewind(columns);
  EndPipeline();
  connection_.Release(*this);
  phase_ = Phase::kSpilled;
}

void PostgresStatement::Abandon() {
  // Reading to the end keeps whatever the statement changed; the server stops early when the
  // statement was limited.
  PGconn* handle = connection_.handle();
  while (PGresult* raw = PQgetResult(handle)) PQclear(raw);
  EndPipeline();
  connection_.Release(*this);
  phase_ = Phase::kDone;
}

void PostgresStatement::Reset() {
  if (phase_ == Phase::kStreaming) Abandon();
  block_.reset();
  from_spill_ = false;
  spilled_.Clear();
  spilled_failure_.reset();
  phase_ = Phase::kIdle;
}

long PostgresStatement::Execute() {
  Reset();
  connection_.column_facts().Outdate();  // the statement may change a table
  if (!sql_.session_neutral) connection_.SessionTouched();
  connection_.Claim();
  const std::string* prepared = connection_.PreparedName(sql_.text);
  PostgresResult result(
      prepared != nullptr
          ? PQexecPrepared(connection_.handle(), prepared->c_str(), sql_.parameter_count,
                           ParameterValues().data(), nullptr, nullptr, 0)
          : PQexecParams(connection_.handle(), sql_.text.c_str(), sql_.parameter_count, nullptr,
                         ParameterValues().data(), nullptr, nullptr, 0));
  if (!IsSuccess(result.get()) && prepared != nullptr) {
    connection_.ForgetPrepared(sql_.text);
    // A statement whose plan another session's change outdated failed as a whole: outside a
    // transaction, run it once more, parsed anew.
    if (IsStalePlan(result.get()) && PQtransactionStatus(connection_.handle()) == PQTRANS_IDLE) {
      result = PostgresResult(PQexecParams(connection_.handle(), sql_.text.c_str(),
                                           sql_.parameter_count, nullptr,
                                           ParameterValues().data(), nullptr, nullptr, 0));
    }
  }
  if (!IsSuccess(result.get())) connection_.Fail(result.get());
  return ChangedRows(result.get());
}

std::optional<std::string_view> PostgresStatement::Cell(int column) const {
  if (from_spill_) return spilled_.Cell(column);
  if (!block_ || PQgetisnull(block_.get(), block_row_, column)) return std::nullopt;
  return std::string_view(PQgetvalue(block_.get(), block_row_, column),
                          static_cast<size_t>(PQgetlength(block_.get(), block_row_, column)));
}

Variant PostgresStatement::Value(int column) const {
  const auto cell = Cell(column);
  if (!cell) return Variant::Null();
  const auto index = static_cast<size_t>(column);
  const ValueClass value_class = index < classes_.size() ? classes_[index] : ValueClass::kText;
  return PostgresTyped(*cell, value_class, connection_.money_decimals());
}

Variant PostgresStatement::Stored(int column) const {
  const auto cell = Cell(column);
  if (!cell) return Variant::Null();
  return Variant(*cell);
}

long PostgresStatement::ActualSize(int column) const {
  const auto cell = Cell(column);
  if (!cell) return 0;
  const auto index = static_cast<size_t>(column);
  const int type = columns_ && index < columns_->size() ? (*columns_)[index].info.type : 0;
  return PostgresValueSize(*cell, type);
}

}  // namespace kelvo::data
