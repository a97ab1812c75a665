#include "data/sqlite_fold.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::data {
namespace {

// Bytes that are not UTF-8 are kept as they are.
void FoldCase(std::string_view text, std::string& folded) {
  folded.clear();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t at = 0; at < length;) {
    const std::int32_t start = at;
    UChar32 c;
    U8_NEXT(bytes, at, length, c);
    if (c < 0) {
      folded.append(text.substr(static_cast<std::size_t>(start),
                                static_cast<std::size_t>(at - start)));
      continue;
    }
    std::uint8_t encoded[U8_MAX_LENGTH];
    std::int32_t size = 0;
    U8_APPEND_UNSAFE(encoded, size, u_foldCase(c, U_FOLD_CASE_DEFAULT));
    folded.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
  }
}

void Fold(sqlite3_context* context, int /*count*/, sqlite3_value** values) {
  sqlite3_value* value = values[0];
  if (sqlite3_value_type(value) != SQLITE_TEXT) {
    sqlite3_result_value(context, value);
    return;
  }
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
  const std::string_view text(bytes, static_cast<std::size_t>(sqlite3_value_bytes(value)));
  // LIKE folds ASCII letters itself: most text needs nothing more.
  if (IsAscii(text)) {
    sqlite3_result_value(context, value);
    return;
  }
  // Kept by the thread between rows, so a search does not allocate for each one; SQLite copies
  // the result.
  thread_local std::string folded;
  FoldCase(text, folded);
  sqlite3_result_text64(context, folded.data(), folded.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

int RegisterFold(sqlite3* db) {
  return sqlite3_create_function_v2(db, "kelvo_fold", 1,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                    nullptr, Fold, nullptr, nullptr, nullptr);
}

}  // namespace kelvo::data
