// The files the server sends as they are: the grid's images, the default stylesheet and the
// site's icon.
#ifndef KELVO_SITE_STATIC_ASSETS_H_
#define KELVO_SITE_STATIC_ASSETS_H_

#include <span>
#include <string_view>
#include <utility>

namespace kelvo::site {

struct StaticAsset {
  std::string_view content_type;
  std::string_view bytes;
  std::string_view etag;  // a strong validator (quoted) from the bytes' hash
};

// The asset a request path names, or nothing. Images are found under any path ending in
// "/gfx/NAME.gif" and the stylesheet under any path ending in "/kelvo/kelvo.css", so the grid's
// relative ImageDir ("../gfx/") works for pages at /NAME and at /table/NAME alike. The icon is
// at "/favicon.ico", where browsers ask for it unprompted: a GIF, which they read there too.
bool FindStaticAsset(std::string_view path, StaticAsset& asset);

// The stylesheet and other files compiled in from assets/ (embed_files.cmake).
std::span<const std::pair<std::string_view, std::string_view>> EmbeddedAssets();

}  // namespace kelvo::site

#endif  // KELVO_SITE_STATIC_ASSETS_H_
