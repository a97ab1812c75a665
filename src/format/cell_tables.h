// The per-column string tables a page sets: cell templates, format functions, data-cell
// attributes and header-cell attributes. Each keeps a comma list of keys (column numbers as
// decimal text) and an entry array of key/value pairs: the key at position k owns the value at
// index 2k-1.
#ifndef KELVO_FORMAT_CELL_TABLES_H_
#define KELVO_FORMAT_CELL_TABLES_H_

#include <string>
#include <string_view>

#include "component/db_view_state.h"

namespace kelvo::detail {

// Setters of one column; failures are reported in ErrorMessage, never thrown.
void SetGridFreeFormatCellByCol(DbViewState& s, int column, std::string_view value);
void SetGridFormatCellFunction(DbViewState& s, int column, std::string_view value);
void SetGridColAttributes(DbViewState& s, int column, std::string_view value);
void SetGridColHeadAttributes(DbViewState& s, int column, std::string_view value);
// Replaces the whole template table from "key,value,key,value..." (split at
// GridFreeFormatCellColumnDelimiter). The empty text clears the keys too.
void SetGridFreeFormatCell(DbViewState& s, std::string_view text);

// Whether the column has an entry in the table. Never report.
bool HasFreeFormatCell(const DbViewState& s, int column);
bool HasFormatCellFunction(const DbViewState& s, int column);
bool HasGridColAttributes(const DbViewState& s, int column);
bool HasGridColHeadAttributes(const DbViewState& s, int column);

// The stored entry of the column ("" when it has none, or after a reported failure).
std::string GetFreeCellStringRaw(DbViewState& s, int column);
std::string GetFormatCellStringRaw(DbViewState& s, int column);
std::string GetGridColAttributes(DbViewState& s, int column);
std::string GetGridColHeadAttributes(DbViewState& s, int column);

}  // namespace kelvo::detail

#endif  // KELVO_FORMAT_CELL_TABLES_H_
