#include "site/page_registry.h"

#include <algorithm>
#include <system_error>

#include "kelvo/error.h"

namespace kelvo::site {

bool PageRegistry::IsPageName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
  });
}

void PageRegistry::Add(std::string_view name, std::shared_ptr<const PageFile> page) {
  if (!IsPageName(name)) {
    throw Error(errc::kInvalidCall,
                "'" + std::string(name) + "' is not a page name (letters, digits, - and _)");
  }
  std::lock_guard lock(mutex_);
  fixed_[std::string(name)] = std::move(page);
}

void PageRegistry::AddFolder(const std::filesystem::path& folder) {
  std::error_code failure;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, failure)) {
    if (entry.path().extension() == ".toml" && IsPageName(entry.path().stem().string())) {
      files.push_back(entry.path());
    }
  }
  if (failure) {
    throw Error(errc::kInvalidCall,
                "Cannot read the page folder " + folder.string() + ": " + failure.message());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    const auto modified = std::filesystem::last_write_time(file);
    auto page = PageFile::Load(file);
    std::lock_guard lock(mutex_);
    folder_pages_[file.stem().string()] = {modified, std::move(page), {}};
  }
  std::lock_guard lock(mutex_);
  folders_.push_back(folder);
}

std::shared_ptr<const PageFile> PageRegistry::Find(std::string_view name) {
  if (!IsPageName(name)) return nullptr;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = fixed_.find(name); found != fixed_.end()) return found->second;
  }
  std::vector<std::filesystem::path> folders;
  {
    std::lock_guard lock(mutex_);
    folders = folders_;
  }
  for (const auto& folder : folders) {
    const auto file = folder / (std::string(name) + ".toml");
    std::error_code missing;
    if (std::filesystem::is_regular_file(file, missing)) return Refresh(std::string(name), file);
  }
  return nullptr;
}

std::shared_ptr<const PageFile> PageRegistry::Refresh(const std::string& name,
                                                      const std::filesystem::path& file) {
  std::error_code failure;
  const auto modified = std::filesystem::last_write_time(file, failure);
  std::lock_guard lock(mutex_);
  FolderPage& entry = folder_pages_[name];
  const bool loaded = entry.page || !entry.error.empty();
  if (loaded && (failure || entry.modified == modified)) {
    if (entry.page) return entry.page;
    throw Error(errc::kInvalidCall, entry.error);
  }
  // Parsing under the lock keeps two requests from reading the same change twice; changes
  // are rare and pages small.
  entry.modified = modified;
  try {
    entry.page = PageFile::Load(file);
    entry.error.clear();
  } catch (const PageFileError& error) {
    entry.page = nullptr;
    entry.error = error.description();
    throw;
  }
  return entry.page;
}

std::vector<PageLink> PageRegistry::Links() {
  std::map<std::string, PageLink> found;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [name, page] : fixed_) found[name] = {name, page->title(), page};
    for (const auto& [name, entry] : folder_pages_) {
      found[name] = {name, entry.page ? entry.page->title() : name, entry.page};
    }
  }
  std::vector<PageLink> links;
  for (auto& [name, link] : found) links.push_back(std::move(link));
  return links;
}

}  // namespace kelvo::site
