// The HTML5 document around a page's grids.
#ifndef KELVO_SITE_PAGE_DOCUMENT_H_
#define KELVO_SITE_PAGE_DOCUMENT_H_

#include <string_view>

namespace kelvo {
class Response;
}

namespace kelvo::site {

// Path of the default stylesheet as pages link it: relative, like the grid's default ImageDir,
// so that it resolves to /kelvo/kelvo.css from /NAME and from /table/NAME alike.
inline constexpr std::string_view kStylesheetHref = "../kelvo/kelvo.css";

// Doctype, head (title escaped, stylesheet) and the opening of the body.
void WriteDocumentStart(Response& out, std::string_view title, std::string_view locale);
// The signed-in user's name and a sign-out link; nothing when `user` is empty.
void WriteSignedInUser(Response& out, std::string_view user);
void WriteDocumentEnd(Response& out);

// Opens and closes the box a grid sits in (it scrolls sideways on narrow screens).
void WriteGridStart(Response& out);
void WriteGridEnd(Response& out);

// A grid's ErrorMessage, escaped, in a marked box; nothing when it is empty. The grid separates
// its entries with "<br>", which become line breaks.
void WriteErrorBox(Response& out, std::string_view error_message);

}  // namespace kelvo::site

#endif  // KELVO_SITE_PAGE_DOCUMENT_H_
