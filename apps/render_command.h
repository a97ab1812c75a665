// `kelvo render`: one request through a page file, offline, with the response on standard
// output.
#ifndef KELVO_APPS_RENDER_COMMAND_H_
#define KELVO_APPS_RENDER_COMMAND_H_

#include <span>
#include <string_view>

namespace kelvo::apps {

// Returns the process exit code: 0 when the page ran, 1 when it could not be loaded or failed,
// 2 for wrong arguments.
int RunRenderCommand(std::span<const std::string_view> args);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_RENDER_COMMAND_H_
