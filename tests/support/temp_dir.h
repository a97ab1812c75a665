// A temporary folder for one test, removed with everything in it when the test ends.
#ifndef KELVO_TESTS_SUPPORT_TEMP_DIR_H_
#define KELVO_TESTS_SUPPORT_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace kelvo::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A path inside the folder, as text.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_SUPPORT_TEMP_DIR_H_
