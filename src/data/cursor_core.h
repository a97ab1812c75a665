// The open state behind a Recordset: its fields, its rows and how it moves through them.
// Two kinds exist: StreamCursor reads a statement row by row (forward-only); BufferCursor
// keeps the whole result and can add and change rows.
#ifndef KELVO_DATA_CURSOR_CORE_H_
#define KELVO_DATA_CURSOR_CORE_H_

#include <memory>
#include <vector>

#include "data/provider.h"
#include "kelvo/data.h"

namespace kelvo::data {

class ConnectionCore;

class CursorCore {
 public:
  CursorCore(const CursorCore&) = delete;
  CursorCore& operator=(const CursorCore&) = delete;
  virtual ~CursorCore();

  // Fields are made once, here, and stay valid as long as the cursor; once it is closed their
  // values throw Error(errc::kClosedObject).
  FieldCollection& fields() { return fields_; }
  bool is_open() const { return core_ != nullptr; }
  // Lets go of the statement and the connection; a pending change is dropped.
  void Close();

  // Each of these throws Error(errc::kClosedObject) once the cursor is closed.
  bool Eof() const {
    RequireOpen();
    return DoEof();
  }
  void MoveNext() {
    RequireOpen();
    DoMoveNext();
  }
  long RecordCount() const {
    RequireOpen();
    return DoRecordCount();
  }
  int EditMode() const {
    RequireOpen();
    return DoEditMode();
  }
  Variant Value(int ordinal) const {
    if (streaming_ != nullptr) return streaming_->Value(ordinal);
    RequireOpen();
    return DoValue(ordinal);
  }
  void ReadValue(int ordinal, Variant& into) const {
    if (streaming_ != nullptr) {
      streaming_->ReadValue(ordinal, into);
      return;
    }
    RequireOpen();
    into = DoValue(ordinal);
  }
  long ActualSize(int ordinal) const {
    RequireOpen();
    return DoActualSize(ordinal);
  }
  void AddNew() {
    RequireOpen();
    DoAddNew();
  }
  void SetValue(int ordinal, const Variant& value) {
    RequireOpen();
    DoSetValue(ordinal, value);
  }
  void Update() {
    RequireOpen();
    DoUpdate();
  }
  void CancelUpdate() {
    RequireOpen();
    DoCancelUpdate();
  }

 protected:
  // Registers with the connection, which closes the cursor when it closes first.
  CursorCore(std::shared_ptr<Connection> connection, const std::vector<ColumnInfo>& columns);

  ConnectionCore& connection() const { return *core_; }
  // A streaming cursor names the statement whose current row its values come from, and null
  // when there is no current row: this saves a call per value on the per-row path.
  void SetStreamingRow(ProviderStatement* statement) { streaming_ = statement; }
  [[noreturn]] static void ThrowNoCurrentRecord();
  [[noreturn]] static void ThrowReadOnly(const char* why);

 private:
  void RequireOpen() const {
    if (core_ == nullptr) ThrowClosed();
  }
  [[noreturn]] static void ThrowClosed();

  virtual bool DoEof() const = 0;
  virtual void DoMoveNext() = 0;
  virtual long DoRecordCount() const = 0;
  virtual int DoEditMode() const = 0;
  virtual Variant DoValue(int ordinal) const = 0;
  virtual long DoActualSize(int ordinal) const = 0;
  virtual void DoAddNew() = 0;
  virtual void DoSetValue(int ordinal, const Variant& value) = 0;
  virtual void DoUpdate() = 0;
  virtual void DoCancelUpdate() = 0;
  // Drops the statement and any rows or pending change.
  virtual void DoClose() = 0;

  std::shared_ptr<Connection> connection_;  // kept alive while the cursor is open
  ConnectionCore* core_;                    // null once closed
  ProviderStatement* streaming_ = nullptr;  // see SetStreamingRow
  FieldCollection fields_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_CURSOR_CORE_H_
