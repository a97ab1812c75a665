// `kelvo users`: adds, removes and lists the users of a users file.
#ifndef KELVO_APPS_USERS_COMMAND_H_
#define KELVO_APPS_USERS_COMMAND_H_

#include <span>
#include <string_view>

namespace kelvo::apps {

// Returns the process exit code.
int RunUsersCommand(std::span<const std::string_view> args);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_USERS_COMMAND_H_
