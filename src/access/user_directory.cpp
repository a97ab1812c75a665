#include "access/user_directory.h"

#include <utility>

#include "kelvo/error.h"
#include "server/access_log.h"

namespace kelvo::access {

UserDirectory::UserDirectory(std::filesystem::path path)
    : path_(std::move(path)),
      users_(std::make_shared<const UsersFile>(UsersFile::Load(path_))),
      version_(VersionOnDisk()),
      checked_(std::chrono::steady_clock::now()) {}

UserDirectory::Version UserDirectory::VersionOnDisk() const {
  std::error_code error;
  Version version;
  version.modified = std::filesystem::last_write_time(path_, error);
  version.size = error ? 0 : std::filesystem::file_size(path_, error);
  return version;
}

std::shared_ptr<const UsersFile> UserDirectory::Current() {
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (now - checked_ < std::chrono::seconds(1)) return users_;
  checked_ = now;
  const Version on_disk = VersionOnDisk();
  if (on_disk == version_) return users_;
  version_ = on_disk;
  try {
    users_ = std::make_shared<const UsersFile>(UsersFile::Load(path_));
  } catch (const Error& failure) {
    server::WriteLogLine("kelvo: the changed users file is not used: " + failure.description());
  }
  return users_;
}

}  // namespace kelvo::access
