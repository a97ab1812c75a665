// The data access of the edit subsystem: the grid's connection, recordsets and commands made
// through the component factory, statements opened with bound values, and the probe that
// tells a statement's fields.
#ifndef KELVO_EDIT_EDIT_DATA_ACCESS_H_
#define KELVO_EDIT_EDIT_DATA_ACCESS_H_

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "component/db_view_state.h"
#include "kelvo/data.h"

namespace kelvo::detail {

// The Connection of VexmoConnection; throws Error(errc::kObjectRequired) when there is none.
const std::shared_ptr<Connection>& EditConnection(const DbViewState& s);
// A new recordset ("ADODB.Recordset") in the page's object context.
std::shared_ptr<Recordset> NewRecordset();

// Opens `statement` with its `?` placeholders bound to `parameters`, through a command on the
// grid's connection.
void OpenBound(const DbViewState& s, Recordset& recordset, const std::string& statement,
               std::span<const Variant> parameters, int cursor_type, int lock_type);

// One field of a probed statement.
struct FieldInfo {
  std::string name;
  int type = 0;  // an ado::DataTypeEnum code
  bool nullable = true;
};

struct ProbeResult {
  std::vector<FieldInfo> fields;
  bool has_rows = false;
};

// Opens `statement` for at most one row and reads its fields. Throws the database's refusal.
ProbeResult ProbeStatement(const DbViewState& s, std::string_view statement);

// The fields of `statement`, as ProbeStatement reads them: from the description the connection
// keeps of an earlier run when it has one, else by the probe.
std::vector<FieldInfo> StatementFields(const DbViewState& s, std::string_view statement);

// The type of the field called `name` (without regard to case), or nothing.
std::optional<int> FieldTypeOf(const std::vector<FieldInfo>& fields, std::string_view name);

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_EDIT_DATA_ACCESS_H_
