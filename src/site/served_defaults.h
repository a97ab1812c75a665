// The settings every grid the site serves starts from: safer than the library's defaults, which
// stay as they are for programs that build grids themselves.
#ifndef KELVO_SITE_SERVED_DEFAULTS_H_
#define KELVO_SITE_SERVED_DEFAULTS_H_

#include <string_view>

namespace kelvo {
class DbView;
}

namespace kelvo::site {

// Applies the served settings to a new grid of the page titled `title`. Page files call it
// before their own keys, so a grid may set any of them back; the table browser calls it for
// each of its grids.
void ApplyServedDefaults(DbView& grid, std::string_view title);

}  // namespace kelvo::site

#endif  // KELVO_SITE_SERVED_DEFAULTS_H_
