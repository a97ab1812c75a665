#include "edit/edit_names.h"

#include <string>

#include "component/page_access.h"

namespace kelvo::detail {

std::string EditorName(const DbViewState& s, std::string_view field_name) {
  return ParameterName(s, "_Form_") + std::string(field_name);
}

std::string EditorId(const DbViewState& s, int column) {
  return "klv" + s.Tag + "editor_" + std::to_string(column);
}

std::string EditorTarget(const DbViewState& s, std::string_view field_name, int column) {
  return s.AccessibleMarkup ? EditorId(s, column) : EditorName(s, field_name);
}

std::string OriginalKeyName(const DbViewState& s, std::string_view key_name) {
  return ParameterName(s, "Key_Form_") + std::string(key_name);
}

std::string RecordHashName(const DbViewState& s) { return ParameterName(s, "Hash_Form_"); }

std::string RecordVersionName(const DbViewState& s) { return ParameterName(s, "Was_Form_"); }

std::string ChoiceName(const DbViewState& s, std::string_view field_name) {
  return ParameterName(s, "Choice_Form_") + std::string(field_name);
}

std::string DeleteConfirmName(const DbViewState& s) { return ParameterName(s, "Confirm_Form_"); }

std::optional<std::string> PostedValue(const DbViewState& s, std::string_view name) {
  const RequestCollection::Entry* entry = PageRequest(s).Form().Find(name);
  if (!entry || entry->values.empty()) return std::nullopt;
  return entry->values.front();
}

}  // namespace kelvo::detail
