// The users file as a running server sees it: read at start (a broken file stops the start),
// then read again when it changes, so that `kelvo users` takes effect without a restart. A
// changed file that does not load leaves the last good one in force and says so on standard
// error. Thread-safe.
#ifndef KELVO_ACCESS_USER_DIRECTORY_H_
#define KELVO_ACCESS_USER_DIRECTORY_H_

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>

#include "kelvo/users.h"

namespace kelvo::access {

class UserDirectory {
 public:
  // Throws Error naming the file and line of a broken users file.
  explicit UserDirectory(std::filesystem::path path);

  // The file as last read; looks for a change at most once a second.
  std::shared_ptr<const UsersFile> Current();

 private:
  struct Version {
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
    bool operator==(const Version&) const = default;
  };
  Version VersionOnDisk() const;

  std::filesystem::path path_;
  std::mutex mutex_;
  std::shared_ptr<const UsersFile> users_;
  Version version_;
  std::chrono::steady_clock::time_point checked_;
};

}  // namespace kelvo::access

#endif  // KELVO_ACCESS_USER_DIRECTORY_H_
