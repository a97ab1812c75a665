#include "site/toml_nodes.h"

#include <algorithm>
#include <tuple>

namespace kelvo::site {
namespace {

auto Position(const toml::key& key, const toml::node& node) {
  const toml::source_position& at = key.source().begin ? key.source().begin : node.source().begin;
  return std::make_tuple(at.line, at.column);
}

}  // namespace

std::vector<std::pair<const toml::key*, const toml::node*>> InFileOrder(const toml::table& table) {
  std::vector<std::pair<const toml::key*, const toml::node*>> entries;
  entries.reserve(table.size());
  for (const auto& [key, node] : table) entries.emplace_back(&key, &node);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return Position(*a.first, *a.second) < Position(*b.first, *b.second);
  });
  return entries;
}

int LineOf(const toml::key& key, const toml::node& node) {
  return static_cast<int>(std::get<0>(Position(key, node)));
}

std::string_view KindName(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::string:
      return "a string";
    case toml::node_type::integer:
      return "an integer";
    case toml::node_type::floating_point:
      return "a floating-point number";
    case toml::node_type::boolean:
      return "a boolean";
    case toml::node_type::date:
    case toml::node_type::time:
    case toml::node_type::date_time:
      return "a date or time";
    case toml::node_type::table:
      return "a table";
    case toml::node_type::array:
      return "an array";
    case toml::node_type::none:
      break;
  }
  return "nothing";
}

}  // namespace kelvo::site
