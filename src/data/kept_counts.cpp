#include "data/kept_counts.h"

#include <charconv>

namespace kelvo::data {

bool CountKey(std::string_view sql, std::span<const Variant> parameters, std::string& key) {
  key.assign(sql);
  for (const Variant& parameter : parameters) {
    key += '\0';
    key += static_cast<char>('a' + static_cast<int>(parameter.type()));
    switch (parameter.type()) {
      case VarType::kEmpty:
      case VarType::kNull:
        break;
      case VarType::kBoolean:
        key += parameter.AsBool() ? '1' : '0';
        break;
      case VarType::kInt32:
        key += std::to_string(parameter.AsInt32());
        break;
      case VarType::kInt64:
        key += std::to_string(parameter.AsInt64());
        break;
      case VarType::kDouble: {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, parameter.AsDouble()).ptr;
        key.append(digits, end);
        break;
      }
      case VarType::kString:
        // Its length first: a text may hold the separator.
        key += std::to_string(parameter.AsString().size());
        key += ':';
        key += parameter.AsString();
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace kelvo::data
