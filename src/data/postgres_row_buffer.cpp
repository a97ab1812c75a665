#include "data/postgres_row_buffer.h"

namespace kelvo::data {

void PostgresRowBuffer::Add(std::optional<std::string_view> cell) {
  if (!cell) {
    cells_.push_back({text_.size(), -1});
    return;
  }
  cells_.push_back({text_.size(), static_cast<std::int64_t>(cell->size())});
  text_.append(*cell);
}

bool PostgresRowBuffer::Next() {
  if (empty()) return false;
  current_ = next_++;
  return true;
}

std::optional<std::string_view> PostgresRowBuffer::Cell(int column) const {
  const CellRef& cell =
      cells_[current_ * static_cast<size_t>(columns_) + static_cast<size_t>(column)];
  if (cell.length < 0) return std::nullopt;
  return std::string_view(text_).substr(cell.offset, static_cast<size_t>(cell.length));
}

void PostgresRowBuffer::Clear() {
  text_ = std::string();
  cells_ = std::vector<CellRef>();
  next_ = 0;
  current_ = 0;
}

}  // namespace kelvo::data
