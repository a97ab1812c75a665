#include <string>

#include "component/db_view_state.h"
#include "kelvo/components.h"
#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"

namespace kelvo {
namespace {

const std::shared_ptr<Connection>& ConnectionOf(const std::shared_ptr<DBConnection>& holder) {
  if (!holder) throw Error(errc::kObjectRequired, "Object required: VexmoConnection is not set");
  return holder->Connection();
}

}  // namespace

const std::string& DbView::ConnectionString() const { return s_->ConnectionString; }

void DbView::SetConnectionString(std::string_view value) {
  s_->ConnectionString = value;
  auto holder = std::dynamic_pointer_cast<DBConnection>(CreateComponent("Kelvo.DBConnection"));
  if (!holder) throw Error(errc::kClassNotRegistered, "Kelvo.DBConnection is not a connection");
  s_->VexmoConnection = holder;
  holder->Connection()->Open(value, "", "", -1);
  s_->mvarOwnsConnection = true;
}

const std::shared_ptr<DBConnection>& DbView::VexmoConnection() const {
  return s_->VexmoConnection;
}

void DbView::SetVexmoConnection(std::shared_ptr<DBConnection> value) {
  s_->VexmoConnection = std::move(value);
}

const std::shared_ptr<Command>& DbView::StoredProcCommand() const {
  return s_->StoredProcCommand;
}

void DbView::SetStoredProcCommand(std::shared_ptr<Command> value) {
  if (!value) throw Error(errc::kObjectRequired, "Object required: a command was expected");
  s_->StoredProcCommand = value;
  s_->mvarStoredProc = true;
  value->SetActiveConnection(ConnectionOf(s_->VexmoConnection));
}

void DbView::SetADORecordset(std::shared_ptr<Recordset> value) {
  if (!value) throw Error(errc::kObjectRequired, "Object required: a recordset was expected");
  s_->ADORecordset = std::move(value);
  s_->mvarRecordsetSupplied = true;
  s_->CountRecords = false;
}

void DbView::QHtmlTable(std::string_view connection, std::string_view table) {
  SetConnectionString(connection);
  s_->sql = "SELECT * FROM " + std::string(table);
  WriteHtmlTable();
}

}  // namespace kelvo
