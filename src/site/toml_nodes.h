// Helpers over toml++ nodes shared by the page loader's parts.
#ifndef KELVO_SITE_TOML_NODES_H_
#define KELVO_SITE_TOML_NODES_H_

#include <toml++/toml.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvo::site {

// A table's entries in the order the file wrote them (toml++ keeps them sorted by name).
std::vector<std::pair<const toml::key*, const toml::node*>> InFileOrder(const toml::table& table);

// Line of a key, or of a node when the key has none.
int LineOf(const toml::key& key, const toml::node& node);

// "a string", "an integer", "a table", ... for messages.
std::string_view KindName(const toml::node& node);

}  // namespace kelvo::site

#endif  // KELVO_SITE_TOML_NODES_H_
