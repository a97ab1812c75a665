#include "data/cursor_core.h"
#include "kelvo/data.h"
#include "kelvo/error.h"
#include "runtime/text.h"

namespace kelvo {

long Field::ActualSize() const { return cursor_->ActualSize(ordinal_); }

Variant Field::Value() const { return cursor_->Value(ordinal_); }

void Field::ReadValue(Variant& into) const { cursor_->ReadValue(ordinal_, into); }

void Field::SetValue(const Variant& value) { cursor_->SetValue(ordinal_, value); }

Field& FieldCollection::Item(int ordinal) {
  if (ordinal < 0 || ordinal >= Count()) {
    throw Error(errc::kItemNotFound, "The recordset has no field number " +
                                         std::to_string(ordinal) + " (it has " +
                                         std::to_string(Count()) + " fields, counted from 0)");
  }
  return fields_[static_cast<size_t>(ordinal)];
}

Field& FieldCollection::Item(std::string_view name) {
  if (Field* field = Find(name)) return *field;
  throw Error(errc::kItemNotFound, "The recordset has no field named '" + std::string(name) + "'");
}

Field* FieldCollection::Find(std::string_view name) {
  for (Field& field : fields_) {
    if (EqualsIgnoreCase(field.Name(), name)) return &field;
  }
  return nullptr;
}

}  // namespace kelvo
