#include "kelvo/users.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include <toml++/toml.h>

#include "kelvo/error.h"
#include "site/toml_nodes.h"

namespace kelvo {
namespace {

bool Contains(const std::vector<std::string>& roles, std::string_view role) {
  return std::find(roles.begin(), roles.end(), role) != roles.end();
}

class UsersReader {
 public:
  explicit UsersReader(const std::filesystem::path& path) : file_(path.string()) {}

  [[noreturn]] void Fail(int line, const std::string& problem) const {
    throw Error(errc::kInvalidCall,
                file_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem);
  }

  std::string Text(const toml::key& key, const toml::node& node) const {
    if (const auto* text = node.as_string()) return **text;
    Fail(site::LineOf(key, node), std::string(key.str()) + " expects a string, not " +
                                      std::string(site::KindName(node)));
  }

  std::vector<std::string> Roles(const toml::key& key, const toml::node& node) const {
    const toml::array* list = node.as_array();
    if (!list) Fail(site::LineOf(key, node), std::string(key.str()) + " expects a list of roles");
    std::vector<std::string> roles;
    for (const toml::node& item : *list) {
      const auto* text = item.as_string();
      if (!text || !IsRole(**text)) {
        Fail(site::LineOf(key, node),
             std::string(key.str()) + " names a role other than \"viewer\" and \"editor\"");
      }
      roles.push_back(**text);
    }
    return roles;
  }

  const toml::table& Table(const toml::key& key, const toml::node& node) const {
    if (const toml::table* table = node.as_table()) return *table;
    Fail(site::LineOf(key, node),
         std::string(key.str()) + " expects a table, not " + std::string(site::KindName(node)));
  }

  User ReadUser(const toml::key& name, const toml::table& entry) const {
    const int line = site::LineOf(name, entry);
    if (!IsUserName(name.str())) {
      Fail(line, "\"" + std::string(name.str()) +
                     "\" is not a user name (letters, digits and .-_@, at most 64)");
    }
    User user;
    for (const auto& [key, node] : site::InFileOrder(entry)) {
      if (key->str() == "role") {
        user.role = Text(*key, *node);
        if (!IsRole(user.role)) {
          Fail(site::LineOf(*key, *node), "role is \"" + user.role +
                                              "\"; a role is \"viewer\" or \"editor\"");
        }
      } else if (key->str() == "password") {
        user.password_hash = Text(*key, *node);
        if (!IsPasswordHash(user.password_hash)) {
          Fail(site::LineOf(*key, *node),
               "password is no Argon2id hash; set it with kelvo users add");
        }
      } else {
        Fail(site::LineOf(*key, *node),
             "unknown key " + std::string(key->str()) + "; a user has role and password");
      }
    }
    if (user.role.empty() || user.password_hash.empty()) {
      Fail(line, "user " + std::string(name.str()) + " needs a role and a password");
    }
    return user;
  }

  RoleLists ReadTable(const toml::table& entry) const {
    RoleLists lists;
    for (const auto& [key, node] : site::InFileOrder(entry)) {
      if (key->str() == "see") {
        lists.see = Roles(*key, *node);
      } else if (key->str() == "write") {
        lists.write = Roles(*key, *node);
      } else {
        Fail(site::LineOf(*key, *node),
             "unknown key " + std::string(key->str()) + "; a table has see and write");
      }
    }
    return lists;
  }

  UsersFile Read(std::string_view text) const {
    UsersFile file;
    toml::table root;
    try {
      root = toml::parse(text, file_);
    } catch (const toml::parse_error& failure) {
      Fail(static_cast<int>(failure.source().begin.line), std::string(failure.description()));
    }
    for (const auto& [key, node] : site::InFileOrder(root)) {
      if (key->str() == "users") {
        for (const auto& [name, entry] : site::InFileOrder(Table(*key, *node))) {
          file.Put(std::string(name->str()), ReadUser(*name, Table(*name, *entry)));
        }
      } else if (key->str() == "tables") {
        for (const auto& [name, entry] : site::InFileOrder(Table(*key, *node))) {
          file.PutTable(std::string(name->str()), ReadTable(Table(*name, *entry)));
        }
      } else {
        Fail(site::LineOf(*key, *node), "unknown key " + std::string(key->str()) +
                                            "; the file has [users.NAME] and [tables.NAME]");
      }
    }
    return file;
  }

 private:
  std::string file_;
};

std::string TomlKey(const std::string& name) {
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') {
      return "\"" + name + "\"";
    }
  }
  return name;
}

std::string TomlList(const std::vector<std::string>& roles) {
  std::string text = "[";
  for (const std::string& role : roles) text += (text.size() > 1 ? ", \"" : "\"") + role + "\"";
  return text + "]";
}

}  // namespace

bool RoleLists::MaySee(std::string_view role) const { return !see || Contains(*see, role); }

bool RoleLists::MayWrite(std::string_view role) const {
  return write ? Contains(*write, role) : role == "editor";
}

bool IsRole(std::string_view role) { return role == "viewer" || role == "editor"; }

bool IsUserName(std::string_view name) {
  return !name.empty() && name.size() <= 64 &&
         std::all_of(name.begin(), name.end(), [](char c) {
           return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
                  c == '_' || c == '@';
         });
}

UsersFile UsersFile::Load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    throw Error(errc::kInvalidCall, "Cannot read the users file " + path.string());
  }
  return UsersReader(path).Read(text.str());
}

void UsersFile::Save(const std::filesystem::path& path) const {
  std::string text = "# Kelvo users: kelvo users add NAME --role viewer|editor\n";
  for (const auto& [name, user] : users_) {
    text += "\n[users." + TomlKey(name) + "]\nrole = \"" + user.role + "\"\npassword = \"" +
            user.password_hash + "\"\n";
  }
  for (const auto& [name, lists] : tables_) {
    text += "\n[tables." + TomlKey(name) + "]\n";
    if (lists.see) text += "see = " + TomlList(*lists.see) + "\n";
    if (lists.write) text += "write = " + TomlList(*lists.write) + "\n";
  }
  const std::filesystem::path temporary = path.string() + ".new";
  const mode_t previous = ::umask(077);
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  ::umask(previous);
  out << text;
  out.close();
  std::error_code error;
  if (!out || (std::filesystem::rename(temporary, path, error), error)) {
    std::filesystem::remove(temporary, error);
    throw Error(errc::kInvalidCall, "Cannot write the users file " + path.string());
  }
}

const User* UsersFile::Find(std::string_view name) const {
  const auto found = users_.find(name);
  return found == users_.end() ? nullptr : &found->second;
}

bool UsersFile::Remove(std::string_view name) {
  const auto found = users_.find(name);
  if (found == users_.end()) return false;
  users_.erase(found);
  return true;
}

const RoleLists* UsersFile::Table(std::string_view name) const {
  const auto found = tables_.find(name);
  return found == tables_.end() ? nullptr : &found->second;
}

}  // namespace kelvo
