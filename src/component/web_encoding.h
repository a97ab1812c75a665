// Encodings for values the grid writes into its HTML: attribute values, query-string pieces
// and the page's own path. Ordinary names, numbers and paths come out unchanged.
#ifndef KELVO_COMPONENT_WEB_ENCODING_H_
#define KELVO_COMPONENT_WEB_ENCODING_H_

#include <string>
#include <string_view>

namespace kelvo::detail {

// & < > " ' as character references, for a value inside a quoted attribute.
std::string HtmlAttributeEncode(std::string_view text);
// HtmlAttributeEncode, appended to `out`.
void AppendHtmlAttributeEncoded(std::string& out, std::string_view text);

// A stored value's text as the grid writes it: with `encode` (the grid's HtmlEncodeValues) as
// HtmlAttributeEncode, which is safe as element text and inside a quoted attribute alike;
// otherwise unchanged.
std::string ShownValue(bool encode, std::string text);

// Text for a single-quoted script string inside a double-quoted attribute (onclick="...'x'"):
// quotes, backslashes, & < > ` and control characters become \xHH, the line and paragraph
// separators \u2028 and \u2029. Letters, digits, blanks, other punctuation and non-ASCII text
// are kept, so an ordinary key or sentence comes out unchanged.
std::string JsStringAttributeEncode(std::string_view text);

// A query-string key or value: letters, digits and - _ . ~ , are kept, every other byte is
// %XX. Used where the classic form encoding would change ordinary identifiers.
std::string UrlEncodeComponent(std::string_view text);

// A path safe inside an attribute and a script string: bytes that are not allowed in a URL
// path (quotes, blanks, angle brackets, backslashes, controls, non-ASCII) become %XX.
std::string UrlSafePath(std::string_view path);

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_WEB_ENCODING_H_
