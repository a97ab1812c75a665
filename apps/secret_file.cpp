#include "secret_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "kelvo/error.h"

namespace kelvo::apps {

std::string ReadSecretFile(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    throw Error(errc::kInvalidCall, "Cannot read the secret file " + path.string());
  }
  if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    throw Error(errc::kInvalidCall, "The secret file " + path.string() + " has mode " + mode +
                                        ": group and others must have no access (chmod 600)");
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    throw Error(errc::kInvalidCall, "Cannot read the secret file " + path.string());
  }
  std::string secret = text.str();
  while (!secret.empty() &&
         (secret.back() == '\n' || secret.back() == '\r' || secret.back() == ' ')) {
    secret.pop_back();
  }
  if (secret.size() < 16) {
    throw Error(errc::kInvalidCall, "The secret in " + path.string() + " is shorter than 16 bytes");
  }
  return secret;
}

}  // namespace kelvo::apps
