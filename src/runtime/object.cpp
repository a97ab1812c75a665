#include "kelvo/object.h"

#include <string>

#include "kelvo/error.h"

namespace kelvo {

Object::~Object() = default;

Variant Object::Invoke(std::string_view member, CallKind, std::span<const Variant>) {
  throw Error(errc::kNoSuchMember, "Object doesn't support this property or method: '" +
                                       std::string(member) + "'");
}

std::string_view Object::ArgumentNames(std::string_view member) const {
  throw Error(errc::kNoSuchMember, "Object doesn't support this property or method: '" +
                                       std::string(member) + "'");
}

}  // namespace kelvo
