// Feeds arbitrary format-function texts, cell templates and field values to the cell formatting
// of a grid: GetFormatCellString, GetFreeCellString (through both table setters) and the
// REGEXPREPLACE reader. Input: one settings byte, then the function text, a zero byte, the
// template, a zero byte and the value. The grid state, its page contexts and an SQLite table
// of one row are made once; each input changes the row and the per-column tables.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "component/db_view_state.h"
#include "format/cell_tables.h"
#include "format/format_function.h"
#include "format/format_function_parse.h"
#include "format/free_format_cell.h"
#include "kelvo/data.h"
#include "kelvo/host.h"

namespace {

using kelvo::detail::DbViewState;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The next piece of `input` up to a zero byte; `input` moves past it.
std::string_view NextPiece(std::string_view& input) {
  const std::size_t split = input.find('\0');
  const std::string_view piece = input.substr(0, split);
  input = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  return piece;
}

struct Grid {
  Grid()
      : english(kelvo::RequestData::Get("/list"), Options("en-US")),
        german(kelvo::RequestData::Get("/list"), Options("de-DE")) {
    connection->Open("sqlite::memory:");
    connection->Execute("CREATE TABLE F (id INTEGER PRIMARY KEY, t TEXT, r REAL, d DATETIME)");
    connection->Execute("INSERT INTO F (id) VALUES (1)");
  }

  static kelvo::PageOptions Options(const char* locale) {
    kelvo::PageOptions options;
    options.locale = locale;
    options.signing_secret = "fuzz";
    return options;
  }

  // Stores `value` in every column but the key and opens the row.
  kelvo::Recordset& Row(std::string_view value) {
    recordset.reset();
    const kelvo::Variant values[] = {kelvo::Variant(value), kelvo::Variant(value),
                                     kelvo::Variant(value)};
    connection->Execute("UPDATE F SET t = ?, r = ?, d = ?", values);
    recordset = std::make_unique<kelvo::Recordset>();
    recordset->Open("SELECT id, t, r, d FROM F", connection);
    return *recordset;
  }

  kelvo::MemoryPage english;
  kelvo::MemoryPage german;
  std::shared_ptr<kelvo::Connection> connection = std::make_shared<kelvo::Connection>();
  std::unique_ptr<kelvo::Recordset> recordset;
  DbViewState s;
};

constexpr std::string_view kColumnDelimiters[] = {",", ";", "", "||"};
constexpr std::string_view kFieldDelimiters[] = {"#", "##", "", "%"};

void CheckRegExpReplaceText(std::string_view text) {
  const auto parsed = kelvo::detail::ParseRegExpReplace(text);
  if (!parsed) return;
  // The replacement ends the text; a pattern lies inside the text, before the replacement.
  Check(parsed->replacement.data() + parsed->replacement.size() == text.data() + text.size());
  if (parsed->pattern.empty()) return;
  Check(parsed->pattern.data() > text.data());
  Check(parsed->pattern.data() + parsed->pattern.size() < parsed->replacement.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Grid* const grid = new Grid();  // lives for the whole run
  if (size == 0) return 0;
  const std::uint8_t settings = data[0];
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string_view function = NextPiece(input);
  const std::string_view templ = NextPiece(input);
  const std::string_view value = NextPiece(input);

  DbViewState& s = grid->s;
  s.ErrorMessage.clear();
  s.mvarScriptingContext = (settings & 1) != 0 ? grid->german.context() : grid->english.context();
  s.GridFreeFormatCellColumnDelimiter = kColumnDelimiters[(settings >> 1) & 3];
  s.GridFreeFormatCellDataFieldDelimiter = kFieldDelimiters[(settings >> 3) & 3];
  s.MemoFieldLimit = (settings & 0x20) != 0 ? 3 : -1;

  CheckRegExpReplaceText(function);
  kelvo::Recordset& row = grid->Row(value);
  int column = 0;
  for (kelvo::Field& field : row.Fields()) {
    ++column;
    kelvo::detail::SetGridFormatCellFunction(s, column, function);
    const std::string cell = kelvo::detail::GetFormatCellString(s, field, column);
    // Only a failure while preparing leaves a cell empty, and then it is reported.
    Check(!cell.empty() || !s.ErrorMessage.empty());
  }
  kelvo::detail::SetGridFreeFormatCellByCol(s, 2, templ);
  kelvo::detail::GetFreeCellString(s, row, 2, 1);
  kelvo::detail::SetGridFreeFormatCell(s, templ);
  for (int key = 0; key <= 4; ++key) {
    if (kelvo::detail::HasFreeFormatCell(s, key)) kelvo::detail::GetFreeCellString(s, row, key, 1);
  }
  kelvo::detail::ReplaceFieldValuesFromTag(s, templ, row, 1);
  return 0;
}
