// The kelvo program: `kelvo serve` hosts pages over HTTP, `kelvo render` runs one request
// through a page file offline.
#include <exception>
#include <iostream>
#include <span>
#include <string_view>
#include <vector>

#include "kelvo/error.h"
#include "render_command.h"
#include "serve_command.h"
#include "users_command.h"

namespace {

constexpr std::string_view kUsage =
    "usage: kelvo serve [--pages DIR] [--db CONNECTION] [--host HOST] [--port PORT] [--locale L]\n"
    "                   [--edit] [--secret-file FILE] [--allowed-host NAME]...\n"
    "       kelvo render PAGE [--get QUERY] [--post FORM] [--method M] [--path SCRIPT_NAME]\n"
    "                    [--headers] [--db CONNECTION] [--locale L]\n"
    "       kelvo users add NAME --role viewer|editor | remove NAME | list [--users FILE]\n"
    "  `kelvo serve --help` and `kelvo render --help` say more.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const auto rest = std::span(args).subspan(1);
  try {
    if (args[0] == "serve") return kelvo::apps::RunServeCommand(rest);
    if (args[0] == "render") return kelvo::apps::RunRenderCommand(rest);
    if (args[0] == "users") return kelvo::apps::RunUsersCommand(rest);
  } catch (const kelvo::Error& failure) {
    std::cerr << "kelvo: " << failure.description() << '\n';
    return 1;
  } catch (const std::exception& failure) {
    std::cerr << "kelvo: " << failure.what() << '\n';
    return 1;
  }
  std::cerr << kUsage;
  return 2;
}
