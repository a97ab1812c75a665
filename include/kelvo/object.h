// Late-bound objects: what a Variant of kind kObject refers to.
//
// Every object Kelvo hands to a page (DbView, DBConnection, the data-access objects, the
// scripting context) derives from Object, so it can travel in a Variant and be reached by
// member name, as the page-scripting host reaches its components.
#ifndef KELVO_OBJECT_H_
#define KELVO_OBJECT_H_

#include <span>
#include <string_view>

#include "kelvo/export.h"
#include "kelvo/variant.h"

namespace kelvo {

enum class CallKind {
  kMethod,       // call a method
  kPropertyGet,  // read a property (indexed properties take their index as arguments)
  kPropertyPut,  // assign a value: the new value is the last argument
};

class KELVO_EXPORT Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();

  // The class name shown in failure descriptions.
  virtual std::string_view ClassName() const = 0;

  // Reaches a member by name, without regard to case. The default supports no member and
  // throws Error(errc::kNoSuchMember); classes with a dispatch interface override it.
  virtual Variant Invoke(std::string_view member, CallKind kind, std::span<const Variant> args);

  // The names of a member's arguments, comma-separated ("FieldName,LookupTable,..."), for
  // callers that pass arguments by name; for an indexed property, its index arguments.
  // Throws Error(errc::kNoSuchMember) for an unknown member.
  virtual std::string_view ArgumentNames(std::string_view member) const;
};

}  // namespace kelvo

#endif  // KELVO_OBJECT_H_
