// What the page host reads of an HTTP request, as the connection has parsed it.
#ifndef KELVO_SERVER_HTTP_REQUEST_H_
#define KELVO_SERVER_HTTP_REQUEST_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "kelvo/host.h"

namespace kelvo::server {

// A request's head, independent of the HTTP library that read it.
struct HttpRequest {
  std::string method;
  std::string target;   // as sent: the path and the query string, percent-encoded
  std::string path;     // the target's path, percent-decoded
  std::string version;  // "HTTP/1.1"
  NameValueList headers;  // in arrival order
  std::string remote_addr;
  int remote_port = 0;
  int local_port = 0;
  bool secure = false;  // came over TLS (or, behind a trusted proxy, the client's request did)

  // The first field named `name` (in any letter case); empty when there is none.
  std::string Header(std::string_view name) const;
  std::size_t HeaderCount(std::string_view name) const;
};

// The path of a request target, percent-decoded ("+" stays itself); the query string is left out.
std::string DecodeTargetPath(std::string_view target);

// The request as a page sees it. `script_name` is the page's path as the server spells it in
// links (percent-encoded, safe inside an HTML attribute); `body` the raw request body.
RequestData MakeRequestData(const HttpRequest& request, std::string body,
                            std::string script_name, std::string_view server_host);

// The raw query string of the request target, without the "?".
std::string RawQueryString(std::string_view target);

}  // namespace kelvo::server

#endif  // KELVO_SERVER_HTTP_REQUEST_H_
