#include "edit/edit_data_access.h"


#include "kelvo/components.h"
#include "kelvo/db_connection.h"
#include "kelvo/error.h"
#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

template <class T>
std::shared_ptr<T> NewComponent(std::string_view prog_id) {
  auto object = std::dynamic_pointer_cast<T>(CreateComponent(prog_id));
  if (!object) {
    throw Error(errc::kClassNotRegistered,
                std::string(prog_id) + " made an object of another class");
  }
  return object;
}

}  // namespace

const std::shared_ptr<Connection>& EditConnection(const DbViewState& s) {
  if (!s.VexmoConnection) {
    throw Error(errc::kObjectRequired, "Object required: the grid has no connection");
  }
  return s.VexmoConnection->Connection();
}

std::shared_ptr<Recordset> NewRecordset() { return NewComponent<Recordset>("ADODB.Recordset"); }

void OpenBound(const DbViewState& s, Recordset& recordset, const std::string& statement,
               std::span<const Variant> parameters, int cursor_type, int lock_type) {
  auto command = NewComponent<Command>("ADODB.Command");
  command->SetActiveConnection(EditConnection(s));
  command->SetCommandType(ado::adCmdText);
  command->SetCommandText(statement);
  command->Parameters().assign(parameters.begin(), parameters.end());
  recordset.Open(command, cursor_type, lock_type, -1);
}

ProbeResult ProbeStatement(const DbViewState& s, std::string_view statement) {
  const std::shared_ptr<Recordset> probe = NewRecordset();
  probe->SetMaxRecords(1);
  probe->SetCursorLocation(ado::adUseClient);
  probe->Open(statement, EditConnection(s), ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
  ProbeResult result;
  result.has_rows = !probe->Eof();
  for (const Field& field : probe->Fields()) {
    result.fields.push_back(
        {field.Name(), field.Type(), (field.Attributes() & ado::adFldIsNullable) != 0});
  }
  probe->Close();
  return result;
}

std::vector<FieldInfo> StatementFields(const DbViewState& s, std::string_view statement) {
  const std::shared_ptr<Connection>& connection = EditConnection(s);
  if (connection->State() == ado::adStateOpen) {
    if (auto kept = connection->KeptColumns(statement)) {
      std::vector<FieldInfo> fields;
      for (Connection::KeptColumn& column : *kept)
        fields.push_back({std::move(column.name), column.type, column.nullable});
      return fields;
    }
  }
  return ProbeStatement(s, statement).fields;
}

std::optional<int> FieldTypeOf(const std::vector<FieldInfo>& fields, std::string_view name) {
  const std::string wanted = UCase(name);
  for (const FieldInfo& field : fields) {
    if (UCase(field.name) == wanted) return field.type;
  }
  return std::nullopt;
}

}  // namespace kelvo::detail
