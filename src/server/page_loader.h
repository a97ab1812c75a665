// Reading a page file's TOML text into a PagePlan.
#ifndef KELVO_SERVER_PAGE_LOADER_H_
#define KELVO_SERVER_PAGE_LOADER_H_

#include <string_view>

#include "server/page_plan.h"

namespace kelvo::server {

// Parses and checks a page. Throws PageFileError naming `source_name`, the line and the key.
PagePlan LoadPagePlan(std::string_view text, std::string_view source_name);

}  // namespace kelvo::server

#endif  // KELVO_SERVER_PAGE_LOADER_H_
