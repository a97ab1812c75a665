#include "data/stream_cursor.h"

namespace kelvo::data {
namespace {

constexpr const char* kForwardOnly =
    "it is forward-only; open it with a keyset cursor and optimistic locking";

}  // namespace

std::unique_ptr<CursorCore> StreamCursor::Open(std::shared_ptr<Connection> connection,
                                               std::unique_ptr<ProviderStatement> statement,
                                               long max_records, long skipped) {
  if (max_records > 0) statement->LimitRows(max_records - skipped);
  const bool has_row = statement->Step();
  const std::vector<ColumnInfo> columns = statement->DescribeColumns();
  return std::unique_ptr<CursorCore>(new StreamCursor(std::move(connection), std::move(statement),
                                                      columns, has_row, max_records, skipped));
}

StreamCursor::StreamCursor(std::shared_ptr<Connection> connection,
                           std::unique_ptr<ProviderStatement> statement,
                           const std::vector<ColumnInfo>& columns, bool has_row, long max_records,
                           long skipped)
    : CursorCore(std::move(connection), columns),
      statement_(std::move(statement)),
      has_row_(has_row),
      rows_read_(skipped + (has_row ? 1 : 0)),
      max_records_(max_records) {
  if (has_row_) {
    SetStreamingRow(statement_.get());
  } else {
    statement_->Reset();
  }
}

void StreamCursor::DoMoveNext() {
  if (!has_row_) ThrowNoCurrentRecord();
  has_row_ = false;
  SetStreamingRow(nullptr);
  if (max_records_ > 0 && rows_read_ >= max_records_) {
    statement_->Reset();  // the limit is reached: let go of the read lock now
    return;
  }
  has_row_ = statement_->Step();
  if (has_row_) {
    ++rows_read_;
    SetStreamingRow(statement_.get());
  } else {
    statement_->Reset();
  }
}

Variant StreamCursor::DoValue(int ordinal) const {
  if (!has_row_) ThrowNoCurrentRecord();
  return statement_->Value(ordinal);
}

long StreamCursor::DoActualSize(int ordinal) const {
  if (!has_row_) ThrowNoCurrentRecord();
  return statement_->ActualSize(ordinal);
}

void StreamCursor::DoAddNew() { ThrowReadOnly(kForwardOnly); }

void StreamCursor::DoSetValue(int /*ordinal*/, const Variant& /*value*/) {
  ThrowReadOnly(kForwardOnly);
}

void StreamCursor::DoUpdate() {}

void StreamCursor::DoClose() {
  SetStreamingRow(nullptr);
  statement_.reset();
  has_row_ = false;
}

}  // namespace kelvo::data
