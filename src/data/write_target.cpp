#include "data/write_target.h"

#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo::data {
namespace {

std::string Describe(const TableName& table) {
  return table.schema.empty() || table.schema == "main" ? table.table
                                                        : table.schema + "." + table.table;
}

[[noreturn]] void NotChangeable(const std::string& why) {
  throw Error(errc::kInvalidCall, "The recordset cannot be changed: " + why);
}

}  // namespace

WriteTarget FindWriteTarget(const std::vector<ColumnInfo>& columns, ProviderConnection& provider) {
  WriteTarget target;
  bool found = false;
  for (const ColumnInfo& column : columns) {
    if (column.base_column.empty()) continue;
    if (!found) {
      target.table = column.origin;
      found = true;
    } else if (!(column.origin == target.table)) {
      NotChangeable("its columns come from more than one table (" + Describe(target.table) + ", " +
                    Describe(column.origin) + ")");
    }
  }
  if (!found) NotChangeable("none of its columns is a column of a table");
  for (const ColumnInfo& column : columns) {
    target.base_columns.push_back(column.base_column);
    target.types.push_back(column.type);
  }

  const std::vector<std::string> key = provider.PrimaryKey(target.table);
  if (key.empty()) {
    target.key_problem = "table " + Describe(target.table) + " has no primary key";
    return target;
  }
  for (const std::string& name : key) {
    int ordinal = -1;
    for (size_t i = 0; i < target.base_columns.size() && ordinal < 0; ++i) {
      if (EqualsIgnoreCase(target.base_columns[i], name)) ordinal = static_cast<int>(i);
    }
    if (ordinal < 0) {
      target.key.clear();
      target.key_problem = "the key column " + name + " of table " + Describe(target.table) +
                           " is not in the result";
      return target;
    }
    target.key.push_back(ordinal);
  }
  return target;
}

}  // namespace kelvo::data
