// A cursor that reads the whole result (up to its row limit) when it opens and then lets go
// of the statement, so it holds no lock while the page works. It knows its record count, and
// when opened for changes it adds rows and changes them optimistically (see Recordset).
#ifndef KELVO_DATA_BUFFER_CURSOR_H_
#define KELVO_DATA_BUFFER_CURSOR_H_

#include <memory>
#include <optional>
#include <vector>

#include "data/cursor_core.h"
#include "data/row_writer.h"
#include "data/write_target.h"

namespace kelvo::data {

class BufferCursor final : public CursorCore {
 public:
  // Reads at most `max_records` rows (0: no limit) of `statement`.
  static std::unique_ptr<CursorCore> Open(std::shared_ptr<Connection> connection,
                                          std::unique_ptr<ProviderStatement> statement,
                                          long max_records, bool updatable);

 private:
  BufferCursor(std::shared_ptr<Connection> connection, std::vector<ColumnInfo> columns,
               std::vector<std::vector<Variant>> rows, bool updatable);

  bool DoEof() const override;
  void DoMoveNext() override;
  long DoRecordCount() const override { return static_cast<long>(rows_.size()); }
  int DoEditMode() const override { return edit_mode_; }
  Variant DoValue(int ordinal) const override;
  long DoActualSize(int ordinal) const override;
  void DoAddNew() override;
  void DoSetValue(int ordinal, const Variant& value) override;
  void DoUpdate() override;
  void DoCancelUpdate() override;
  void DoClose() override;

  // The stored value the current row (or the pending one) holds in that column.
  const Variant& Current(int ordinal) const;
  const WriteTarget& Target();
  void RequireNoPendingChange(const char* operation) const;

  std::vector<ColumnInfo> columns_;
  std::vector<std::vector<Variant>> rows_;
  size_t position_ = 0;
  bool updatable_;
  std::optional<WriteTarget> target_;
  int edit_mode_ = ado::adEditNone;
  PendingRow pending_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_BUFFER_CURSOR_H_
