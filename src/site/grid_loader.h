// Turning one [[grid]] table of a page file into the steps that configure a DbView.
#ifndef KELVO_SITE_GRID_LOADER_H_
#define KELVO_SITE_GRID_LOADER_H_

#include <toml++/toml.h>

#include <string_view>

#include "site/page_plan.h"

namespace kelvo::site {

// Checks each key against DbView's members and each value against the member's kind, by
// applying it to a grid that renders nothing. Throws PageFileError naming the file, line and
// key.
GridPlan LoadGridPlan(const toml::table& grid, std::string_view source_name);

}  // namespace kelvo::site

#endif  // KELVO_SITE_GRID_LOADER_H_
