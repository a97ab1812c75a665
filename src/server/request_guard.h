// Checks that keep other sites' pages away from the server through a visitor's browser: the
// Host a request names (DNS rebinding) and the site a form was posted from (cross-site forms).
#ifndef KELVO_SERVER_REQUEST_GUARD_H_
#define KELVO_SERVER_REQUEST_GUARD_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::server {

// The host names this server answers for: the loopback names, the address it listens on when
// that is not a wildcard, and the names it is given. Names compare without regard to case; a
// Host header matches with or without a port.
class HostAllowList {
 public:
  // Throws Error for a name that is no host name.
  HostAllowList(std::string_view listen_host, std::span<const std::string> names);

  // `host` is the Host header's value.
  bool Allows(std::string_view host) const;

 private:
  std::vector<std::string> names_;
};

// Whether a POST comes from a page of another site: its Origin, or without one its Referer,
// names another host or port than the request's Host. A request carrying neither comes from no
// browser page and passes; an origin that cannot be read ("null" included) counts as foreign.
bool PostedFromAnotherSite(std::string_view host, std::string_view origin,
                           std::string_view referer);

struct HttpRequest;

// Behind a reverse proxy the connection comes from the proxy: the client's address is the last
// one in X-Forwarded-For (the one the proxy added; earlier ones are the client's own claims),
// and X-Forwarded-Proto "https" says that the client's request came over TLS. Only for a server
// that only the proxy reaches.
void TakeForwardedClient(HttpRequest& request);

}  // namespace kelvo::server

#endif  // KELVO_SERVER_REQUEST_GUARD_H_
