// Users and roles: the users file `kelvo serve --users FILE` reads: who may sign in, with which role, and which
// roles may see and write each table of the table browser.
//
//   [users.ann]
//   role = "editor"
//   password = "$argon2id$v=19$m=65536,t=2,p=1$..."
//
//   [tables.salaries]
//   see = ["editor"]
//   write = ["editor"]
//
// Roles are "viewer" and "editor". Without a [tables.NAME] entry every role sees a table and
// editors write it.
#ifndef KELVO_USERS_H_
#define KELVO_USERS_H_

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelvo/export.h"

namespace kelvo {

// The roles that may see and write one page or table; an absent list keeps the default.
struct KELVO_EXPORT RoleLists {
  std::optional<std::vector<std::string>> see;   // default: every role
  std::optional<std::vector<std::string>> write;  // default: editor

  bool MaySee(std::string_view role) const;
  bool MayWrite(std::string_view role) const;
};

struct User {
  std::string role;
  std::string password_hash;
};

// Longer passwords are refused before any hashing, so that a request cannot make the server
// hash megabytes.
inline constexpr std::size_t kMaxPasswordBytes = 1024;

// An Argon2id hash (memory-hard) in its self-describing text form "$argon2id$v=19$m=...".
// Throws Error for an empty or oversize password, or when the hash cannot be made (memory).
KELVO_EXPORT std::string HashPassword(std::string_view password);
// Whether `password` matches `hash`; false for a malformed hash or an oversize password.
KELVO_EXPORT bool VerifyPassword(std::string_view hash, std::string_view password);
// Whether `hash` reads as a hash HashPassword makes.
KELVO_EXPORT bool IsPasswordHash(std::string_view hash);

// "viewer" or "editor".
KELVO_EXPORT bool IsRole(std::string_view role);
// Letters, digits and ".-_@", 1 to 64 bytes: a name that needs no quoting in a cookie or TOML.
KELVO_EXPORT bool IsUserName(std::string_view name);

class KELVO_EXPORT UsersFile {
 public:
  // Reads and checks the file. Throws Error "FILE:LINE: problem" (line left out when unknown).
  static UsersFile Load(const std::filesystem::path& path);
  // Writes the file anew (mode 600), through a file beside it that replaces it whole.
  void Save(const std::filesystem::path& path) const;

  const User* Find(std::string_view name) const;
  const std::map<std::string, User, std::less<>>& users() const { return users_; }
  void Put(const std::string& name, User user) { users_[name] = std::move(user); }
  bool Remove(std::string_view name);
  void PutTable(const std::string& name, RoleLists lists) { tables_[name] = std::move(lists); }
  // The table's entry, or null when it has none.
  const RoleLists* Table(std::string_view name) const;

 private:
  std::map<std::string, User, std::less<>> users_;
  std::map<std::string, RoleLists, std::less<>> tables_;
};

}  // namespace kelvo

#endif  // KELVO_USERS_H_
