// What the table browser needs to know of a database: its tables and their primary keys, kept
// until the database's schema changes.
#ifndef KELVO_SITE_CATALOG_H_
#define KELVO_SITE_CATALOG_H_

#include <map>
#include <memory>
#include <optional>
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
  std::vector<std::string> primary_key;  // key columns in key order; empty for none and views
  // Columns the database computes from others (generated columns), which no form can set: by
  // their number among the table's columns, from 1.
  std::vector<int> computed_columns;
};

// The user tables and views of a database, by name.
struct Catalog {
  std::vector<TableEntry> tables;

  // The entry named exactly `name`, or null.
  const TableEntry* Find(std::string_view name) const;
};

// The catalogue of the database behind the open `connection`, opened with
// `connection_string` (which also tells the dialect: SQLite's catalogue, else
// PostgreSQL's: the tables an unquoted name reaches along the search path, each with
// its own key). Read once and kept per connection string until a cheap check of the schema's
// version tells that the schema changed; safe to call from several threads.
std::shared_ptr<const Catalog> ReadCatalog(const std::shared_ptr<Connection>& connection,
                                           std::string_view connection_string);

// The entry named exactly `name` of the catalogue ReadCatalog keeps, or nothing. Once a name
// has been looked up, later look-ups check only that table's own version, not the whole
// schema's (PostgreSQL reads a few catalogue rows by index instead of every row).
std::optional<TableEntry> FindTable(const std::shared_ptr<Connection>& connection,
                                    std::string_view connection_string, std::string_view name);

}  // namespace kelvo::site

#endif  // KELVO_SITE_CATALOG_H_
