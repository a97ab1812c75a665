// The record check an edit form carries. The form holds the version of the record it showed
// (each key's value and the shown text of every field a save may change) and a keyed hash
// (HMAC-SHA256 under the host's signing secret) of that version. A save or delete is taken
// only with a version this server signed for the very record it changes; a version that no
// longer matches the record means that another user changed it in between. An add form
// carries a signature of the grid and its table instead, so that an insert, too, comes from a
// form this server wrote.
#ifndef KELVO_EDIT_RECORD_HASH_H_
#define KELVO_EDIT_RECORD_HASH_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The text a version takes of one field of the current record: "1" or "0" for a check box,
// else the text its editor shows.
std::string ShownFieldText(const DbViewState& s, Field& field);

// A version taken apart: (name, text) pairs of the keys, then of the saved fields.
struct RecordVersion {
  std::vector<std::pair<std::string, std::string>> keys;
  std::vector<std::pair<std::string, std::string>> fields;
  bool operator==(const RecordVersion&) const = default;
};

// The version of the recordset's current record. Throws when a value cannot be read.
RecordVersion VersionOf(const DbViewState& s, Recordset& recordset);

// The hidden inputs of an edit form's record check (the signed version), and of an add form's
// (the signature of the grid and its table).
std::string RecordCheckInputs(const DbViewState& s, const RecordVersion& version);
std::string InsertCheckInput(const DbViewState& s);

// What the posted record check says of the record it is to change.
struct PostedCheck {
  enum Outcome {
    kCurrent,  // signed by this server for this record, which still stands so
    kChanged,  // signed for this record, which another user changed since
    kRefused,  // missing, not signed by this server, or signed for another record
  };
  Outcome outcome = kRefused;
  // kRefused: a well-formed check under another secret, so the form came from another server
  // or an earlier run of this one.
  bool signed_elsewhere = false;
  RecordVersion shown;  // the version the form showed, for kCurrent and kChanged
};
PostedCheck CheckPostedVersion(const DbViewState& s, Recordset& recordset);
// kCurrent when the post carries this server's signature of the grid's add form.
PostedCheck CheckPostedInsert(const DbViewState& s);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_RECORD_HASH_H_
