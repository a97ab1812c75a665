#include "data/cursor_core.h"

#include <string>

#include "data/connection_core.h"
#include "kelvo/error.h"

namespace kelvo::data {

CursorCore::CursorCore(std::shared_ptr<Connection> connection,
                       const std::vector<ColumnInfo>& columns)
    : connection_(std::move(connection)), core_(&connection_->core()) {
  fields_.fields_.reserve(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnInfo& column = columns[i];
    fields_.fields_.push_back(Field(this, static_cast<int>(i), column.name, column.type,
                                    column.defined_size,
                                    column.nullable ? long{ado::adFldIsNullable} : 0L));
  }
  core_->Attach(*this);
}

CursorCore::~CursorCore() {
  if (core_ != nullptr) core_->Detach(*this);
}

void CursorCore::Close() {
  if (core_ == nullptr) return;
  streaming_ = nullptr;
  DoClose();
  core_->Detach(*this);
  core_ = nullptr;
  connection_.reset();
}

void CursorCore::ThrowClosed() {
  throw Error(errc::kClosedObject, "Operation is not allowed when the recordset is closed");
}

void CursorCore::ThrowNoCurrentRecord() {
  throw Error(errc::kNoCurrentRecord,
              "Either EOF or BOF is true, or the current record has been deleted");
}

void CursorCore::ThrowReadOnly(const char* why) {
  throw Error(errc::kInvalidCall, std::string("The recordset cannot be changed: ") + why);
}

}  // namespace kelvo::data
