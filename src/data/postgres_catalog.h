// What PostgreSQL's catalogue tells about tables, columns and functions.
#ifndef KELVO_DATA_POSTGRES_CATALOG_H_
#define KELVO_DATA_POSTGRES_CATALOG_H_

#include <libpq-fe.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "data/provider.h"

namespace kelvo::data {

class PostgresConnection;

// A result column that is a column of a table (PQftable, PQftablecol).
struct TableColumnRef {
  std::uint32_t table = 0;
  int number = 0;
};

struct TableColumnFacts {
  TableName table;
  std::string column;
  bool not_null = false;
  // An insert that leaves it out gets a value: a default (a serial's included) or an identity.
  bool assigned = false;
  bool generated = false;  // computed by the table: it cannot be written
  bool true_by_default = false;  // its default is the constant true
};

// The column facts of the tables a connection has described, kept with each table's version
// (its own rows of pg_class and pg_attribute, where every change of its columns, name,
// defaults or rights writes). Once the facts may be out of date (a new user of a pooled
// session, or a command that may change tables), the next look-up checks the versions of the
// tables it needs and reads again only those that changed. The check reads no version while
// the server's snapshot is the one they were last found current in: nothing has committed since.
class ColumnFactsCache final {
 public:
  // The facts of each column in `columns`, in that order; nothing for one the catalogue does
  // not show (a dropped table, say). One round trip checks the tables kept and reads those not
  // kept yet; a table that changed takes one more.
  std::vector<std::optional<TableColumnFacts>> Lookup(PostgresConnection& connection,
                                                      const std::vector<TableColumnRef>& columns);
  // Every table's facts are checked before their next use.
  void Outdate() { ++generation_; }
  // The kept tables used since the facts were last outdated but one whose versions are to be
  // checked before their facts are used again (those a page is likely to use again), so that a
  // caller can send TableVersionsSql along with a statement of its own.
  std::set<std::uint32_t> Unchecked() const;

  // What a round trip can carry: the tables due (Unchecked) and the name whose kept version
  // was given unchecked, read by TableVersionsSql.
  struct Check {
    std::set<std::uint32_t> tables;
    std::string name;
    std::string sql;     // TableVersionsSql(tables); empty when there is nothing to check
    std::string quoted;  // the name quoted, its first parameter; empty for none
    // The snapshot all of them were last found current in, its second parameter: while the
    // server's is the same, nothing has committed since, and no version is read.
    std::string since;
    bool signing = false;  // what is found current is kept with the snapshot it was found in
    // sql is SnapshotRowSql: when the snapshot is not `since`, nothing is found current, and
    // the tables are checked in full at their next use.
    bool snapshot_only = false;
    bool empty() const { return tables.empty() && name.empty(); }
  };
  Check Due(const PostgresConnection& connection) const;
  // Takes the result of a Check's statement, whose rows may come in several results.
  void Take(const Check& check, const std::vector<const PGresult*>& versions) {
    TakeVersions(check, versions);
  }

  // Until Settle, the versions and facts kept are used without a round trip of their own:
  // their checks travel with the next statement (Due), and a change they find marks what was
  // used as stale. For a caller that can do its work again.
  void Defer() {
    deferred_ = true;
    stale_ = false;
    deferred_from_ = generation_;
  }
  // Ends what Defer began, checking now what no statement carried; whether everything used
  // meanwhile was current.
  bool Settle(PostgresConnection& connection);
  // Ends what Defer began without a check: the session's user has gone.
  void Undefer() {
    deferred_ = false;
    stale_ = false;
    pending_name_.clear();
  }
  // Counts the changes found in tables whose facts were kept: a description of a statement
  // kept before the last change may no longer fit.
  unsigned long changes() const { return changes_; }
  // The check of the tables `tables` and of the table `name` reaches (none when empty).
  // With `snapshot_only`, the check asks for the snapshot alone where the snapshot they were
  // all found current in is known.
  Check CheckOf(const PostgresConnection& connection, std::set<std::uint32_t> tables,
                std::string_view name, bool snapshot_only = false) const;
  // Takes the result of a check's statement: the tables whose version is the one kept count as
  // checked, the others are read again at their next use. Returns the version of the table the
  // check's name reaches, as TableVersion.
  std::string TakeVersions(const Check& check, const std::vector<const PGresult*>& versions);
  // The version of the table named exactly `name` along the search path (empty when there is
  // none): its oid and the version its facts are kept by. It changes whenever that name
  // reaches another table, or the table is renamed, granted, keyed or given other columns.
  // Known once per use of the session: found in the round trip that checks the kept tables
  // due, which then need no check of their own.
  std::string TableVersion(PostgresConnection& connection, std::string_view name);

 private:
  struct Table {
    TableName name;
    std::map<int, TableColumnFacts> columns;  // by column number
    std::string version;
    std::string snapshot;       // the server's snapshot the version was last seen current in
    unsigned long checked = 0;  // the generation in which the version was last seen current
    unsigned long used = 0;     // the generation of the last look-up
  };
  // The snapshot that every table and the name of `check` were last found current in; empty
  // when they differ, or when an unchanged snapshot would not show every change.
  std::string AgreedSnapshot(const Check& check) const;
  // Reads the facts of `tables`, with their versions.
  void Read(PostgresConnection& connection, const std::set<std::uint32_t>& tables);
  // Runs `check` in a round trip of its own.
  std::string Run(PostgresConnection& connection, const Check& check);

  std::map<std::uint32_t, Table> tables_;
  struct NamedTable {
    std::string version;
    std::string snapshot;
    unsigned long checked = 0;
  };
  std::map<std::string, NamedTable, std::less<>> names_;  // names of tables, not of nothing
  std::string pending_name_;  // its kept version was given unchecked
  bool deferred_ = false;
  bool stale_ = false;
  unsigned long deferred_from_ = 0;  // the generation Defer was called in
  unsigned long changes_ = 0;
  unsigned long generation_ = 1;
  // The last check found nothing committed since the versions it vouched for. Reading them
  // costs the server more than the page's own statement, even when the snapshot spares the
  // reads, so while it stays so the check sent with a statement asks for the snapshot alone.
  bool quiet_ = false;
};

// The statement that reads the versions of `tables` and of the table its first parameter names
// (quoted; null for none): rows of oid, version and whether the parameter names that table;
// none while the server's snapshot (`snapshot_function`'s) is its second parameter. Then a row
// of a null oid and that snapshot.
std::string TableVersionsSql(const std::set<std::uint32_t>& tables,
                             std::string_view snapshot_function);

// The last row of TableVersionsSql alone: the server's snapshot, which is all a check needs
// while it is the one the tables were last found current in.
std::string SnapshotRowSql(std::string_view snapshot_function);

// The primary key columns of a table in key order; empty when it has none.
std::vector<std::string> ReadPrimaryKey(PostgresConnection& connection, const TableName& table);

// The statement that calls the function or procedure `name` ("name" or "schema.name", found
// as written or folded to lower case, along the search path) with `argument_count`
// placeholders: "SELECT * FROM f(?, ?)" for a function, "CALL p(?)" for a procedure. Nothing
// when there is no such routine.
std::optional<std::string> RoutineCall(PostgresConnection& connection, std::string_view name,
                                       int argument_count);

}  // namespace kelvo::data

#endif  // KELVO_DATA_POSTGRES_CATALOG_H_
