// `kelvo render`: one grid page for a query, written to standard output.
#ifndef KELVO_APPS_RENDER_COMMAND_H_
#define KELVO_APPS_RENDER_COMMAND_H_

#include <span>
#include <string_view>

namespace kelvo::apps {

// Returns the process exit code: 0 when the page rendered without failure entries.
int RunRenderCommand(std::span<const std::string_view> args);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_RENDER_COMMAND_H_
