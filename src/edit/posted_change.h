// What the update engine's save and delete share: the posted change, the key values the post
// names, the status texts of a refused change, and the transaction that makes it all or
// nothing.
#ifndef KELVO_EDIT_POSTED_CHANGE_H_
#define KELVO_EDIT_POSTED_CHANGE_H_

#include <string>
#include <string_view>
#include <vector>

#include "component/db_view_state.h"
#include "edit/edit_data_access.h"
#include "edit/key_condition.h"
#include "kelvo/data.h"
#include "kelvo/host.h"

namespace kelvo::detail {

struct PostedChange {
  bool inserting = false;
  std::vector<FieldInfo> fields;  // of EditSQL, in result order
  std::string statement;          // the statement run, as reports show it
  std::vector<WriteRecord::Change> changes;  // what a save or insert assigned
};

// The posted key values: each key's original value as the form showed it, else its editor's
// value; trimmed, and checked against the key field's type.
std::vector<KeyTerm> PostedKeyTerms(const DbViewState& s, const std::vector<FieldInfo>& fields);

// "Record WAS NOT SAVED: " + the HTML-encoded description + "<br>".
std::string NotSavedStatus(std::string_view description);
// "Delete failed: " + the HTML-encoded description + "<br>".
std::string DeleteFailedStatus(std::string_view description);

// A delete is taken only with its posted confirmation (EditConfirmDelete).
bool DeleteNeedsConfirmation(const DbViewState& s);

// Refuses a change whose post lacks a record check this server signed for the record (a
// forged post, or a form from another server or an earlier run, `signed_elsewhere` when the
// check shows that): says so, answers 403 and makes the form show the record as it now stands.
void RefuseUnverifiedChange(DbViewState& s, bool signed_elsewhere);
// Refuses a change of a record that another user changed after the form showed it.
void RefuseChangedRecord(DbViewState& s);

// A transaction on the grid's connection, rolled back unless committed. Its reads see one
// snapshot, so that a record checked against its form cannot change before it is written: a
// write to a row another user changed since fails with Error(errc::kConflict).
class WriteTransaction final {
 public:
  explicit WriteTransaction(Connection& connection);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  void Commit();

 private:
  Connection& connection_;
  bool open_ = true;
};

// The change, each in its own transaction; they report what they refuse and throw what the
// engine reports as a failure of UpdateRecord.
bool DeletePostedRecord(DbViewState& s, PostedChange& change);
bool SavePostedRecord(DbViewState& s, PostedChange& change);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_POSTED_CHANGE_H_
