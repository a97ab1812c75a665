// Checks that keep other sites' pages away from the server through a visitor's browser: the
// Host a request names (DNS rebinding).
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

}  // namespace kelvo::server

#endif  // KELVO_SERVER_REQUEST_GUARD_H_
