// `kelvo serve`: the HTTP server over page files, a database and its tables.
#ifndef KELVO_APPS_SERVE_COMMAND_H_
#define KELVO_APPS_SERVE_COMMAND_H_

#include <span>
#include <string_view>

namespace kelvo::apps {

// Runs until SIGINT or SIGTERM; returns the process exit code.
int RunServeCommand(std::span<const std::string_view> args);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_SERVE_COMMAND_H_
