#include "site/page_document.h"

#include <string>

#include "kelvo/host.h"
#include "site/html_text.h"

namespace kelvo::site {

void WriteDocumentStart(Response& out, std::string_view title, std::string_view locale) {
  std::string head = "<!DOCTYPE html>\n<html lang=\"";
  head += HtmlEscape(locale);
  head +=
      "\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  head += HtmlEscape(title);
  head += "</title>\n<link rel=\"stylesheet\" href=\"";
  head += kStylesheetHref;
  head += "\">\n</head>\n<body>\n<main class=\"KelvoPage\">\n";
  out.Write(head);
}

void WriteSignedInUser(Response& out, std::string_view user) {
  if (user.empty()) return;
  out.Write("<nav class=\"KelvoUser\">" + HtmlEscape(user) +
            " <a href=\"/logout\">Sign out</a></nav>\n");
}

void WriteDocumentEnd(Response& out) { out.Write("\n</main>\n</body>\n</html>\n"); }

void WriteGridStart(Response& out) { out.Write("<div class=\"KelvoGrid\">"); }

void WriteGridEnd(Response& out) { out.Write("</div>\n"); }

void WriteErrorBox(Response& out, std::string_view error_message) {
  if (error_message.empty()) return;
  std::string box =
      "<div class=\"KelvoErrorBox\" role=\"alert\"><strong>The grid reported "
      "errors</strong>\n";
  constexpr std::string_view kBreak = "<br>";
  bool first = true;
  while (!error_message.empty()) {
    const std::size_t at = error_message.find(kBreak);
    const std::string_view entry = error_message.substr(0, at);
    if (!entry.empty()) {
      if (!first) box += "<br>\n";
      box += HtmlEscape(entry);
      first = false;
    }
    if (at == std::string_view::npos) break;
    error_message.remove_prefix(at + kBreak.size());
  }
  box += "\n</div>\n";
  out.Write(box);
}

}  // namespace kelvo::site
