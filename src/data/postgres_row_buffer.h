// Rows of a streamed result kept in memory, compactly: one text buffer for all cells. A
// statement keeps the rows it has not read yet here when its connection is needed for
// another command.
#ifndef KELVO_DATA_POSTGRES_ROW_BUFFER_H_
#define KELVO_DATA_POSTGRES_ROW_BUFFER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::data {

class PostgresRowBuffer final {
 public:
  // Adds a cell to the last row; nothing for Null.
  void Add(std::optional<std::string_view> cell);
  // Starts reading from the first row; `columns` cells make a row.
  void Rewind(int columns) {
    columns_ = columns;
    next_ = 0;
  }
  bool empty() const { return next_ * static_cast<size_t>(columns_) >= cells_.size(); }
  // Moves to the next row; false when none is left.
  bool Next();
  // A cell of the row Next moved to; nothing for Null.
  std::optional<std::string_view> Cell(int column) const;
  void Clear();

 private:
  struct CellRef {
    std::uint64_t offset;
    std::int64_t length;  // -1 for Null
  };
  std::string text_;
  std::vector<CellRef> cells_;
  int columns_ = 0;
  size_t next_ = 0;     // the row Next moves to
  size_t current_ = 0;  // the row Next moved to
};

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_ROW_BUFFER_H_
