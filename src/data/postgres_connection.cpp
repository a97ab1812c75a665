#include "data/postgres_connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>

#include "data/postgres_catalog.h"
#include "data/postgres_sql.h"
#include "data/postgres_statement.h"
#include "data/postgres_types.h"
#include "data/postgres_values.h"
#include "data/value_class.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

// Statements kept prepared per session.
constexpr size_t kKeptStatements = 128;

// The settings, cursors, listens, locks, role and prepared statements a page's own statements
// may have changed in a session, put back as a new session has them (DISCARD ALL keeping
// Kelvo's own prepared statements and the temporary tables); the settings Kelvo reads by are
// made again after it.
constexpr const char* kSessionReset =
    "CLOSE ALL; UNLISTEN *; SELECT pg_advisory_unlock_all(); SET SESSION AUTHORIZATION DEFAULT; "
    "RESET ALL; DO $$DECLARE s record; BEGIN FOR s IN SELECT name FROM pg_prepared_statements "
    "WHERE name NOT LIKE 'kelvo\\_%' LOOP EXECUTE 'DEALLOCATE ' || quote_ident(s.name); "
    "END LOOP; END$$";

// Holds back what is written to a TCP socket until it ends, so that libpq's writes (one per
// pipeline sync) leave as one segment: otherwise the server may answer the first part before
// the rest arrives, and is woken twice. A socket of another kind is left as it is.
class HeldOutput {
 public:
  explicit HeldOutput(int socket) : socket_(socket) { Hold(1); }
  HeldOutput(const HeldOutput&) = delete;
  HeldOutput& operator=(const HeldOutput&) = delete;
  ~HeldOutput() { Hold(0); }

 private:
  void Hold(int on) const {
    if (socket_ >= 0) setsockopt(socket_, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
  }
  int socket_;
};

// The column read as the text the server writes for its values.
std::string AsText(std::string_view quoted_column) {
  return "CAST(" + std::string(quoted_column) + " AS text)";
}

bool IsCLocale(std::string_view locale) {
  return locale == "C" || locale == "POSIX" || StartsWithIgnoreCase(locale, "C.");
}

long long CountIn(const PostgresResult& result) {
  if (PQntuples(result.get()) < 1 || PQnfields(result.get()) < 1 || PQgetisnull(result.get(), 0, 0))
    throw Error(errc::kDatabase, "The count returned no value");
  return std::stoll(PQgetvalue(result.get(), 0, 0));
}

// The older name of the same function is deprecated from version 13.
constexpr int kCurrentSnapshotFrom = 130000;
constexpr const char* kCurrentSnapshot = "pg_current_snapshot()";
constexpr const char* kOlderSnapshot = "txid_current_snapshot()";

}  // namespace

PostgresConnection::~PostgresConnection() {
  if (streaming_ != nullptr) streaming_->Spill();
  PQfinish(connection_);
}

void PostgresConnection::Fail(const PGresult* result) const {
  throw Error(FailureNumber(result), ServerMessage(result, connection_));
}

void PostgresConnection::Claim() {
  if (streaming_ == nullptr) return;
  PostgresStatement* statement = streaming_;
  streaming_ = nullptr;
  statement->Spill();
}

PostgresResult PostgresConnection::Run(const std::string& sql,
                                       std::span<const std::optional<std::string>> parameters) {
  Claim();
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const auto& parameter : parameters)
    values.push_back(parameter ? parameter->c_str() : nullptr);
  PostgresResult result(PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()),
                                     nullptr, values.data(), nullptr, nullptr, 0));
  if (!IsSuccess(result.get())) Fail(result.get());
  return result;
}

PostgresResult PostgresConnection::RunKept(const std::string& sql,
                                           std::span<const std::optional<std::string>> parameters) {
  Claim();
  const std::string* prepared = PreparedName(sql);
  if (prepared == nullptr) return Run(sql, parameters);
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const auto& parameter : parameters)
    values.push_back(parameter ? parameter->c_str() : nullptr);
  PostgresResult result(PQexecPrepared(connection_, prepared->c_str(),
                                       static_cast<int>(values.size()), values.data(), nullptr,
                                       nullptr, 0));
  if (!IsSuccess(result.get())) {
    ForgetPrepared(sql);
    if (IsStalePlan(result.get()) && PQtransactionStatus(connection_) == PQTRANS_IDLE)
      return Run(sql, parameters);
    Fail(result.get());
  }
  return result;
}

