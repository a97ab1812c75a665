#include "kelvo/db_connection.h"

#include <array>

#include "component/dispatch_table.h"
#include "kelvo/components.h"
#include "kelvo/data.h"
#include "kelvo/host.h"
#include "runtime/string_ops.h"

namespace kelvo {
namespace {

constexpr std::array<std::string_view, 4> kEngineNames = {"ORACLE", "SQLA", "ACCESS", "MSSQL"};

std::shared_ptr<Connection> NewConnection() {
  auto connection = std::dynamic_pointer_cast<Connection>(CreateComponent("ADODB.Connection"));
  if (!connection) throw Error(errc::kClassNotRegistered, "ADODB.Connection is not a connection");
  return connection;
}

using Member = detail::DispatchMember<DBConnection>;

const std::array<Member, 4> kMembers = {{
    {"Connection", "",
     [](DBConnection& c, std::span<const Variant>) { return Variant(c.Connection()); },
     [](DBConnection& c, std::span<const Variant> a) {
       auto connection = detail::AsObject<Connection>(a.back());
       if (!connection) throw Error(errc::kTypeMismatch, "Type mismatch: a connection was expected");
       c.SetConnection(std::move(connection));
     }},
    {"DatabaseEngine", "",
     [](DBConnection& c, std::span<const Variant>) { return Variant(c.DatabaseEngine()); },
     [](DBConnection& c, std::span<const Variant> a) {
       c.SetDatabaseEngine(detail::AsText(a.back()));
     }},
    {"OnStartPage", "sc", nullptr, nullptr,
     [](DBConnection& c, std::span<const Variant> a) {
       detail::RequireArguments(a, 1, "OnStartPage");
       c.OnStartPage(detail::AsObject<ScriptingContext>(a[0]));
       return Variant();
     }},
    {"OnEndPage", "", nullptr, nullptr,
     [](DBConnection& c, std::span<const Variant> a) {
       detail::RequireArguments(a, 0, "OnEndPage");
       c.OnEndPage();
       return Variant();
     }},
}};

}  // namespace

DBConnection::DBConnection() : mvarConnection(NewConnection()) {}

DBConnection::~DBConnection() = default;

void DBConnection::SetConnection(std::shared_ptr<kelvo::Connection> connection) {
  mvarConnection.reset();
  mvarOwnsConnection = false;
  mvarConnection = std::move(connection);
}

std::string DBConnection::DatabaseEngine() const {
  const bool known = mvarEngine >= 1 && mvarEngine <= 4;
  return std::string(kEngineNames[known ? mvarEngine - 1 : 0]);
}

void DBConnection::SetDatabaseEngine(std::string_view engine) {
  const std::string upper = UCase(engine);
  mvarEngine = 1;
  for (std::size_t i = 0; i < kEngineNames.size(); ++i) {
    if (upper == kEngineNames[i]) mvarEngine = static_cast<short>(i + 1);
  }
}

void DBConnection::OnStartPage(std::shared_ptr<ScriptingContext> context) {
  mvarScriptingContext = std::move(context);
}

void DBConnection::OnEndPage() {
  if (mvarOwnsConnection) mvarConnection.reset();
  CompleteTransaction();
  mvarScriptingContext.reset();
}

Variant DBConnection::Invoke(std::string_view member, CallKind kind,
                             std::span<const Variant> args) {
  return detail::DispatchCall<DBConnection>(*this, kMembers, member, kind, args);
}

std::string_view DBConnection::ArgumentNames(std::string_view member) const {
  return detail::FindMember<DBConnection>(kMembers, member).arguments;
}

}  // namespace kelvo
