#include "data/row_writer.h"

#include <string>

namespace kelvo::data {
namespace {

std::string TableText(const ProviderConnection& provider, const TableName& table) {
  std::string text;
  if (!table.schema.empty()) text = provider.QuoteIdentifier(table.schema) + ".";
  return text + provider.QuoteIdentifier(table.table);
}

std::string ReturningClause(const ProviderConnection& provider, const WriteTarget& target) {
  std::string clause;
  for (const std::string& name : target.base_columns) {
    if (name.empty()) continue;
    clause += clause.empty() ? " RETURNING " : ", ";
    clause += provider.QuoteIdentifier(name);
  }
  return clause;
}

// Runs a bound statement that returns at most one row; the row's values replace the table's
// columns in `row`. False when it returned no row.
bool RunReturning(ProviderStatement& statement, const WriteTarget& target,
                  std::vector<Variant>& row) {
  if (!statement.Step()) return false;
  int returned = 0;
  for (size_t i = 0; i < target.base_columns.size(); ++i) {
    if (!target.base_columns[i].empty()) row[i] = statement.Stored(returned++);
  }
  while (statement.Step()) {
  }
  return true;
}

}  // namespace

std::vector<Variant> InsertRow(ProviderConnection& provider, const WriteTarget& target,
                               const PendingRow& row) {
  std::string names;
  std::string placeholders;
  std::vector<const Variant*> values;
  for (size_t i = 0; i < row.values.size(); ++i) {
    if (!row.changed[i]) continue;
    if (!names.empty()) {
      names += ", ";
      placeholders += ", ";
    }
    names += provider.QuoteIdentifier(target.base_columns[i]);
    placeholders += "?";
    values.push_back(&row.values[i]);
  }
  std::string sql = "INSERT INTO " + TableText(provider, target.table);
  sql += values.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + placeholders + ")";
  sql += ReturningClause(provider, target);

  auto statement = provider.Prepare(sql);
  for (size_t i = 0; i < values.size(); ++i) statement->Bind(static_cast<int>(i), *values[i]);
  std::vector<Variant> stored = row.values;
  RunReturning(*statement, target, stored);
  return stored;
}

std::optional<std::vector<Variant>> UpdateRow(ProviderConnection& provider,
                                              const WriteTarget& target,
                                              const std::vector<Variant>& original,
                                              const PendingRow& row) {
  std::string assignments;
  std::string conditions;
  std::vector<const Variant*> values;
  for (size_t i = 0; i < row.values.size(); ++i) {
    if (!row.changed[i]) continue;
    if (!assignments.empty()) assignments += ", ";
    assignments += provider.QuoteIdentifier(target.base_columns[i]) + " = ?";
    values.push_back(&row.values[i]);
  }
  // A plain '=' where the value read was not null, so that the database can find the row
  // through the key's index (PostgreSQL cannot for IS NOT DISTINCT FROM).
  const auto add_condition = [&](const std::string& column, size_t i) {
    if (!conditions.empty()) conditions += " AND ";
    conditions += original[i].IsNull() ? provider.NullSafeEquals(column) : column + " = ?";
    values.push_back(&original[i]);
  };
  for (int ordinal : target.key) {
    const auto i = static_cast<size_t>(ordinal);
    add_condition(provider.QuoteIdentifier(target.base_columns[i]), i);
  }
  // A changed column still holds what was read: compared as the provider can compare its type.
  for (size_t i = 0; i < row.values.size(); ++i) {
    if (!row.changed[i]) continue;
    add_condition(provider.ComparableColumn(provider.QuoteIdentifier(target.base_columns[i]),
                                            target.types[i]),
                  i);
  }
  const std::string sql = "UPDATE " + TableText(provider, target.table) + " SET " + assignments +
                          " WHERE " + conditions + ReturningClause(provider, target);

  auto statement = provider.Prepare(sql);
  for (size_t i = 0; i < values.size(); ++i) statement->Bind(static_cast<int>(i), *values[i]);
  std::vector<Variant> stored = row.values;
  if (!RunReturning(*statement, target, stored)) return std::nullopt;
  return stored;
}

}  // namespace kelvo::data
