// The statement-signing secret of `kelvo serve`.
#ifndef KELVO_APPS_SECRET_FILE_H_
#define KELVO_APPS_SECRET_FILE_H_

#include <filesystem>
#include <string>

namespace kelvo::apps {

// The secret held in `path`, without trailing line breaks and blanks. Refuses (throws
// kelvo::Error) a file that group or others may read or write, an unreadable file and a
// secret shorter than 16 bytes.
std::string ReadSecretFile(const std::filesystem::path& path);

}  // namespace kelvo::apps

#endif  // KELVO_APPS_SECRET_FILE_H_
