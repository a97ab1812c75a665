// The demo pages compiled into the program from examples/demo/pages.
#ifndef KELVO_APPS_DEMO_PAGES_H_
#define KELVO_APPS_DEMO_PAGES_H_

#include <span>
#include <string_view>
#include <utility>

namespace kelvo::apps {

// File name ("orders.toml") and text of each demo page.
std::span<const std::pair<std::string_view, std::string_view>> DemoPages();

}  // namespace kelvo::apps

#endif  // KELVO_APPS_DEMO_PAGES_H_
