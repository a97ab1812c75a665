#include "site/static_assets.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

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

// 64-bit FNV-1a of the bytes as a quoted entity tag; the assets only change with the program.
std::string EntityTag(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string tag = "\"";
  for (int shift = 60; shift >= 0; shift -= 4) tag += kHex[(hash >> shift) & 0xf];
  return tag + "\"";
}

struct Asset {
  std::string_view content_type;
  std::string_view bytes;
  std::string etag;
};

// By folder ("gfx" or "kelvo", none for the icon) and file name; built on first use.
const std::map<std::pair<std::string_view, std::string_view>, Asset, std::less<>>& Assets() {
  static const auto assets = [] {
    std::map<std::pair<std::string_view, std::string_view>, Asset, std::less<>> made;
    for (const auto& [name, image] : GridImages()) {
      made[{"gfx", name}] = {"image/gif", image, EntityTag(image)};
    }
    made[{"", "favicon.ico"}] = {"image/gif", SiteIcon(), EntityTag(SiteIcon())};
    for (const auto& [file, bytes] : EmbeddedAssets()) {
      if (file.ends_with(".css")) {
        made[{"kelvo", file}] = {"text/css; charset=utf-8", bytes, EntityTag(bytes)};
      }
    }
    return made;
  }();
  return assets;
}

}  // namespace

bool FindStaticAsset(std::string_view path, StaticAsset& asset) {
  const auto take = [&asset](std::string_view folder, std::string_view name) {
    const auto found = Assets().find(std::pair(folder, name));
    if (found == Assets().end()) return false;
    asset = {found->second.content_type, found->second.bytes, found->second.etag};
    return true;
  };
  if (path == "/favicon.ico") return take("", "favicon.ico");
  for (const std::string_view folder : {"gfx", "kelvo"}) {
    std::string_view name;
    if (LastSegmentUnder(path, folder, name)) return take(folder, name);
  }
  return false;
}

}  // namespace kelvo::site
