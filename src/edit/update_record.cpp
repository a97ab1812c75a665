#include <algorithm>

#include "component/dispatch_table.h"
#include "component/error_report.h"
#include "component/page_access.h"
#include "component/web_encoding.h"
#include "edit/edit_names.h"
#include "edit/failure_of.h"
#include "edit/posted_change.h"
#include "edit/update_engine.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

bool Allows(const DbViewState& s, std::string_view word) {
  return s.EditOptions.find(word) != std::string::npos;
}

std::string PostedButton(const DbViewState& s, std::string_view suffix) {
  return PostedValue(s, ParameterName(s, suffix)).value_or("");
}

// The table an edit statement reads, as it names it after its last " FROM ": dotted parts,
// each a word or a quoted name, which may hold blanks and doubled quotes.
std::string TableOf(std::string_view statement) {
  statement = BaseStatement(statement);
  const std::size_t from = UCase(statement).rfind(" FROM ");
  if (from == std::string::npos) return {};
  const std::string_view rest = Trim(statement.substr(from + 6));
  std::size_t end = 0;
  while (end < rest.size()) {
    const char open = rest[end];
    const char close = open == '"' || open == '`' ? open : open == '[' ? ']' : '\0';
    if (close != '\0') {
      std::size_t at = end + 1;
      while (at < rest.size() &&
             (rest[at] != close || (at + 1 < rest.size() && rest[at + 1] == close))) {
        at += rest[at] == close ? 2 : 1;
      }
      end = std::min(at + 1, rest.size());
    } else {
      end = std::min(rest.find_first_of(" \t\r\n.,;()", end), rest.size());
    }
    if (end >= rest.size() || rest[end] != '.') break;
    ++end;
  }
  return std::string(rest.substr(0, end));
}

// The status text without its markup, for the audit trail.
std::string PlainStatus(std::string_view text) {
  constexpr std::string_view kSpace = "&nbsp;";
  std::string plain;
  bool in_tag = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i).starts_with(kSpace)) {
      plain += ' ';
      i += kSpace.size() - 1;
      continue;
    }
    if (text[i] == '<') in_tag = true;
    if (!in_tag) plain += text[i];
    if (text[i] == '>') in_tag = false;
  }
  return std::string(Trim(plain));
}

// Tells the page's journal about a write that was tried. A journal that cannot record it
// makes the page say so and answer 500: the user must not read that all went well.
void Journal(DbViewState& s, WriteRecord& write, PostedChange& change, bool succeeded) {
  WriteJournal* journal = PageJournal(s);
  if (journal == nullptr) return;
  write.table = TableOf(s.EditSQL);
  write.succeeded = succeeded;
  write.changes = std::move(change.changes);
  if (!succeeded && write.failure.empty()) write.failure = PlainStatus(s.mvarStatusText);
  const std::vector<std::string> keys = KeyList(s);
  if (change.inserting && succeeded && s.mvarSavedKey.size() == keys.size()) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      write.key.emplace_back(keys[i], AsText(s.mvarSavedKey[i]));
    }
  } else if (!change.inserting) {
    IgnoreFailure([&] {
      for (const KeyTerm& term : PostedKeyTerms(s, change.fields)) {
        write.key.emplace_back(term.name, term.text);
      }
    });
  }
  if (const auto failure = FailureOf([&] { journal->Record(write); })) {
    const std::string text = "The change is not in the audit trail: " + failure->description();
    AppendError(s, text, "<br>");
    s.mvarStatusText = "&nbsp;" + HtmlAttributeEncode(text);
    IgnoreFailure([&] { PageResponse(s).SetStatus(500); });
  }
}

}  // namespace

bool UpdateRecord(DbViewState& s) {
  bool result = true;
  bool deleting = false;
  bool tried = false;
  PostedChange change;
  WriteRecord write;
  const auto failure = FailureOf([&] {
    // Only the edit form's own post changes data, never a link or a cookie.
    if (!PageRequest(s).IsPost()) return;
    const std::string update = PostedButton(s, "FormUpdate");
    const std::string remove = PostedButton(s, "FormDelete");
    if (update.empty() && remove.empty()) return;
    deleting = !Trim(remove).empty() && !s.DeleteSQL.empty();
    change.inserting = !deleting && !Trim(PostedButton(s, "FormInsert")).empty();
    write.action = deleting ? "delete" : change.inserting ? "insert" : "save";
    // The signed-in user's role may not write this page, whatever the form offers.
    if (!PageMayWrite(s)) {
      constexpr std::string_view kReadOnly = "Your role may not change this data";
      s.mvarStatusText = deleting ? DeleteFailedStatus(kReadOnly) : NotSavedStatus(kReadOnly);
      IgnoreFailure([&] { PageResponse(s).SetStatus(403); });
      tried = true;
      result = false;
      return;
    }
    if (!Allows(s, "UPDATE")) return;
    tried = true;
    if (s.EditPrimaryKeys.empty()) {
      constexpr std::string_view kNoKeys = "Kelvo property EditPrimaryKeys must be set!";
      AppendError(s, kNoKeys, "<br>");
      s.mvarStatusText = deleting ? DeleteFailedStatus(kNoKeys) : NotSavedStatus(kNoKeys);
      result = false;
      return;
    }
    if (deleting && !Allows(s, "DELETE")) {
      throw Error(errc::kInvalidCall, "EditOptions does not allow deleting records");
    }
    if (change.inserting && !Allows(s, "ADD")) {
      throw Error(errc::kInvalidCall, "EditOptions does not allow adding records");
    }
    change.fields = ProbeStatement(s, s.EditSQL).fields;
    result = deleting ? DeletePostedRecord(s, change) : SavePostedRecord(s, change);
  });
  if (!failure) {
    if (tried) Journal(s, write, change, result);
    return result;
  }
  std::string text_after = " in UpdateRecord.<br>";
  if (s.DisplayDebug) text_after += "sql='" + change.statement + "'<br>";
  AppendError(s, failure->description(), text_after);
  s.mvarStatusText = deleting ? DeleteFailedStatus(failure->description())
                              : NotSavedStatus(failure->description());
  write.failure = failure->description();
  if (tried) Journal(s, write, change, false);
  return false;
}

}  // namespace kelvo::detail
