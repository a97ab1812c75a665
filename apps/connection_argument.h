// The --db argument: a connection string, or simply the path of an SQLite file.
#ifndef KELVO_APPS_CONNECTION_ARGUMENT_H_
#define KELVO_APPS_CONNECTION_ARGUMENT_H_

#include <string>
#include <string_view>

namespace kelvo::apps {

// "sqlite:shop.db" and "Provider=...;..." stay as they are; "shop.db" becomes "sqlite:shop.db".
std::string ConnectionFromArgument(std::string_view argument);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_CONNECTION_ARGUMENT_H_
