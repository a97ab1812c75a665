#include "data/connection_core.h"

#include <algorithm>
#include <utility>

#include "data/cursor_core.h"
#include "data/procedure_call.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

std::string Count(size_t n, std::string_view noun) {
  return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

}  // namespace

ConnectionCore::~ConnectionCore() { Close(); }

void ConnectionCore::Open(Lease lease) { lease_ = std::move(lease); }

void ConnectionCore::Close() {
  // Closing a cursor detaches it, which changes the list.
  while (!cursors_.empty()) cursors_.back()->Close();
  ReturnLease(std::exchange(lease_, {}));
}

ProviderConnection& ConnectionCore::provider() const {
  if (!lease_.connection) throw Error(errc::kClosedObject, "The connection is closed");
  return *lease_.connection;
}

void ConnectionCore::DefineProcedure(std::string name, std::string sql) {
  if (name.empty()) throw Error(errc::kInvalidCall, "DefineProcedure: the name is empty");
  for (auto& [known, text] : procedures_) {
    if (EqualsIgnoreCase(known, name)) {
      text = std::move(sql);
      return;
    }
  }
  procedures_.emplace_back(std::move(name), std::move(sql));
}

const std::string* ConnectionCore::FindProcedure(std::string_view name) const {
  for (const auto& [known, text] : procedures_) {
    if (EqualsIgnoreCase(known, name)) return &text;
  }
  return nullptr;
}

std::unique_ptr<ProviderStatement> ConnectionCore::Bound(
    std::unique_ptr<ProviderStatement> statement, std::span<const Variant> values,
    std::string_view what) {
  const auto expected = static_cast<size_t>(statement->ParameterCount());
  if (expected != values.size()) {
    throw Error(errc::kWrongArguments, std::string(what) + " takes " +
                                           Count(expected, "parameter") + ", but " +
                                           Count(values.size(), "value") +
                                           (values.size() == 1 ? " was given" : " were given"));
  }
  for (size_t i = 0; i < values.size(); ++i) statement->Bind(static_cast<int>(i), values[i]);
  return statement;
}

std::unique_ptr<ProviderStatement> ConnectionCore::PrepareBound(
    std::string_view sql, std::span<const Variant> parameters) {
  return Bound(provider().Prepare(sql), parameters, "The statement");
}

std::unique_ptr<ProviderStatement> ConnectionCore::PrepareSkipping(
    std::string_view sql, long skip, std::span<const Variant> parameters) {
  const std::string wrapped = provider().WithSkippedRows(sql, skip, parameters.size());
  if (wrapped.empty()) return nullptr;
  try {
    return Bound(provider().Prepare(wrapped), parameters, "The statement");
  } catch (const Error&) {  // a statement that cannot be wrapped is read from its start
    return nullptr;
  }
}

std::unique_ptr<ProviderStatement> ConnectionCore::PrepareCall(std::string_view call_text,
                                                               std::span<const Variant> extra) {
  ProcedureCall call = ParseProcedureCall(call_text);
  call.arguments.insert(call.arguments.end(), extra.begin(), extra.end());
  const std::string what = "Procedure " + call.name;
  if (const std::string* sql = FindProcedure(call.name)) {
    return Bound(provider().Prepare(*sql), call.arguments, what);
  }
  const auto native =
      provider().NativeProcedure(call.name, static_cast<int>(call.arguments.size()));
  if (!native) throw Error(errc::kDatabase, "Unknown stored procedure '" + call.name + "'");
  return Bound(provider().Prepare(*native), call.arguments, what);
}

void ConnectionCore::Attach(CursorCore& cursor) { cursors_.push_back(&cursor); }

void ConnectionCore::Detach(CursorCore& cursor) {
  cursors_.erase(std::remove(cursors_.begin(), cursors_.end(), &cursor), cursors_.end());
}

}  // namespace kelvo::data
