// Late-bound access by member name: a table of members per class, looked up without regard to
// case, with the scripting runtime's conversions for the values that cross it.
#ifndef KELVO_COMPONENT_DISPATCH_TABLE_H_
#define KELVO_COMPONENT_DISPATCH_TABLE_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "kelvo/error.h"
#include "kelvo/object.h"
#include "kelvo/variant.h"

namespace kelvo::detail {

// One member. Properties have `get` and/or `put`; `arguments` names their index arguments
// (comma-separated; none for a plain property), which come first, and `put` receives the new
// value last. Methods have `call` and check their own arguments, which `arguments` names for
// callers that pass them by name.
template <class T>
struct DispatchMember {
  std::string_view name;
  std::string_view arguments;
  Variant (*get)(T&, std::span<const Variant>) = nullptr;
  void (*put)(T&, std::span<const Variant>) = nullptr;
  Variant (*call)(T&, std::span<const Variant>) = nullptr;
};

// Converts a value crossing the interface as the runtime coerces arguments.
std::string AsText(const Variant& value);
bool AsBool(const Variant& value);
std::int16_t AsInt16(const Variant& value);
std::int32_t AsInt32(const Variant& value);
// The object a value refers to as T; throws Error(errc::kTypeMismatch) for anything else.
// An Empty or Null value gives null (the page clears the reference).
template <class T>
std::shared_ptr<T> AsObject(const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return nullptr;
  auto object = value.ObjectAs<T>();
  if (!object) throw Error(errc::kTypeMismatch, "Type mismatch: an object was expected");
  return object;
}

// Checks the argument count of a call; throws Error(errc::kWrongArguments).
void RequireArguments(std::span<const Variant> args, std::size_t count, std::string_view member);

// The number of names in a comma-separated argument list.
std::size_t CountArguments(std::string_view arguments);

bool EqualsMemberName(std::string_view a, std::string_view b);

// The member called `name` (without regard to case); throws Error(errc::kNoSuchMember).
template <class T>
const DispatchMember<T>& FindMember(std::span<const DispatchMember<T>> table,
                                    std::string_view name) {
  for (const DispatchMember<T>& candidate : table) {
    if (EqualsMemberName(candidate.name, name)) return candidate;
  }
  throw Error(errc::kNoSuchMember,
              "Object doesn't support this property or method: '" + std::string(name) + "'");
}

// Runs a late-bound call on `object` through `table`.
template <class T>
Variant DispatchCall(T& object, std::span<const DispatchMember<T>> table, std::string_view name,
                     CallKind kind, std::span<const Variant> args) {
  const DispatchMember<T>* member = &FindMember(table, name);
  switch (kind) {
    case CallKind::kPropertyGet:
    case CallKind::kMethod:
      if (member->call) return member->call(object, args);
      if (member->get) {
        RequireArguments(args, CountArguments(member->arguments), name);
        return member->get(object, args);
      }
      break;
    case CallKind::kPropertyPut:
      if (member->put) {
        RequireArguments(args, CountArguments(member->arguments) + 1, name);
        member->put(object, args);
        return Variant();
      }
      break;
  }
  throw Error(errc::kWrongArguments,
              "Wrong number of arguments or invalid property assignment: '" + std::string(name) +
                  "'");
}

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_DISPATCH_TABLE_H_
