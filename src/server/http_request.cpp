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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string HostWithoutPort(std::string_view host) {
  if (host.starts_with('[')) {
    const std::size_t close = host.find(']');
    return std::string(host.substr(0, close == std::string_view::npos ? host.size() : close + 1));
  }
  return std::string(host.substr(0, host.find(':')));
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (host::EqualsIgnoringAsciiCase(field, name)) return value;
  }
  return {};
}

std::size_t HttpRequest::HeaderCount(std::string_view name) const {
  std::size_t count = 0;
  for (const auto& header : headers) {
    if (host::EqualsIgnoringAsciiCase(header.first, name)) ++count;
  }
  return count;
}

std::string DecodeTargetPath(std::string_view target) {
  target = target.substr(0, target.find('?'));
  std::string path;
  path.reserve(target.size());
  for (std::size_t i = 0; i < target.size(); ++i) {
    const int high = i + 2 < target.size() && target[i] == '%' ? HexDigit(target[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(target[i + 2]) : -1;
    if (low >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += target[i];
    }
  }
  return path;
}

std::string RawQueryString(std::string_view target) {
  const std::size_t mark = target.find('?');
  return mark == std::string_view::npos ? std::string() : std::string(target.substr(mark + 1));
}

RequestData MakeRequestData(const HttpRequest& request, std::string body,
                            std::string script_name, std::string_view server_host) {
  RequestData data;
  data.query_string = RawQueryString(request.target);
  data.body = std::move(body);
  NameValueList& variables = data.server_variables;
  const std::string host = request.Header("Host");
  variables.emplace_back("SCRIPT_NAME", std::move(script_name));
  variables.emplace_back("REQUEST_METHOD", request.method);
  variables.emplace_back("QUERY_STRING", data.query_string);
  variables.emplace_back("CONTENT_TYPE", request.Header("Content-Type"));
  variables.emplace_back("CONTENT_LENGTH", std::to_string(data.body.size()));
  variables.emplace_back("REMOTE_ADDR", request.remote_addr);
  variables.emplace_back("REMOTE_PORT", std::to_string(request.remote_port));
  variables.emplace_back("SERVER_NAME",
                         host.empty() ? std::string(server_host) : HostWithoutPort(host));
  variables.emplace_back("SERVER_PORT", std::to_string(request.local_port));
  variables.emplace_back("SERVER_PROTOCOL", request.version);
  variables.emplace_back("HTTPS", request.secure ? "on" : "off");
  for (const auto& [name, value] : request.headers) {
    variables.emplace_back(HeaderVariable(name), value);
    if (host::EqualsIgnoringAsciiCase(name, "Cookie")) AddCookies(value, data.cookies);
  }
  return data;
}

}  // namespace kelvo::server