std::vector<PostgresResult> PostgresConnection::RunScript(const std::string& sql) {
  Claim();
  if (!PQsendQuery(connection_, sql.c_str())) Fail();
  std::vector<PostgresResult> results;
  std::optional<Error> failure;
  while (PGresult* raw = PQgetResult(connection_)) {
    if (!IsSuccess(raw) && !failure)
      failure.emplace(FailureNumber(raw), ServerMessage(raw, connection_));
    results.emplace_back(raw);
  }
  if (failure) throw *failure;
  return results;
}

void PostgresConnection::SetUpSession(bool read_only) {
  session_setup_ = "SET DateStyle = 'ISO, YMD'; SET extra_float_digits = 3; SET bytea_output = 'hex'";
  // The money type's decimals come from lc_monetary; C keeps the same two decimals as most
  // locales and reads and writes '.' as the decimal point whatever the server's locale.
  PostgresResult settings(
      PQexec(connection_, (session_setup_ +
                           "; SELECT scale('1'::money::numeric), current_setting('lc_monetary')")
                              .c_str()));
  if (PQresultStatus(settings.get()) != PGRES_TUPLES_OK) Fail(settings.get());
  money_decimals_ = std::atoi(PQgetvalue(settings.get(), 0, 0));
  std::string more;
  if (money_decimals_ == 2 && !IsCLocale(PQgetvalue(settings.get(), 0, 1)))
    more += "; SET lc_monetary = 'C'";
  if (read_only) more += "; SET default_transaction_read_only = on";
  if (more.empty()) return;
  session_setup_ += more;
  RunScript(more.substr(2));
}

const std::vector<ResultField>* PostgresConnection::KeptFields(const std::string& sql) const {
  const auto found = kept_fields_.find(sql);
  return found == kept_fields_.end() ? nullptr : &found->second.fields;
}

void PostgresConnection::KeepFields(const std::string& sql, std::vector<ResultField> fields) {
  if (kept_fields_.size() >= 4 * kKeptStatements && kept_fields_.count(sql) == 0)
    kept_fields_.clear();
  kept_fields_.insert_or_assign(sql, KeptDescription{std::move(fields), column_facts_.changes()});
}

void PostgresConnection::ConfirmFields(const std::string& sql) {
  const auto found = kept_fields_.find(sql);
  if (found != kept_fields_.end()) found->second.changes = column_facts_.changes();
}

std::optional<std::vector<ColumnInfo>> PostgresConnection::KeptColumns(std::string_view sql) {
  PostgresSql translated;
  try {
    translated = TranslateSql(sql);
  } catch (const Error&) {
    return std::nullopt;
  }
  const auto found = kept_fields_.find(UnskippedSql(translated.text));
  // Only columns of tables can be vouched for, by their tables' versions; a table found
  // changed since the columns were seen may have changed them.
  if (found == kept_fields_.end() || found->second.fields.empty() ||
      found->second.changes != column_facts_.changes())
    return std::nullopt;
  for (const ResultField& field : found->second.fields) {
    if (field.table == InvalidOid || field.number == 0) return std::nullopt;
  }
  const std::vector<ResultField> fields = found->second.fields;
  const unsigned long changes = column_facts_.changes();
  std::vector<ColumnInfo> columns = DescribeFields(*this, fields);
  // Reading the facts may have found a change.
  if (column_facts_.changes() != changes) return std::nullopt;
  return columns;
}

std::pair<const std::string*, const std::string*> PostgresConnection::PreparedNames(
    const std::string& first, const std::string& second) {
  const bool first_prepared = PreparedName(first) != nullptr;
  const std::string* second_name = PreparedName(second);
  // Making room for the second may have dropped the first: it is then parsed as it runs.
  const auto found = prepared_.find(first);
  return {first_prepared && found != prepared_.end() ? &found->second : nullptr, second_name};
}

bool PostgresConnection::SendCheck(const ColumnFactsCache::Check& check, const std::string* name) {
  const char* const values[] = {check.quoted.empty() ? nullptr : check.quoted.c_str(),
                                check.since.empty() ? nullptr : check.since.c_str()};
  const int count = check.snapshot_only ? 0 : 2;
  return name != nullptr
             ? PQsendQueryPrepared(connection_, name->c_str(), count, values, nullptr, nullptr,
                                   0) == 1
             : PQsendQueryParams(connection_, check.sql.c_str(), count, nullptr, values, nullptr,
                                 nullptr, 0) == 1;
}

