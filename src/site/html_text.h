// Text made safe for HTML and for the paths of links.
#ifndef KELVO_SITE_HTML_TEXT_H_
#define KELVO_SITE_HTML_TEXT_H_

#include <string>
#include <string_view>

namespace kelvo::site {

// Escapes &, <, >, " and ' so the text shows as written in element content and in quoted
// attribute values.
std::string HtmlEscape(std::string_view text);

// Percent-encodes a path segment: letters, digits and "-._~" stay, every other byte is %XX.
std::string EncodePathSegment(std::string_view segment);

}  // namespace kelvo::site

#endif  // KELVO_SITE_HTML_TEXT_H_
