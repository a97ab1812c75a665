#include "users_command.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "kelvo/error.h"
#include "kelvo/users.h"

namespace kelvo::apps {
namespace {

constexpr std::string_view kUsage =
    "usage: kelvo users add NAME --role viewer|editor [--users FILE]\n"
    "       kelvo users remove NAME [--users FILE]\n"
    "       kelvo users list [--users FILE]\n"
    "  Keeps the users file of kelvo serve --users (default kelvo-users.toml). add asks for the\n"
    "  password (at least 8 characters) twice without echo, or reads one line from standard\n"
    "  input when that is no terminal; adding a user that exists changes its password and role,\n"
    "  which ends its sign-ins.\n";

constexpr std::string_view kDefaultFile = "kelvo-users.toml";

struct UsersArguments {
  std::string action;
  std::string name;
  std::string role;
  std::string file{kDefaultFile};
};

bool Parse(std::span<const std::string_view> args, UsersArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--role" || arg == "--users") {
      if (i + 1 >= args.size()) return false;
      (arg == "--role" ? parsed.role : parsed.file) = std::string(args[++i]);
    } else if (arg.starts_with("-")) {
      return false;
    } else if (parsed.action.empty()) {
      parsed.action = arg;
    } else if (parsed.name.empty()) {
      parsed.name = arg;
    } else {
      return false;
    }
  }
  if (parsed.action == "list") return parsed.name.empty() && parsed.role.empty();
  if (parsed.action == "remove") return !parsed.name.empty() && parsed.role.empty();
  return parsed.action == "add" && !parsed.name.empty() && !parsed.role.empty();
}

// One line from standard input; with a terminal, without echo.
std::string ReadLine(std::string_view prompt, bool terminal) {
  termios saved{};
  if (terminal) {
    std::cerr << prompt << std::flush;
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  const bool read = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
  }
  if (!read) throw Error(errc::kInvalidCall, "No password was given");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// A password short enough to guess in the time the sign-in limits allow is refused.
constexpr std::size_t kMinPasswordCharacters = 8;

std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string ReadNewPassword() {
  const bool terminal = isatty(STDIN_FILENO) != 0;
  std::string password = ReadLine("Password: ", terminal);
  if (CharacterCount(password) < kMinPasswordCharacters) {
    throw Error(errc::kInvalidCall, "The password has fewer than " +
                                        std::to_string(kMinPasswordCharacters) +
                                        " characters; nothing was changed");
  }
  if (terminal && ReadLine("Password again: ", terminal) != password) {
    throw Error(errc::kInvalidCall, "The two passwords differ; nothing was changed");
  }
  return password;
}

UsersFile LoadOrNew(const std::filesystem::path& path, bool may_be_new) {
  if (may_be_new && !std::filesystem::exists(path)) return {};
  return UsersFile::Load(path);
}

}  // namespace

int RunUsersCommand(std::span<const std::string_view> args) {
  UsersArguments parsed;
  if (!Parse(args, parsed)) {
    std::cerr << kUsage;
    return 2;
  }
  UsersFile users = LoadOrNew(parsed.file, parsed.action == "add");
  if (parsed.action == "list") {
    for (const auto& [name, user] : users.users()) std::cout << name << ' ' << user.role << '\n';
    return 0;
  }
  if (parsed.action == "remove") {
    if (!users.Remove(parsed.name)) {
      std::cerr << "kelvo: " << parsed.file << " has no user " << parsed.name << '\n';
      return 1;
    }
    users.Save(parsed.file);
    return 0;
  }
  if (!IsUserName(parsed.name)) {
    throw Error(errc::kInvalidCall, "\"" + parsed.name +
                                        "\" is not a user name (letters, digits and .-_@, "
                                        "at most 64)");
  }
  if (!IsRole(parsed.role)) {
    throw Error(errc::kInvalidCall, "A role is \"viewer\" or \"editor\", not \"" + parsed.role + "\"");
  }
  users.Put(parsed.name, {parsed.role, HashPassword(ReadNewPassword())});
  users.Save(parsed.file);
  return 0;
}

}  // namespace kelvo::apps
