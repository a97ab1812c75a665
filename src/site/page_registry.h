// The page files a server serves, by name; files from a folder are read again when they change.
#ifndef KELVO_SITE_PAGE_REGISTRY_H_
#define KELVO_SITE_PAGE_REGISTRY_H_

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "kelvo/page_file.h"
#include "site/table_browser.h"

namespace kelvo::site {

// Thread-safe.
class PageRegistry final {
 public:
  // Serves `page` at /NAME. Throws Error(errc::kInvalidCall) for a name that is not letters,
  // digits, '-' and '_'.
  void Add(std::string_view name, std::shared_ptr<const PageFile> page);
  // Serves each NAME.toml of the folder at /NAME. Loads them all now and throws the first
  // PageFileError; later changes are picked up on request.
  void AddFolder(const std::filesystem::path& folder);

  // The page called `name`: null when there is none. A folder page whose file changed is read
  // again; when the new text does not load, that PageFileError is thrown.
  std::shared_ptr<const PageFile> Find(std::string_view name);

  std::vector<PageLink> Links();

  static bool IsPageName(std::string_view name);

 private:
  struct FolderPage {
    std::filesystem::file_time_type modified;
    std::shared_ptr<const PageFile> page;
    std::string error;  // the load failure of the current text
  };

  std::shared_ptr<const PageFile> Refresh(const std::string& name,
                                          const std::filesystem::path& file);

  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const PageFile>, std::less<>> fixed_;
  std::vector<std::filesystem::path> folders_;
  std::map<std::string, FolderPage, std::less<>> folder_pages_;
};

}  // namespace kelvo::site

#endif  // KELVO_SITE_PAGE_REGISTRY_H_
