#include "connection_argument.h"

#include <cctype>

namespace kelvo::apps {

std::string ConnectionFromArgument(std::string_view argument) {
  if (argument.find('=') != std::string_view::npos) return std::string(argument);
  const std::size_t colon = argument.find(':');
  bool scheme = colon != std::string_view::npos && colon > 1;
  for (std::size_t i = 0; scheme && i < colon; ++i) {
    scheme = std::isalpha(static_cast<unsigned char>(argument[i])) != 0;
  }
  return scheme ? std::string(argument) : "sqlite:" + std::string(argument);
}

}  // namespace kelvo::apps
