// The per-column table properties of DbView.
#include "component/db_view_state.h"
#include "format/cell_tables.h"
#include "kelvo/db_view.h"

namespace kelvo {

void DbView::SetGridFreeFormatCell(std::string_view value) {
  detail::SetGridFreeFormatCell(*s_, value);
}

std::string DbView::GridFreeFormatCellByCol(std::int16_t column) {
  return detail::HasFreeFormatCell(*s_, column) ? detail::GetFreeCellStringRaw(*s_, column)
                                                : std::string();
}
void DbView::SetGridFreeFormatCellByCol(std::int16_t column, std::string_view value) {
  detail::SetGridFreeFormatCellByCol(*s_, column, value);
}

std::string DbView::GridFormatCellFunction(std::int16_t column) {
  return detail::HasFormatCellFunction(*s_, column) ? detail::GetFormatCellStringRaw(*s_, column)
                                                    : std::string();
}
void DbView::SetGridFormatCellFunction(std::int16_t column, std::string_view value) {
  detail::SetGridFormatCellFunction(*s_, column, value);
}

std::string DbView::GridColAttributes(std::int16_t column) {
  return detail::GetGridColAttributes(*s_, column);
}
void DbView::SetGridColAttributes(std::int16_t column, std::string_view value) {
  detail::SetGridColAttributes(*s_, column, value);
}

std::string DbView::GridColHeadAttributes(std::int16_t column) {
  return detail::GetGridColHeadAttributes(*s_, column);
}
void DbView::SetGridColHeadAttributes(std::int16_t column, std::string_view value) {
  detail::SetGridColHeadAttributes(*s_, column, value);
}

}  // namespace kelvo
