// The images the grid refers to under ImageDir, drawn by the server at start-up.
#ifndef KELVO_SITE_GRID_IMAGES_H_
#define KELVO_SITE_GRID_IMAGES_H_

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kelvo::site {

// The GIF file called `name` ("firstpg.gif", "orderasc.gif", ...), or null for a name the grid
// does not use. The images are made once; the result may be read from any thread.
const std::string* FindGridImage(std::string_view name);
// All of them by name.
const std::map<std::string, std::string, std::less<>>& GridImages();
// The GIF browsers show beside the site's pages: the export image's sheet in the buttons' blue.
const std::string& SiteIcon();

}  // namespace kelvo::site

#endif  // KELVO_SITE_GRID_IMAGES_H_
