// The kelvo program.
#include <iostream>
#include <string_view>
#include <vector>

#include "kelvo/error.h"
#include "render_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty() || args[0] != "render") {
    std::cerr << "usage: kelvo render DATABASE SQL [options]   (kelvo render --help for more)\n";
    return 2;
  }
  try {
    return kelvo::apps::RunRenderCommand(std::span(args).subspan(1));
  } catch (const kelvo::Error& failure) {
    std::cerr << "kelvo: " << failure.description() << '\n';
    return 1;
  }
}
