#include "server/request_guard.h"

#include <algorithm>

#include "host/ascii_case.h"
#include "server/http_request.h"
#include "kelvo/error.h"

namespace kelvo::server {
namespace {

// A host and port as an authority component spells them: "name", "name:8080", "[::1]:8080".
struct Authority {
  std::string name;  // lower case, IPv6 addresses in brackets, without a trailing dot
  std::string port;  // digits, or empty when none is given
};

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
}

bool ParseAuthority(std::string_view text, Authority& authority) {
  std::string_view name;
  std::string_view rest;
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return false;
    name = text.substr(0, close + 1);
    rest = text.substr(close + 1);
  } else {
    const std::size_t colon = text.find(':');
    name = text.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
  }
  if (!rest.empty() && (rest.front() != ':' || !AllDigits(rest.substr(1)))) return false;
  if (name.ends_with('.')) name.remove_suffix(1);
  if (name.empty() || name.find_first_of(" \t/\\@?#") != std::string_view::npos) return false;
  authority.name = host::AsciiLowered(name);
  authority.port = rest.empty() ? std::string() : std::string(rest.substr(1));
  return true;
}

// "http://name:port/path" → scheme "http" and the authority.
bool ParseUrlOrigin(std::string_view url, std::string& scheme, Authority& authority) {
  const std::size_t separator = url.find("://");
  if (separator == std::string_view::npos || separator == 0) return false;
  scheme = host::AsciiLowered(url.substr(0, separator));
  std::string_view rest = url.substr(separator + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  return ParseAuthority(rest, authority);
}

std::string_view DefaultPort(std::string_view scheme) {
  if (scheme == "http") return "80";
  if (scheme == "https") return "443";
  return {};
}

}  // namespace

HostAllowList::HostAllowList(std::string_view listen_host, std::span<const std::string> names)
    : names_{"localhost", "127.0.0.1", "[::1]"} {
  std::string listening(listen_host);
  if (listening.find(':') != std::string::npos && !listening.starts_with('[')) {
    listening = "[" + listening + "]";
  }
  if (!listening.empty() && listening != "0.0.0.0" && listening != "[::]") {
    names_.push_back(host::AsciiLowered(listening));
  }
  for (const std::string& name : names) {
    Authority authority;
    if (!ParseAuthority(name, authority)) {
      throw Error(errc::kInvalidCall, "\"" + name + "\" is not a host name");
    }
    names_.push_back(authority.port.empty() ? authority.name
                                            : authority.name + ":" + authority.port);
  }
}

bool HostAllowList::Allows(std::string_view host) const {
  Authority authority;
  if (!ParseAuthority(host, authority)) return false;
  const std::string with_port = authority.name + ":" + authority.port;
  return std::any_of(names_.begin(), names_.end(), [&](const std::string& name) {
    return name == authority.name || (!authority.port.empty() && name == with_port);
  });
}

bool PostedFromAnotherSite(std::string_view host, std::string_view origin,
                           std::string_view referer) {
  const std::string_view source = origin.empty() ? referer : origin;
  if (source.empty()) return false;
  std::string scheme;
  Authority from;
  Authority to;
  if (!ParseUrlOrigin(source, scheme, from) || !ParseAuthority(host, to)) return true;
  // Behind a proxy the Host may leave out the port the page's scheme implies.
  const std::string_view implied = DefaultPort(scheme);
  if (from.port.empty()) from.port = implied;
  if (to.port.empty()) to.port = implied;
  return from.name != to.name || from.port != to.port;
}

void TakeForwardedClient(HttpRequest& request) {
  std::string_view last;
  for (const auto& [name, value] : request.headers) {
    if (!host::EqualsIgnoringAsciiCase(name, "X-Forwarded-For")) continue;
    const std::size_t comma = value.rfind(',');
    last = comma == std::string::npos ? std::string_view(value)
                                      : std::string_view(value).substr(comma + 1);
  }
  while (!last.empty() && (last.front() == ' ' || last.front() == '\t')) last.remove_prefix(1);
  while (!last.empty() && (last.back() == ' ' || last.back() == '\t')) last.remove_suffix(1);
  if (!last.empty() && last.find_first_not_of("0123456789abcdefABCDEF.:[]") == std::string::npos) {
    request.remote_addr = std::string(last);
  }
  const std::string proto = host::AsciiLowered(request.Header("X-Forwarded-Proto"));
  if (!proto.empty()) request.secure = proto == "https";
}

}  // namespace kelvo::server
