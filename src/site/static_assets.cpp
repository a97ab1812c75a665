#include "site/static_assets.h"

#include "site/grid_images.h"

namespace kelvo::site {
namespace {

// The last segment of `path` when the one before it is `folder`.
bool LastSegmentUnder(std::string_view path, std::string_view folder, std::string_view& name) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || slash < folder.size() + 1) return false;
  const std::string_view before = path.substr(0, slash);
  if (!before.ends_with(folder) || before[before.size() - folder.size() - 1] != '/') return false;
  name = path.substr(slash + 1);
  return true;
}

}  // namespace

bool FindStaticAsset(std::string_view path, StaticAsset& asset) {
  std::string_view name;
  if (LastSegmentUnder(path, "gfx", name)) {
    if (const std::string* image = FindGridImage(name)) {
      asset = {"image/gif", *image};
      return true;
    }
    return false;
  }
  if (LastSegmentUnder(path, "kelvo", name)) {
    for (const auto& [file, bytes] : EmbeddedAssets()) {
      if (file == name && name.ends_with(".css")) {
        asset = {"text/css; charset=utf-8", bytes};
        return true;
      }
    }
  }
  return false;
}

}  // namespace kelvo::site
