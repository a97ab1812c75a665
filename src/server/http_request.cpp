#include "server/http_request.h"

#include <cctype>

#include "host/ascii_case.h"

namespace kelvo::server {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "a=1; b=x%20y" → decoded pairs, in order.
void AddCookies(std::string_view header, NameValueList& cookies) {
  while (!header.empty()) {
    const std::size_t end = header.find(';');
    const std::string_view piece = Trim(header.substr(0, end));
    if (!piece.empty()) {
      RequestCollection decoded;
      ParseUrlEncoded(piece, decoded);
      for (const RequestCollection::Entry& entry : decoded.entries()) {
        for (const std::string& value : entry.values) cookies.emplace_back(entry.key, value);
      }
    }
    if (end == std::string_view::npos) break;
    header.remove_prefix(end + 1);
  }
}

// "User-Agent" → "HTTP_USER_AGENT".
std::string HeaderVariable(std::string_view name) {
  std::string variable = "HTTP_";
  for (char c : name) {
    variable += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return variable;
}

std::string HostWithoutPort(std::string_view host) {
  if (host.starts_with('[')) {
    const std::size_t close = host.find(']');
    return std::string(host.substr(0, close == std::string_view::npos ? host.size() : close + 1));
  }
  return std::string(host.substr(0, host.find(':')));
}

}  // namespace

std::string RawQueryString(const httplib::Request& request) {
  const std::size_t mark = request.target.find('?');
  return mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
}

RequestData MakeRequestData(const httplib::Request& request, std::string body,
                            std::string script_name, std::string_view server_host) {
  RequestData data;
  data.query_string = RawQueryString(request);
  data.body = std::move(body);
  NameValueList& variables = data.server_variables;
  const std::string host = request.get_header_value("Host");
  variables.emplace_back("SCRIPT_NAME", std::move(script_name));
  variables.emplace_back("REQUEST_METHOD", request.method);
  variables.emplace_back("QUERY_STRING", data.query_string);
  variables.emplace_back("CONTENT_TYPE", request.get_header_value("Content-Type"));
  variables.emplace_back("CONTENT_LENGTH", std::to_string(data.body.size()));
  variables.emplace_back("REMOTE_ADDR", request.remote_addr);
  variables.emplace_back("REMOTE_PORT", std::to_string(request.remote_port));
  variables.emplace_back("SERVER_NAME",
                         host.empty() ? std::string(server_host) : HostWithoutPort(host));
  variables.emplace_back("SERVER_PORT", std::to_string(request.local_port));
  variables.emplace_back("SERVER_PROTOCOL", request.version);
  variables.emplace_back("HTTPS", "off");
  for (const auto& [name, value] : request.headers) {
    variables.emplace_back(HeaderVariable(name), value);
    if (host::EqualsIgnoringAsciiCase(name, "Cookie")) AddCookies(value, data.cookies);
  }
  return data;
}

}  // namespace kelvo::server
