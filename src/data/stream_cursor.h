// A forward-only, read-only cursor: rows come straight from the statement, one at a time,
// and nothing is copied per row. It cannot tell its record count.
#ifndef KELVO_DATA_STREAM_CURSOR_H_
#define KELVO_DATA_STREAM_CURSOR_H_

#include <memory>

#include "data/cursor_core.h"

namespace kelvo::data {

class StreamCursor final : public CursorCore {
 public:
  // Runs `statement` to its first row. At most `max_records` rows of the result are read (0:
  // no limit), counting the `skipped` rows the statement already leaves out.
  static std::unique_ptr<CursorCore> Open(std::shared_ptr<Connection> connection,
                                          std::unique_ptr<ProviderStatement> statement,
                                          long max_records, long skipped = 0);

 private:
  StreamCursor(std::shared_ptr<Connection> connection, std::unique_ptr<ProviderStatement> statement,
               const std::vector<ColumnInfo>& columns, bool has_row, long max_records,
               long skipped);

  bool DoEof() const override { return !has_row_; }
  void DoMoveNext() override;
  long DoRecordCount() const override { return -1; }
  int DoEditMode() const override { return ado::adEditNone; }
  Variant DoValue(int ordinal) const override;
  long DoActualSize(int ordinal) const override;
  void DoAddNew() override;
  void DoSetValue(int ordinal, const Variant& value) override;
  void DoUpdate() override;
  void DoCancelUpdate() override {}
  void DoClose() override;

  std::unique_ptr<ProviderStatement> statement_;
  bool has_row_;
  long rows_read_;
  long max_records_;
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_STREAM_CURSOR_H_
