#include "render/record_position.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <vector>

#include "component/error_report.h"
#include "component/page_access.h"
#include "edit/edit_data_access.h"
#include "edit/key_condition.h"
#include "kelvo/convert.h"

namespace kelvo::detail {
namespace {

// The key of a record as its fields read, the form a link writes it in.
std::vector<std::string> KeyTexts(const DbViewState& s, const std::vector<std::string>& keys,
                                  Recordset& recordset) {
  std::vector<std::string> texts;
  for (const std::string& key : keys) {
    texts.push_back(CStr(recordset.Fields().Item(key).Value(), PageLocale(s)));
  }
  return texts;
}

std::shared_ptr<Recordset> OpenFrom(const DbViewState& s, const std::string& statement,
                                     std::int32_t first, std::int32_t last) {
  std::shared_ptr<Recordset> recordset = NewRecordset();
  recordset->SetFirstRecord(first);
  recordset->SetMaxRecords(last);
  if (!s.mvarFilterParameters.empty()) {
    OpenBound(s, *recordset, statement, s.mvarFilterParameters, ado::adOpenForwardOnly,
              ado::adLockReadOnly);
    return recordset;
  }
  recordset->Open(statement, EditConnection(s), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
  return recordset;
}

}  // namespace

std::optional<std::int32_t> RecordPosition(const DbViewState& s, const std::string& ordered_statement,
                                           Recordset& record, std::int32_t hint) {
  std::optional<std::int32_t> position;
  // The place only names the record: when it cannot be read the link's number stands.
  IgnoreFailure([&] {
    const std::vector<std::string> keys = KeyList(s);
    const std::vector<std::string> wanted = KeyTexts(s, keys, record);
    if (hint >= 1 && hint <= s.RecordsMaxLimit) {
      auto at_hint = OpenFrom(s, ordered_statement, hint, hint);
      if (!at_hint->Eof() && KeyTexts(s, keys, *at_hint) == wanted) {
        position = hint;
        return;
      }
    }
    auto all = OpenFrom(s, ordered_statement, 1, s.RecordsMaxLimit);
    for (std::int32_t number = 1; !all->Eof(); ++number, all->MoveNext()) {
      if (KeyTexts(s, keys, *all) == wanted) {
        position = number;
        return;
      }
    }
  });
  return position;
}

std::optional<KeyedPosition> CountedRecordPosition(const DbViewState& s, const SeekOrder& order,
                                                   Recordset& record, std::int32_t hint,
                                                   int budget_ms) {
  std::optional<KeyedPosition> position;
  IgnoreFailure([&] {
    const std::optional<SoughtStatement> count = PrecedingCountStatement(s, order, record);
    const std::optional<SoughtStatement> at_hint =
        hint >= 1 && hint <= s.RecordsMaxLimit ? KeyAtPositionStatement(s, order, record, hint)
                                               : std::nullopt;
    if (!count) return;
    const std::shared_ptr<Connection>& connection = EditConnection(s);
    const auto started = std::chrono::steady_clock::now();
    // The number the link carried is usually still the record's: skipping to it costs the
    // database less than counting the records before it.
    if (at_hint) {
      const std::optional<long long> found = connection->KeptCountWithin(
          at_hint->text, at_hint->parameters, budget_ms, s.CountCacheSeconds);
      position.emplace();
      if (!found) {
        position->estimated = true;
        return;
      }
      if (*found > 0) {
        position->record = hint;
        return;
      }
      position.reset();
    }
    int budget = budget_ms;
    if (budget > 0) {
      const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - started);
      budget = std::max(1, budget - static_cast<int>(spent.count()));
    }
    const std::optional<long long> before =
        connection->KeptCountWithin(count->text, count->parameters, budget, s.CountCacheSeconds);
    position.emplace();
    if (!before) {
      position->estimated = true;
    } else {
      position->record = static_cast<std::int32_t>(std::min<long long>(*before + 1, std::numeric_limits<std::int32_t>::max()));
    }
  });
  return position;
}

}  // namespace kelvo::detail
