// What the page host reads of an HTTP request, taken from cpp-httplib's request.
#ifndef KELVO_SERVER_HTTP_REQUEST_H_
#define KELVO_SERVER_HTTP_REQUEST_H_

#include <httplib.h>

#include <string>
#include <string_view>

#include "kelvo/host.h"

namespace kelvo::server {

// The request as a page sees it. `script_name` is the page's path as the server spells it in
// links (percent-encoded, safe inside an HTML attribute); `body` the raw request body.
RequestData MakeRequestData(const httplib::Request& request, std::string body,
                            std::string script_name, std::string_view server_host);

// The raw query string of the request target, without the "?".
std::string RawQueryString(const httplib::Request& request);

}  // namespace kelvo::server

#endif  // KELVO_SERVER_HTTP_REQUEST_H_
