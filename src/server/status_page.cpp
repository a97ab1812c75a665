#include "server/status_page.h"

#include "site/html_text.h"

namespace kelvo::server {

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 421:
      return "Misdirected Request";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return status >= 500 ? "Server Error" : "Error";
  }
}

std::string StatusPage(int status, std::string_view detail) {
  const std::string heading = std::to_string(status) + " " + std::string(ReasonPhrase(status));
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>";
  page += heading;
  page +=
      "</title>\n<link rel=\"stylesheet\" href=\"/kelvo/kelvo.css\">\n</head>\n<body>\n"
      "<main class=\"KelvoPage\">\n<h1>";
  page += heading;
  page += "</h1>\n";
  if (!detail.empty()) {
    page += "<div class=\"KelvoErrorBox\" role=\"alert\">";
    page += site::HtmlEscape(detail);
    page += "</div>\n";
  }
  page += "<p><a href=\"/\">Back to the index</a></p>\n</main>\n</body>\n</html>\n";
  return page;
}

}  // namespace kelvo::server
