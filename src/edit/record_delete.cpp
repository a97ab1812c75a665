#include "component/captions.h"
#include "edit/failure_of.h"
#include "edit/posted_change.h"
#include "kelvo/error.h"

namespace kelvo::detail {

bool DeletePostedRecord(DbViewState& s, PostedChange& change) {
  const KeyedStatement statement = KeyCondition(s, s.DeleteSQL, PostedKeyTerms(s, change.fields));
  change.statement = statement.display;
  Connection& connection = *EditConnection(s);
  WriteTransaction transaction(connection);
  long deleted = 0;
  if (const auto failure =
          FailureOf([&] { deleted = connection.Execute(statement.text, statement.parameters); })) {
    s.mvarStatusText = DeleteFailedStatus(failure->description());
    return false;
  }
  // A record that is already gone counts as deleted; a key that is not unique must not delete
  // more than the one record the user saw.
  if (deleted > 1) {
    throw Error(errc::kInvalidCall,
                "The key matches " + std::to_string(deleted) + " records; nothing was deleted");
  }
  transaction.Commit();
  s.mvarStatusText = "&nbsp;" + MessageText(s, MsgDeleted);
  return true;
}

}  // namespace kelvo::detail
