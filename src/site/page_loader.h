// Reading a page file's TOML text into a PagePlan.
#ifndef KELVO_SITE_PAGE_LOADER_H_
#define KELVO_SITE_PAGE_LOADER_H_

#include <string_view>

#include "site/page_plan.h"

namespace kelvo::site {

// Parses and checks a page. Throws PageFileError naming `source_name`, the line and the key.
PagePlan LoadPagePlan(std::string_view text, std::string_view source_name);

}  // namespace kelvo::site

#endif  // KELVO_SITE_PAGE_LOADER_H_
