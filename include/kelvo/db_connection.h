// DBConnection: a database connection that a page may share between several grids.
#ifndef KELVO_DB_CONNECTION_H_
#define KELVO_DB_CONNECTION_H_

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "kelvo/export.h"
#include "kelvo/object.h"

namespace kelvo {

class Connection;
class ScriptingContext;

// Holds a data-access Connection and the name of the database engine it talks to.
//
// Made by a page ("Kelvo.DBConnection") or by a grid from its ConnectionString. Several grids
// of one page may share it through VexmoConnection; they use it one after another on the
// page's thread. Not thread-safe.
class KELVO_EXPORT DBConnection final : public Object {
 public:
  // Creates an unopened Connection (through CreateComponent) that this object owns.
  DBConnection();
  ~DBConnection() override;

  // The held connection; the page opens it before use.
  const std::shared_ptr<kelvo::Connection>& Connection() const { return mvarConnection; }
  // Replaces the held connection with the page's own, which is then not released at page end.
  void SetConnection(std::shared_ptr<kelvo::Connection> connection);

  // "ORACLE" (the default and fallback), "SQLA", "ACCESS" or "MSSQL". Setting upper-cases the
  // text; an unknown name selects "ORACLE".
  std::string DatabaseEngine() const;
  void SetDatabaseEngine(std::string_view engine);

  // Page hooks: OnStartPage keeps the context; OnEndPage releases an owned connection,
  // completes the object context and releases the page context.
  void OnStartPage(std::shared_ptr<ScriptingContext> context);
  void OnEndPage();

  std::string_view ClassName() const override { return "DBConnection"; }
  Variant Invoke(std::string_view member, CallKind kind, std::span<const Variant> args) override;
  std::string_view ArgumentNames(std::string_view member) const override;

 private:
  std::shared_ptr<kelvo::Connection> mvarConnection;
  short mvarEngine = 1;
  bool mvarOwnsConnection = true;
  std::shared_ptr<ScriptingContext> mvarScriptingContext;
};

}  // namespace kelvo

#endif  // KELVO_DB_CONNECTION_H_
