// Small HTML documents for answers that are not pages: errors and refusals.
#ifndef KELVO_SERVER_STATUS_PAGE_H_
#define KELVO_SERVER_STATUS_PAGE_H_

#include <string>
#include <string_view>

namespace kelvo::server {

// The standard reason phrase of an HTTP status ("Not Found").
std::string_view ReasonPhrase(int status);

// A complete HTML document for `status`, with `detail` (plain text, escaped here) below the
// heading when it is not empty.
std::string StatusPage(int status, std::string_view detail = {});

}  // namespace kelvo::server

#endif  // KELVO_SERVER_STATUS_PAGE_H_