std::unique_ptr<ProviderStatement> PostgresConnection::Prepare(std::string_view sql) {
  PostgresSql translated = TranslateSql(sql);
  if (translated.text.empty()) throw Error(errc::kDatabase, "The statement is empty");
  return std::make_unique<PostgresStatement>(*this, std::move(translated));
}

const std::string* PostgresConnection::PreparedName(const std::string& sql) {
  if (const auto found = prepared_.find(sql); found != prepared_.end()) return &found->second;
  if (seen_.insert(sql).second) {
    if (seen_.size() > 4 * kKeptStatements) seen_ = {sql};
    return nullptr;
  }
  Claim();
  if (prepared_.size() >= kKeptStatements) {
    RunScript("DEALLOCATE ALL");
    prepared_.clear();
  }
  std::string name = "kelvo_" + std::to_string(++prepared_count_);
  const PostgresResult result(PQprepare(connection_, name.c_str(), sql.c_str(), 0, nullptr));
  if (!IsSuccess(result.get())) Fail(result.get());
  return &prepared_.emplace(sql, std::move(name)).first->second;
}

long PostgresConnection::ExecuteScript(std::string_view sql) {
  SessionTouched();
  return RunCommands(std::string(sql));
}

long PostgresConnection::RunCommands(const std::string& sql) {
  column_facts_.Outdate();  // the script may change tables; a transaction's end may undo that
  long changed = 0;
  for (const PostgresResult& result : RunScript(sql)) changed += ChangedRows(result.get());
  return changed;
}

void PostgresConnection::BeginTransaction() { RunCommands("BEGIN"); }

void PostgresConnection::BeginRepeatableReadTransaction() {
  RunCommands("BEGIN ISOLATION LEVEL REPEATABLE READ");
}

void PostgresConnection::CommitTransaction() {
  column_facts_.Outdate();
  const std::array<std::optional<std::string>, 0> none;
  const PostgresResult result = Run("COMMIT", none);
  // The server answers COMMIT of a failed transaction by rolling it back.
  if (std::string_view(PQcmdStatus(result.get())) == "ROLLBACK") {
    throw Error(errc::kDatabase,
                "The transaction was rolled back, not committed: a statement in it failed");
  }
}

void PostgresConnection::RollbackTransaction() { RunCommands("ROLLBACK"); }

bool PostgresConnection::Usable() {
  if (PQstatus(connection_) != CONNECTION_OK || streaming_ != nullptr) return false;
  // An idle session hears nothing from its server unless the server is ending it (a restart,
  // pg_terminate_backend): then its last notice and the socket's close wait to be read.
  pollfd socket{PQsocket(connection_), POLLIN, 0};
  return poll(&socket, 1, 0) == 0;
}

void PostgresConnection::ResetForReuse() {
  Claim();
  // The catalogue's facts hold for one user of the session: another session may alter a table
  // before the next, which checks them first.
  column_facts_.Outdate();
  column_facts_.Undefer();
  if (PQstatus(connection_) != CONNECTION_OK) Fail();
  std::string reset;
  switch (PQtransactionStatus(connection_)) {
    case PQTRANS_IDLE:
      break;
    case PQTRANS_INTRANS:
    case PQTRANS_INERROR:
      reset = "ROLLBACK";
      break;
    default:
      throw Error(errc::kDatabase, "The connection is busy or lost");
  }
  if (session_touched_) {
    if (!reset.empty()) reset += "; ";
    reset += std::string(kSessionReset) + "; " + session_setup_;
  }
  // One round trip, and none for a session whose user only read.
  if (reset.empty()) return;
  RunScript(reset);
  session_touched_ = false;
}

std::optional<std::string> PostgresConnection::NativeProcedure(std::string_view name,
                                                               int argument_count) {
  return RoutineCall(*this, name, argument_count);
}

std::optional<std::string> PostgresConnection::TableVersion(std::string_view name) {
  return column_facts_.TableVersion(*this, name);
}

std::vector<std::string> PostgresConnection::PrimaryKey(const TableName& table) {
  return ReadPrimaryKey(*this, table);
}

std::string PostgresConnection::WithSkippedRows(std::string_view sql, long skip,
                                                std::size_t parameter_count) const {
  // Only a plain query whose placeholders all get values can be wrapped; anything else would
  // fail on the server, which in a transaction would end the transaction.
  PostgresSql query;
  try {
    query = TranslateSql(sql);
  } catch (const Error&) {
    return {};
  }
  if (!query.limitable || query.parameter_count != static_cast<int>(parameter_count)) return {};
  return SkippedSql(query.text, skip);
}

