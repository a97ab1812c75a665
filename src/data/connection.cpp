#include "data/connection_core.h"
#include "data/connection_pool.h"
#include "data/connection_string.h"
#include "kelvo/data.h"
#include "kelvo/error.h"

namespace kelvo {

Connection::Connection() : core_(std::make_unique<data::ConnectionCore>()) {}

Connection::~Connection() = default;

void Connection::Open(std::string_view connection_string, std::string_view user,
                      std::string_view password, int /*options*/) {
  if (core_->is_open()) {
    throw Error(errc::kInvalidCall, "Connection.Open: the connection is already open");
  }
  core_->Open(data::OpenLease(connection_string, mode_ == ado::adModeRead, user, password));
}

void Connection::SetMode(int mode) {
  if (mode != ado::adModeUnknown && mode != ado::adModeRead && mode != ado::adModeReadWrite) {
    throw Error(errc::kInvalidCall,
                "Connection.Mode must be adModeUnknown, adModeRead or adModeReadWrite, not " +
                    std::to_string(mode));
  }
  if (core_->is_open()) {
    throw Error(errc::kInvalidCall, "Connection.Mode cannot change while the connection is open");
  }
  mode_ = mode;
}

long Connection::Execute(std::string_view statement, int options) {
  data::ConnectionCore& open = core();
  switch (options) {
    case ado::adCmdStoredProc:
      return open.PrepareCall(statement, {})->Execute();
    case ado::adCmdText:
    case ado::adCmdUnspecified:
      return open.provider().ExecuteScript(statement);
    default:
      throw Error(errc::kInvalidCall,
                  "Connection.Execute: options must be adCmdText or adCmdStoredProc, not " +
                      std::to_string(options));
  }
}

long Connection::Execute(std::string_view statement, std::span<const Variant> parameters) {
  return core().PrepareBound(statement, parameters)->Execute();
}

void Connection::Close() { core_->Close(); }

int Connection::State() const { return core_->is_open() ? ado::adStateOpen : ado::adStateClosed; }

void Connection::BeginTrans() { core().provider().BeginTransaction(); }

void Connection::BeginRepeatableReadTrans() {
  core().provider().BeginRepeatableReadTransaction();
}

void Connection::CommitTrans() { core().provider().CommitTransaction(); }

void Connection::RollbackTrans() { core().provider().RollbackTransaction(); }

void Connection::DefineProcedure(std::string name, std::string sql_text) {
  core_->DefineProcedure(std::move(name), std::move(sql_text));
}

std::optional<long long> Connection::CountWithin(std::string_view query, int budget_ms) {
  return core().provider().CountWithin(query, {}, budget_ms);
}

std::optional<long long> Connection::CountWithin(std::string_view query,
                                                 std::span<const Variant> parameters,
                                                 int budget_ms) {
  return core().provider().CountWithin(query, parameters, budget_ms);
}

std::optional<long long> Connection::KeptCountWithin(std::string_view query,
                                                     std::span<const Variant> parameters,
                                                     int budget_ms, int max_age_seconds) {
  return core().provider().KeptCountWithin(query, parameters, budget_ms, max_age_seconds);
}

std::optional<std::vector<std::vector<Variant>>> Connection::RowsWithin(
    std::string_view query, std::span<const Variant> parameters, long max_rows, int budget_ms) {
  if (max_rows <= 0) throw Error(errc::kInvalidCall, "RowsWithin reads at least one row");
  return core().provider().RowsWithin(query, parameters, max_rows, budget_ms);
}

std::string Connection::LikeIgnoringCase(std::string_view quoted_column,
                                         std::optional<std::string_view> pattern) const {
  return core().provider().LikeIgnoringCase(quoted_column, pattern);
}

std::string Connection::ComparableColumn(std::string_view quoted_column, int type) const {
  return core().provider().ComparableColumn(quoted_column, type);
}

std::string Connection::ColumnAsText(std::string_view quoted_column) const {
  return core().provider().ColumnAsText(quoted_column);
}

std::optional<long long> Connection::EstimatedRows(std::string_view statement) {
  return core().provider().EstimatedRows(statement);
}

std::optional<std::vector<Connection::KeptColumn>> Connection::KeptColumns(
    std::string_view statement) {
  std::optional<std::vector<data::ColumnInfo>> kept = core().provider().KeptColumns(statement);
  if (!kept) return std::nullopt;
  std::vector<KeptColumn> columns;
  columns.reserve(kept->size());
  for (data::ColumnInfo& column : *kept)
    columns.push_back({std::move(column.name), column.type, column.nullable});
  return columns;
}

std::optional<std::string> Connection::TableVersion(std::string_view name) {
  return core().provider().TableVersion(name);
}

void Connection::CheckFactsLater() { core().provider().CheckFactsLater(); }

bool Connection::FactsHeld() { return core().provider().FactsHeld(); }

std::string Connection::QuoteIdentifier(std::string_view name) const {
  return core().provider().QuoteIdentifier(name);
}

bool Connection::NullsSortFirst() const { return core().provider().NullsSortFirst(); }

Variant Connection::StoredValue(const Variant& value, int type) const {
  return core().provider().ToStored(value, type);
}

std::string Connection::ProviderOf(std::string_view connection_string) {
  return data::ParseConnectionString(connection_string).provider;
}

data::ConnectionCore& Connection::core() const {
  if (!core_->is_open()) throw Error(errc::kClosedObject, "The connection is closed");
  return *core_;
}

}  // namespace kelvo
