#include "state/sort_fields.h"

#include <cstddef>

#include "runtime/string_ops.h"

namespace kelvo::detail {
namespace {

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Consumes one identifier part (plain, "quoted" or [bracketed]) at `at`; false when none.
bool ConsumePart(std::string_view text, std::size_t& at) {
  char closing = 0;
  if (at < text.size() && (text[at] == '"' || text[at] == '[')) {
    closing = text[at] == '"' ? '"' : ']';
    ++at;
  }
  const std::size_t start = at;
  while (at < text.size() && IsWordCharacter(text[at])) ++at;
  if (at == start) return false;
  if (closing == 0) return true;
  if (at >= text.size() || text[at] != closing) return false;
  ++at;
  return true;
}

bool IsSafeItem(std::string_view item) {
  item = Trim(item);
  std::size_t at = 0;
  if (!ConsumePart(item, at)) return false;
  if (at < item.size() && item[at] == '.') {
    ++at;
    if (!ConsumePart(item, at)) return false;
  }
  const std::string_view rest = Trim(item.substr(at));
  if (rest.empty()) return true;
  if (at == item.size() || item[at] != ' ') return false;
  const std::string direction = UCase(rest);
  return direction == "ASC" || direction == "DESC";
}

}  // namespace

bool IsSafeSortList(std::string_view list) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    if (!IsSafeItem(list.substr(start, comma - start))) return false;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

}  // namespace kelvo::detail