std::string PostgresConnection::QuoteIdentifier(std::string_view name) const {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string PostgresConnection::NullSafeEquals(std::string_view quoted_column) const {
  return std::string(quoted_column) + " IS NOT DISTINCT FROM ?";
}

Variant PostgresConnection::Typed(const Variant& stored, int type) const {
  if (!stored.IsString()) return stored;
  return PostgresTyped(stored.AsString(), ValueClassOf(type), money_decimals_);
}

Variant PostgresConnection::ToStored(const Variant& value, int type) const {
  return PostgresStoredFor(value, type);
}

long PostgresConnection::StoredSize(const Variant& stored, int type) const {
  if (!stored.IsString()) return 0;
  return PostgresValueSize(stored.AsString(), type);
}

std::string PostgresConnection::LikeIgnoringCase(
    std::string_view quoted_column, std::optional<std::string_view> /*pattern*/) const {
  // As text, so that a column that only shows as text (uuid, json, an array, an interval)
  // matches what it shows instead of failing the statement: ILIKE reads text types only.
  return AsText(quoted_column) + " ILIKE ? ESCAPE '\\'";
}

std::string PostgresConnection::ComparableColumn(std::string_view quoted_column, int type) const {
  // Long text holds text and the types without '=' (json, xml, the geometric ones): their text
  // is what was read, and text compares.
  if (type == ado::adLongVarWChar) return AsText(quoted_column);
  return std::string(quoted_column);
}

std::string PostgresConnection::ColumnAsText(std::string_view quoted_column) const {
  return AsText(quoted_column);
}

std::optional<PostgresResult> PostgresConnection::RunBudgeted(const PostgresSql& sql,
                                                              std::span<const Variant> parameters,
                                                              int budget_ms, std::string* snapshot) {
  if (sql.parameter_count != static_cast<int>(parameters.size())) {
    throw Error(errc::kWrongArguments, "The query's parameters do not match its placeholders");
  }
  std::vector<std::optional<std::string>> texts;
  std::vector<const char*> values;
  for (const Variant& parameter : parameters) texts.push_back(PostgresParameterText(parameter));
  for (const auto& parameter_text : texts) values.push_back(parameter_text ? parameter_text->c_str() : nullptr);
  // The budget is a statement timeout local to a transaction of its own, so that it ends with
  // the statement; inside the caller's transaction a cancel would abort that, so it runs
  // unbudgeted. A statement still streaming its rows is read to its end first: it keeps the
  // session busy.
  Claim();
  const bool own_transaction =
      (budget_ms > 0 || snapshot != nullptr) && PQtransactionStatus(connection_) == PQTRANS_IDLE;
  // A read-only transaction of its own ends whatever the statement did to the session.
  if (!own_transaction && !sql.session_neutral) SessionTouched();
  PostgresResult result =
      own_transaction ? ResultInTransaction(sql.text, values, budget_ms, snapshot)
                      : PostgresResult(PQexecParams(connection_, sql.text.c_str(),
                                                    static_cast<int>(values.size()), nullptr,
                                                    values.data(), nullptr, nullptr, 0));
  // The statement's own transaction has ended: a stale statement is prepared anew.
  if (own_transaction && IsStalePlan(result.get()))
    result = ResultInTransaction(sql.text, values, budget_ms, snapshot);
  if (!IsSuccess(result.get())) {
    if (own_transaction && budget_ms > 0 && IsCancelled(result.get())) return std::nullopt;
    Fail(result.get());
  }
  return result;
}

std::optional<long long> PostgresConnection::CountWithin(std::string_view sql,
                                                         std::span<const Variant> parameters,
                                                         int budget_ms) {
  const std::optional<PostgresResult> result = RunBudgeted(TranslateSql(sql), parameters, budget_ms);
  if (!result) return std::nullopt;
  return CountIn(*result);
}

std::optional<long long> PostgresConnection::KeptCountWithin(std::string_view sql,
                                                             std::span<const Variant> parameters,
                                                             int budget_ms, int max_age_seconds) {
  Claim();
  // Only a count outside a transaction sees what a later one will; and only in a session whose
  // settings and role are still its pool's, which decide what the statement reads.
  std::string key;
  if (max_age_seconds <= 0 || !SnapshotShowsEveryChange() || !CountKey(sql, parameters, key)) {
    return CountWithin(sql, parameters, budget_ms);
  }
  const auto now = std::chrono::steady_clock::now();
  if (const auto* kept = kept_counts_.Find(key, max_age_seconds, now)) {
    const std::array<std::optional<std::string>, 0> none;
    const PostgresResult current = RunKept(SnapshotSql(), none);
    if (PQntuples(current.get()) == 1 && kept->sign == PQgetvalue(current.get(), 0, 0))
      return kept->count;
  }
  std::string snapshot;
  const std::optional<PostgresResult> result =
      RunBudgeted(TranslateSql(sql), parameters, budget_ms, &snapshot);
  if (!result) return std::nullopt;
  const long long counted = CountIn(*result);
  if (!snapshot.empty()) kept_counts_.Keep({std::move(key), counted, std::move(snapshot), now});
  return counted;
}

const char* PostgresConnection::SnapshotFunction() const {
  return PQserverVersion(connection_) >= kCurrentSnapshotFrom ? kCurrentSnapshot : kOlderSnapshot;
}

const std::string& PostgresConnection::SnapshotSql() const {
  static const std::string kCurrent = std::string("SELECT ") + kCurrentSnapshot + "::text";
  static const std::string kOlder = std::string("SELECT ") + kOlderSnapshot + "::text";
  return PQserverVersion(connection_) >= kCurrentSnapshotFrom ? kCurrent : kOlder;
}

bool PostgresConnection::SnapshotShowsEveryChange() const {
  return !session_touched_ && PQtransactionStatus(connection_) == PQTRANS_IDLE;
}

std::optional<std::vector<std::vector<Variant>>> PostgresConnection::RowsWithin(
    std::string_view sql, std::span<const Variant> parameters, long max_rows, int budget_ms) {
  PostgresSql translated = TranslateSql(sql);
  // Limited on the server, which may then keep only the first rows of a sort.
  if (translated.limitable) translated.text = LimitedSql(translated.text, max_rows);
  const std::optional<PostgresResult> result = RunBudgeted(translated, parameters, budget_ms);
  if (!result) return std::nullopt;
  const PGresult* raw = result->get();
  std::vector<ValueClass> classes;
  for (int column = 0; column < PQnfields(raw); ++column) {
    classes.push_back(
        ValueClassOf(TypeOfColumn(PQftype(raw, column), PQfmod(raw, column)).type));
  }
  std::vector<std::vector<Variant>> rows;
  for (int row = 0; row < PQntuples(raw) && static_cast<long>(rows.size()) < max_rows; ++row) {
    std::vector<Variant>& values = rows.emplace_back();
    for (int column = 0; column < PQnfields(raw); ++column) {
      if (PQgetisnull(raw, row, column)) {
        values.push_back(Variant::Null());
        continue;
      }
      const std::string_view text(PQgetvalue(raw, row, column),
                                  static_cast<std::size_t>(PQgetlength(raw, row, column)));
      values.push_back(PostgresTyped(text, classes[static_cast<std::size_t>(column)], money_decimals_));
    }
  }
  return rows;
}

PostgresResult PostgresConnection::ResultInTransaction(const std::string& sql,
                                                       const std::vector<const char*>& values,
                                                       int budget_ms, std::string* snapshot) {
  // The transaction, its timeout, the statement and the rollback travel in one round trip. A
  // read-only transaction changes no table: the column facts stay good.
  // Parallel workers take 10-15 ms to start and as long to stop when the timeout cancels the
  // count: a 25 ms budget ran to 39 ms with them, 26 ms without. Under longer budgets they
  // earn their keep (a 1,000,000-row count took 82 ms with them, 110 ms without).
  constexpr int kParallelFromMs = 150;
  const bool serial = budget_ms > 0 && budget_ms < kParallelFromMs;
  const std::string timeout =
      budget_ms > 0 ? "SET LOCAL statement_timeout = " + std::to_string(budget_ms) : std::string();
  const auto send = [&](const char* text, int count, const char* const* parameters) {
    return PQsendQueryParams(connection_, text, count, nullptr, parameters, nullptr, nullptr, 0) == 1;
  };
  // The versions of the tables whose facts are kept travel with the count, so that the page
  // read after it needs no round trip of its own to trust them.
  const ColumnFactsCache::Check check = column_facts_.Due(*this);
  const bool checking = !check.empty();
  // A count run again is planned once per session too; a serial one apart, as a plan keeps
  // the workers it was made with. Planning the catalogue's joins takes longer than running
  // them: prepared once, it is not.
  const std::string count_text = serial ? sql + "\n-- serial" : sql;
  const std::pair<const std::string*, const std::string*> names =
      checking ? PreparedNames(count_text, check.sql)
               : std::pair<const std::string*, const std::string*>(PreparedName(count_text), nullptr);
  const std::string* count_name = names.first;
  const std::string* versions_name = names.second;
  const auto send_count = [&] {
    return count_name != nullptr
               ? PQsendQueryPrepared(connection_, count_name->c_str(),
                                     static_cast<int>(values.size()), values.data(), nullptr,
                                     nullptr, 0) == 1
               : send(count_text.c_str(), static_cast<int>(values.size()), values.data());
  };
  if (PQenterPipelineMode(connection_) != 1) Fail();
  // The rollback follows a sync of its own: a cancelled count aborts the statements up to the
  // sync, and the rollback after it still ends the transaction without another round trip.
  bool sent = false;
  {
    const HeldOutput held(PQsocket(connection_));
    // The snapshot is read before the count runs: a commit between the two then shows as a
    // changed snapshot later, never as an unchanged one.
    sent = send("BEGIN READ ONLY", 0, nullptr) &&
           (timeout.empty() || send(timeout.c_str(), 0, nullptr)) &&
           (!serial || send("SET LOCAL max_parallel_workers_per_gather = 0", 0, nullptr)) &&
           (snapshot == nullptr || send(SnapshotSql().c_str(), 0, nullptr)) && send_count() &&
           (!checking || SendCheck(check, versions_name)) &&
           PQpipelineSync(connection_) == 1 && send("ROLLBACK", 0, nullptr) &&
           PQpipelineSync(connection_) == 1;
  }
  CountRoundTrip trip;
  if (sent) {
    const int before = 1 + (timeout.empty() ? 0 : 1) + (serial ? 1 : 0) + (snapshot ? 1 : 0);
    trip = ReadCountRoundTrip([this] { return PQgetResult(connection_); }, before,
                              checking ? 1 : 0);
  }
  PQexitPipelineMode(connection_);
  // A rollback that failed on a live session is tried once more; a lost session is the pool's
  // to drop, which takes no session that is not usable.
  if (PQstatus(connection_) == CONNECTION_OK && PQtransactionStatus(connection_) != PQTRANS_IDLE) {
    const PostgresResult end(PQexec(connection_, "ROLLBACK"));
  }
  if (!sent) Fail();
  // Unchecked after a cancelled count, the facts are checked at their use.
  if (trip.after != nullptr) column_facts_.Take(check, {trip.after.get()});
  // What the count answered stands even when the rollback after it failed: the transaction
  // was read-only, and the count had finished.
  if (trip.count != nullptr) {
    // Anything but the budget's cancel may mean the statement prepared is gone or outdated.
    if (!IsSuccess(trip.count.get()) && !IsCancelled(trip.count.get())) ForgetPrepared(count_text);
    if (snapshot != nullptr && IsSuccess(trip.count.get()) && trip.before != nullptr &&
        PQntuples(trip.before.get()) == 1) {
      snapshot->assign(PQgetvalue(trip.before.get(), 0, 0));
    }
    return std::move(trip.count);
  }
  // On a loaded server the budget can run out on a statement sent ahead of the count (the
  // snapshot's read): the count, never run, is as cancelled as if it had run out itself.
  if (trip.failure != nullptr && IsCancelled(trip.failure.get())) return std::move(trip.failure);
  if (trip.failure != nullptr) Fail(trip.failure.get());
  throw Error(errc::kDatabase, "The count returned no result");
}

std::optional<long long> PostgresConnection::EstimatedRows(std::string_view sql) {
  // The planner's row estimate for the whole statement: the first "Plan Rows" of the JSON
  // plan belongs to its top node, written before the nodes below it.
  const std::array<std::optional<std::string>, 0> none;
  const PostgresResult plan = Run("EXPLAIN (FORMAT JSON) " + TranslateSql(sql).text, none);
  if (PQntuples(plan.get()) < 1) return std::nullopt;
  const std::string_view json = PQgetvalue(plan.get(), 0, 0);
  constexpr std::string_view kKey = "\"Plan Rows\":";
  std::size_t at = json.find(kKey);
  if (at == std::string_view::npos) return std::nullopt;
  at += kKey.size();
  while (at < json.size() && json[at] == ' ') ++at;
  long long rows = 0;
  bool any = false;
  for (; at < json.size() && json[at] >= '0' && json[at] <= '9'; ++at) {
    rows = rows * 10 + (json[at] - '0');
    any = true;
  }
  if (!any) return std::nullopt;
  return rows;
}

}  // namespace kelvo::data
