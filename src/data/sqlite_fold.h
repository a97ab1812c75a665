// kelvo_fold(text): the text with the case of every letter folded (Unicode simple case
// folding), so that a search compares "Достоевский" and "достоевский" alike. SQLite's own LIKE
// folds ASCII letters only. Values that are not text come back unchanged.
#ifndef KELVO_DATA_SQLITE_FOLD_H_
#define KELVO_DATA_SQLITE_FOLD_H_

#include <sqlite3.h>

#include <string_view>

namespace kelvo::data {

// Registers kelvo_fold on `db`; returns the SQLite result code.
int RegisterFold(sqlite3* db);

// Text of ASCII characters only, whose letters SQLite's LIKE folds itself.
bool IsAscii(std::string_view text);

}  // namespace kelvo::data

#endif  // KELVO_DATA_SQLITE_FOLD_H_
