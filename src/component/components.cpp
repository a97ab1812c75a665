#include "kelvo/components.h"

#include <array>
#include <functional>
#include <string>

#include "kelvo/data.h"
#include "kelvo/db_connection.h"
#include "kelvo/db_view.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo {
namespace {

struct ClassEntry {
  std::string_view prog_id;
  std::shared_ptr<Object> (*create)();
};

template <class T>
std::shared_ptr<Object> Make() {
  return std::make_shared<T>();
}

constexpr std::array<ClassEntry, 5> kClasses = {{
    {"ADODB.Connection", &Make<Connection>},
    {"ADODB.Command", &Make<Command>},
    {"ADODB.Recordset", &Make<Recordset>},
    {"Kelvo.DBConnection", &Make<DBConnection>},
    {"Kelvo.DbView", &Make<DbView>},
}};

thread_local ObjectContext* current_context = nullptr;

}  // namespace

ObjectContext::~ObjectContext() = default;

ObjectContext* GetObjectContext() { return current_context; }

void SetObjectContext(ObjectContext* context) { current_context = context; }

std::shared_ptr<Object> CreateObjectDirect(std::string_view prog_id) {
  for (const ClassEntry& entry : kClasses) {
    if (EqualsIgnoreCase(entry.prog_id, prog_id)) return entry.create();
  }
  throw Error(errc::kClassNotRegistered,
              "ActiveX component can't create object: '" + std::string(prog_id) + "'");
}

std::shared_ptr<Object> CreateComponent(std::string_view prog_id) {
  if (ObjectContext* context = GetObjectContext()) return context->CreateInstance(prog_id);
  return CreateObjectDirect(prog_id);
}

void CompleteTransaction() {
  if (ObjectContext* context = GetObjectContext()) context->SetComplete();
}

}  // namespace kelvo
