#include "data/buffer_cursor.h"
#include "data/connection_core.h"
#include "data/stream_cursor.h"
#include "kelvo/data.h"
#include "kelvo/error.h"

namespace kelvo {
namespace {

bool IsStreaming(int cursor_type) {
  return cursor_type == ado::adOpenForwardOnly || cursor_type == ado::adOpenUnspecified;
}

std::unique_ptr<data::CursorCore> OpenCursor(std::shared_ptr<Connection> connection,
                                             std::unique_ptr<data::ProviderStatement> statement,
                                             int cursor_type, int lock_type, long max_records) {
  // Refused before it runs: a statement without columns would change data and then fail.
  if (statement->ColumnCount() == 0) {
    throw Error(errc::kInvalidCall,
                "Recordset.Open: the statement returned no columns (it was not run; use "
                "Connection.Execute for statements that return no rows)");
  }
  if (IsStreaming(cursor_type)) {
    return data::StreamCursor::Open(std::move(connection), std::move(statement), max_records);
  }
  const bool updatable = lock_type != ado::adLockReadOnly && lock_type != ado::adLockUnspecified;
  return data::BufferCursor::Open(std::move(connection), std::move(statement), max_records,
                                  updatable);
}

}  // namespace

Recordset::Recordset() = default;

Recordset::~Recordset() = default;

void Recordset::Open(std::string_view source, const std::shared_ptr<Connection>& connection,
                     int cursor_type, int lock_type, int options) {
  if (State() == ado::adStateOpen) {
    throw Error(errc::kInvalidCall, "Recordset.Open: the recordset is already open");
  }
  if (!connection) throw Error(errc::kObjectRequired, "Recordset.Open: no connection was given");
  if (cursor_type != ado::adOpenUnspecified) cursor_type_ = cursor_type;
  if (lock_type != ado::adLockUnspecified) lock_type_ = lock_type;
  data::ConnectionCore& core = connection->core();
  const bool stream = IsStreaming(cursor_type_);
  const long skip = first_record_ - 1;
  // Records before the first one are left to the database when it can skip them and the
  // limit leaves any record to read.
  if (stream && skip > 0 && options != ado::adCmdStoredProc &&
      (max_records_ <= 0 || max_records_ > skip)) {
    if (auto skipping = core.PrepareSkipping(source, skip)) {
      if (skipping->ColumnCount() > 0) {
        cursor_ = data::StreamCursor::Open(connection, std::move(skipping), max_records_, skip);
        return;
      }
    }
  }
  auto statement = options == ado::adCmdStoredProc ? core.PrepareCall(source, {})
                                                   : core.PrepareBound(source, {});
  cursor_ = OpenCursor(connection, std::move(statement), cursor_type_, lock_type_, max_records_);
  if (stream) SkipTo(first_record_);
}

void Recordset::SkipTo(long record) {
  for (long at = 1; at < record && !cursor_->Eof(); ++at) cursor_->MoveNext();
}

void Recordset::Open(const std::shared_ptr<Command>& command, int cursor_type, int lock_type,
                     int /*options*/) {
  if (State() == ado::adStateOpen) {
    throw Error(errc::kInvalidCall, "Recordset.Open: the recordset is already open");
  }
  if (!command) throw Error(errc::kObjectRequired, "Recordset.Open: no command was given");
  const std::shared_ptr<Connection>& connection = command->ActiveConnection();
  if (!connection) {
    throw Error(errc::kObjectRequired, "Recordset.Open: the command has no active connection");
  }
  if (cursor_type != ado::adOpenUnspecified) cursor_type_ = cursor_type;
  if (lock_type != ado::adLockUnspecified) lock_type_ = lock_type;
  data::ConnectionCore& core = connection->core();
  std::unique_ptr<data::ProviderStatement> statement;
  switch (command->CommandType()) {
    case ado::adCmdStoredProc:
      statement = core.PrepareCall(command->CommandText(), command->Parameters());
      break;
    case ado::adCmdText:
    case ado::adCmdUnspecified: {
      // As for a statement opened by its text, the database skips the records before the
      // first when it can.
      const long skip = first_record_ - 1;
      if (IsStreaming(cursor_type_) && skip > 0 && (max_records_ <= 0 || max_records_ > skip)) {
        if (auto skipping = core.PrepareSkipping(command->CommandText(), skip, command->Parameters())) {
          if (skipping->ColumnCount() > 0) {
            cursor_ = data::StreamCursor::Open(connection, std::move(skipping), max_records_, skip);
            return;
          }
        }
      }
      statement = core.PrepareBound(command->CommandText(), command->Parameters());
      break;
    }
    default:
      throw Error(errc::kInvalidCall, "Recordset.Open: unsupported command type " +
                                          std::to_string(command->CommandType()));
  }
  cursor_ = OpenCursor(connection, std::move(statement), cursor_type_, lock_type_, max_records_);
  if (IsStreaming(cursor_type_)) SkipTo(first_record_);
}

data::CursorCore& Recordset::OpenCursorCore() const {
  if (!cursor_ || !cursor_->is_open()) {
    throw Error(errc::kClosedObject, "Operation is not allowed when the recordset is closed");
  }
  return *cursor_;
}

bool Recordset::Eof() const { return OpenCursorCore().Eof(); }

void Recordset::MoveNext() { OpenCursorCore().MoveNext(); }

long Recordset::RecordCount() const { return OpenCursorCore().RecordCount(); }

int Recordset::State() const {
  return cursor_ && cursor_->is_open() ? ado::adStateOpen : ado::adStateClosed;
}

int Recordset::EditMode() const { return OpenCursorCore().EditMode(); }

std::vector<Variant> Recordset::GetRows() {
  data::CursorCore& cursor = OpenCursorCore();
  const int count = cursor.fields().Count();
  std::vector<Variant> row;
  row.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) row.push_back(cursor.Value(i));
  cursor.MoveNext();
  return row;
}

FieldCollection& Recordset::Fields() { return OpenCursorCore().fields(); }

void Recordset::AddNew() { OpenCursorCore().AddNew(); }

void Recordset::Update() { OpenCursorCore().Update(); }

void Recordset::CancelUpdate() { OpenCursorCore().CancelUpdate(); }

void Recordset::Close() { cursor_.reset(); }

}  // namespace kelvo
