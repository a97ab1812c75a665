// Text made safe for HTML.
#ifndef KELVO_SERVER_HTML_TEXT_H_
#define KELVO_SERVER_HTML_TEXT_H_

#include <string>
#include <string_view>

namespace kelvo::server {

// Escapes &, <, >, " and ' so the text shows as written in element content and in quoted
// attribute values.
std::string HtmlEscape(std::string_view text);

}  // namespace kelvo::server

#endif  // KELVO_SERVER_HTML_TEXT_H_
