#include "data/buffer_cursor.h"

#include <string>

#include "data/connection_core.h"
#include "kelvo/error.h"

namespace kelvo::data {
namespace {

constexpr const char* kReadOnly =
    "it was opened read-only; open it with a keyset cursor and optimistic locking";

}  // namespace

std::unique_ptr<CursorCore> BufferCursor::Open(std::shared_ptr<Connection> connection,
                                               std::unique_ptr<ProviderStatement> statement,
                                               long max_records, bool updatable) {
  if (max_records > 0) statement->LimitRows(max_records);
  bool has_row = statement->Step();
  std::vector<ColumnInfo> columns = statement->DescribeColumns();
  std::vector<std::vector<Variant>> rows;
  while (has_row && (max_records <= 0 || static_cast<long>(rows.size()) < max_records)) {
    std::vector<Variant>& row = rows.emplace_back();
    row.reserve(columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
      row.push_back(statement->Stored(static_cast<int>(i)));
    has_row = statement->Step();
  }
  return std::unique_ptr<CursorCore>(
      new BufferCursor(std::move(connection), std::move(columns), std::move(rows), updatable));
}

BufferCursor::BufferCursor(std::shared_ptr<Connection> connection, std::vector<ColumnInfo> columns,
                           std::vector<std::vector<Variant>> rows, bool updatable)
    : CursorCore(std::move(connection), columns),
      columns_(std::move(columns)),
      rows_(std::move(rows)),
      updatable_(updatable) {}

bool BufferCursor::DoEof() const {
  return edit_mode_ != ado::adEditAdd && position_ >= rows_.size();
}

void BufferCursor::DoMoveNext() {
  RequireNoPendingChange("MoveNext");
  if (position_ >= rows_.size()) ThrowNoCurrentRecord();
  ++position_;
}

const Variant& BufferCursor::Current(int ordinal) const {
  const auto i = static_cast<size_t>(ordinal);
  if (edit_mode_ != ado::adEditNone) return pending_.values[i];
  if (position_ >= rows_.size()) ThrowNoCurrentRecord();
  return rows_[position_][i];
}

Variant BufferCursor::DoValue(int ordinal) const {
  return connection().provider().Typed(Current(ordinal),
                                       columns_[static_cast<size_t>(ordinal)].type);
}

long BufferCursor::DoActualSize(int ordinal) const {
  return connection().provider().StoredSize(Current(ordinal),
                                            columns_[static_cast<size_t>(ordinal)].type);
}

const WriteTarget& BufferCursor::Target() {
  if (!updatable_) ThrowReadOnly(kReadOnly);
  if (!target_) target_ = FindWriteTarget(columns_, connection().provider());
  return *target_;
}

void BufferCursor::RequireNoPendingChange(const char* operation) const {
  if (edit_mode_ == ado::adEditNone) return;
  throw Error(errc::kInvalidCall,
              std::string(operation) + ": a change is pending; call Update or CancelUpdate first");
}

void BufferCursor::DoAddNew() {
  const WriteTarget& target = Target();
  RequireNoPendingChange("AddNew");
  pending_.values.assign(columns_.size(), Variant::Null());
  pending_.changed.assign(columns_.size(), false);
  for (size_t i = 0; i < columns_.size(); ++i) {
    // Empty, not Null: the database fills it on insert, or computes it (a generated column or
    // an expression), and has not yet.
    if (columns_[i].true_by_default) {
      pending_.values[i] = Variant(true);
    } else if (columns_[i].auto_increment || target.base_columns[i].empty()) {
      pending_.values[i] = Variant();
    }
  }
  edit_mode_ = ado::adEditAdd;
}

void BufferCursor::DoSetValue(int ordinal, const Variant& value) {
  const WriteTarget& target = Target();
  const auto i = static_cast<size_t>(ordinal);
  const ColumnInfo& column = columns_[i];
  if (target.base_columns[i].empty()) {
    throw Error(errc::kInvalidCall, "Field '" + column.name +
                                        "' cannot be changed: it is not a column of table " +
                                        target.table.table);
  }
  if (edit_mode_ == ado::adEditNone) {
    if (position_ >= rows_.size()) ThrowNoCurrentRecord();
    if (target.key.empty()) {
      throw Error(errc::kInvalidCall,
                  "The rows of the recordset cannot be changed: " + target.key_problem);
    }
  }
  Variant stored;
  try {
    stored = connection().provider().ToStored(value, column.type);
  } catch (const Error& e) {
    throw Error(e.number(), "Field '" + column.name + "': " + e.description());
  }
  if (edit_mode_ == ado::adEditNone) {
    pending_.values = rows_[position_];
    pending_.changed.assign(columns_.size(), false);
    edit_mode_ = ado::adEditInProgress;
  }
  pending_.values[i] = std::move(stored);
  pending_.changed[i] = true;
}

void BufferCursor::DoUpdate() {
  if (edit_mode_ == ado::adEditNone) return;
  ProviderConnection& provider = connection().provider();
  if (edit_mode_ == ado::adEditAdd) {
    rows_.push_back(InsertRow(provider, *target_, pending_));
    position_ = rows_.size() - 1;
  } else {
    auto row = UpdateRow(provider, *target_, rows_[position_], pending_);
    if (!row) {
      throw Error(errc::kConflict,
                  "The row was changed or deleted by another user after it was read; nothing "
                  "was written. Read the row again and repeat the change.");
    }
    rows_[position_] = std::move(*row);
  }
  DoCancelUpdate();
}

void BufferCursor::DoCancelUpdate() {
  edit_mode_ = ado::adEditNone;
  pending_.values.clear();
  pending_.changed.clear();
}

void BufferCursor::DoClose() {
  DoCancelUpdate();
  rows_.clear();
}

}  // namespace kelvo::data
