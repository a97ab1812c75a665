#include "format/cell_tables.h"

#include <string>

#include "component/error_report.h"
#include "component/list_utils.h"
#include "kelvo/error.h"

namespace kelvo::detail {
namespace {

using CellTable = DbViewState::CellTable;

// Names written into the trace of the template and function setters.
struct TraceNames {
  std::string_view key_list;
  std::string_view entry_array;
};

std::string& EntryAt(CellTable& table, long index) {
  if (index < 0 || static_cast<std::size_t>(index) >= table.entries.size()) {
    throw Error(errc::kSubscriptOutOfRange, "Subscript out of range");
  }
  return table.entries[static_cast<std::size_t>(index)];
}

void SetColumn(CellTable& table, int column, std::string_view value, const TraceNames* names,
               std::string& trace) {
  const std::string key = std::to_string(column);
  const long position = IndexInList(table.keys, key);
  if (position > 0) {
    EntryAt(table, 2 * position - 1) = value;
    return;
  }
  long last_index = 0;
  if (IsListBlank(table.keys)) {
    table.keys = key;
    last_index = -1;
    table.entries.assign(2, std::string());
    if (names) trace += "Setting initial array. " + std::string(names->key_list) + "=" + table.keys + "<br>";
  } else {
    table.keys += "," + key;
    last_index = static_cast<long>(table.entries.size()) - 1;
    table.entries.resize(static_cast<std::size_t>(last_index + 3));
    if (names) {
      trace += "Expanding array. currUBound=" + std::to_string(last_index) + ", " +
               std::string(names->key_list) + "=" + table.keys + "<br>";
    }
  }
  const auto trace_store = [&](long index, std::string_view stored) {
    if (names) {
      trace += "Setting " + std::string(names->entry_array) + "(" + std::to_string(index) +
               ")=" + std::string(stored) + "<br>";
    }
  };
  EntryAt(table, last_index + 1) = key;
  trace_store(last_index + 1, key);
  EntryAt(table, last_index + 2) = value;
  trace_store(last_index + 2, value);
}

void SetTracedColumn(DbViewState& s, CellTable& table, int column, std::string_view value,
                     const TraceNames& names, std::string_view setter) {
  std::string trace;
  try {
    SetColumn(table, column, value, &names, trace);
  } catch (const std::exception& failure) {
    AppendError(s, failure.what(), " in " + std::string(setter) + ". trace=" + trace + "<br>");
  }
}

void SetPlainColumn(DbViewState& s, CellTable& table, int column, std::string_view value,
                    std::string_view setter) {
  std::string unused;
  GuardedStep(s, " in " + std::string(setter) + ". <br>",
              [&] { SetColumn(table, column, value, nullptr, unused); });
}

bool Has(const CellTable& table, int column) {
  return !IsListBlank(table.keys) && IndexInList(table.keys, std::to_string(column)) > 0;
}

// The column's entry; a failure is reported with the reader's name and gives "".
std::string Read(DbViewState& s, CellTable& table, int column, std::string_view reader) {
  long index = 0;
  std::string value;
  try {
    index = 2L * IndexInList(table.keys, std::to_string(column)) - 1;
    value = EntryAt(table, index);
  } catch (const std::exception& failure) {
    AppendError(s, failure.what(),
                " in " + std::string(reader) + ". index=" + std::to_string(column) +
                    ", nArrIdx=" + std::to_string(index) + "<br>");
    return {};
  }
  return value;
}

}  // namespace

void SetGridFreeFormatCellByCol(DbViewState& s, int column, std::string_view value) {
  SetTracedColumn(s, s.marrGridFreeCell, column, value,
                  {"mvarGridFreeFormatCellIdx", "marrGridFreeCell"}, "GridFreeFormatCellByCol");
}

void SetGridFormatCellFunction(DbViewState& s, int column, std::string_view value) {
  SetTracedColumn(s, s.marrGridFormatCell, column, value,
                  {"mvarGridFormatCellIdx", "marrGridFormatCell"}, "GridFormatCellFunction");
}

void SetGridColAttributes(DbViewState& s, int column, std::string_view value) {
  SetPlainColumn(s, s.marrGridColAttributes, column, value, "GridColAttributes");
}

void SetGridColHeadAttributes(DbViewState& s, int column, std::string_view value) {
  SetPlainColumn(s, s.marrGridColHeadAttributes, column, value, "GridColHeadAttributes");
}

void SetGridFreeFormatCell(DbViewState& s, std::string_view text) {
  CellTable& table = s.marrGridFreeCell;
  table.entries.clear();
  table.keys.clear();
  if (text.empty()) return;
  const std::string_view delimiter = s.GridFreeFormatCellColumnDelimiter;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = delimiter.empty() ? std::string_view::npos : text.find(delimiter, start);
    table.entries.emplace_back(text.substr(start, at - start));
    if (at == std::string_view::npos) break;
    start = at + delimiter.size();
  }
  for (std::size_t i = 0; i < table.entries.size(); i += 2) {
    if (i > 0) table.keys += ',';
    table.keys += table.entries[i];
  }
}

bool HasFreeFormatCell(const DbViewState& s, int column) { return Has(s.marrGridFreeCell, column); }
bool HasFormatCellFunction(const DbViewState& s, int column) {
  return Has(s.marrGridFormatCell, column);
}
bool HasGridColAttributes(const DbViewState& s, int column) {
  return Has(s.marrGridColAttributes, column);
}
bool HasGridColHeadAttributes(const DbViewState& s, int column) {
  return Has(s.marrGridColHeadAttributes, column);
}

std::string GetFreeCellStringRaw(DbViewState& s, int column) {
  return Read(s, s.marrGridFreeCell, column, "GetFreeCellStringRaw");
}

std::string GetFormatCellStringRaw(DbViewState& s, int column) {
  return Read(s, s.marrGridFormatCell, column, "GetFormatCellStringRaw");
}

std::string GetGridColAttributes(DbViewState& s, int column) {
  if (!HasGridColAttributes(s, column)) return {};
  return Read(s, s.marrGridColAttributes, column, "GetGridColAttributes");
}

std::string GetGridColHeadAttributes(DbViewState& s, int column) {
  if (!HasGridColHeadAttributes(s, column)) return {};
  return Read(s, s.marrGridColHeadAttributes, column, "GetGridColHeadAttributes");
}

}  // namespace kelvo::detail
