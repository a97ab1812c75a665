// Creating component objects by ProgID, and the optional transaction context they join.
#ifndef KELVO_COMPONENTS_H_
#define KELVO_COMPONENTS_H_

#include <memory>
#include <string_view>

#include "kelvo/export.h"
#include "kelvo/object.h"

namespace kelvo {

// Class identifiers of Kelvo's two public classes and their default dispatch interfaces.
inline constexpr std::string_view kDbViewClassId = "{6E757A41-8669-4184-BE56-FB92F918B007}";
inline constexpr std::string_view kDbViewInterfaceId = "{7925DE83-1C0F-42AE-8F4E-83EA36B276FD}";
inline constexpr std::string_view kDBConnectionClassId = "{14FF67A5-98FC-4016-86A5-A967BD1C11D2}";
inline constexpr std::string_view kDBConnectionInterfaceId =
    "{188A5CFE-D736-4525-932E-821C89A98E7D}";

// A transaction context that objects of one page are created in and that the page completes.
// None exists unless a host installs one.
class KELVO_EXPORT ObjectContext {
 public:
  ObjectContext() = default;
  ObjectContext(const ObjectContext&) = delete;
  ObjectContext& operator=(const ObjectContext&) = delete;
  virtual ~ObjectContext();

  // Creates an object inside this context. Throws Error when the ProgID is unknown.
  virtual std::shared_ptr<Object> CreateInstance(std::string_view prog_id) = 0;
  // Tells the context that the page's work succeeded.
  virtual void SetComplete() = 0;
};

// The context of the calling thread's page, or null.
KELVO_EXPORT ObjectContext* GetObjectContext();
// Installs (or, with null, removes) the calling thread's context. The caller keeps ownership
// and must keep the context alive while it is installed.
KELVO_EXPORT void SetObjectContext(ObjectContext* context);

// A new object of the class registered under `prog_id` (without regard to case):
// "ADODB.Connection", "ADODB.Command", "ADODB.Recordset", "Kelvo.DBConnection",
// "Kelvo.DbView". Created through the thread's object context when there is one.
// Throws Error(errc::kClassNotRegistered) for an unknown ProgID.
KELVO_EXPORT std::shared_ptr<Object> CreateComponent(std::string_view prog_id);
// Creates the object directly, bypassing any object context.
KELVO_EXPORT std::shared_ptr<Object> CreateObjectDirect(std::string_view prog_id);
// Completes the thread's object context, if there is one.
KELVO_EXPORT void CompleteTransaction();

}  // namespace kelvo

#endif  // KELVO_COMPONENTS_H_
