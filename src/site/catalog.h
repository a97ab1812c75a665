// What the table browser needs to know of a database: its tables and their primary keys.
#ifndef KELVO_SITE_CATALOG_H_
#define KELVO_SITE_CATALOG_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {
class Connection;
}

namespace kelvo::site {

struct TableEntry {
  std::string name;
  bool is_view = false;
};

// The user tables and views of the open connection, by name. `connection_string` tells the
// dialect (SQLite's catalogue, else the standard information schema).
std::vector<TableEntry> ListTables(const std::shared_ptr<Connection>& connection,
                                   std::string_view connection_string);

// The primary-key columns of `table`, in key order; empty when it has none.
std::vector<std::string> PrimaryKeyColumns(const std::shared_ptr<Connection>& connection,
                                           std::string_view connection_string,
                                           std::string_view table);

}  // namespace kelvo::site

#endif  // KELVO_SITE_CATALOG_H_
