// Sign-in sessions carried by a signed cookie, so that any server sharing the secret and the
// users file accepts them and none keeps a session table.
//
// The cookie reads "USER|ROLE|EXPIRES|STAMP|NONCE|SIGNATURE": EXPIRES in seconds since the
// epoch, STAMP a digest of the user's entry in the users file (a changed password or role, or a
// removed user, leaves no entry to match), NONCE random (so each sign-in has its own form
// token), SIGNATURE an HMAC-SHA256 of the rest under the server secret.
#ifndef KELVO_ACCESS_SESSION_H_
#define KELVO_ACCESS_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kelvo/users.h"

namespace kelvo::access {

inline constexpr std::string_view kSessionCookie = "kelvo_session";
// The form field that carries a session's form token.
inline constexpr std::string_view kTokenField = "kelvo_token";

struct Session {
  std::string user;
  std::string role;
  std::int64_t expires = 0;  // seconds since the epoch
  std::string stamp;
  std::string nonce = NewNonce();

  // 16 random hex digits.
  static std::string NewNonce();
};

// The stamp of a user's current entry.
std::string UserStamp(std::string_view secret, std::string_view name, const User& user);

std::string SessionCookieValue(std::string_view secret, const Session& session);
// The session a cookie value carries: nothing when it is malformed, signed under another
// secret, altered, or expired at `now`.
std::optional<Session> ReadSessionCookie(std::string_view secret, std::string_view value,
                                         std::int64_t now);

// The token the forms of a session carry; another session, or another secret, has another.
std::string FormToken(std::string_view secret, std::string_view cookie_value);
// Compared in constant time.
bool IsFormTokenValid(std::string_view secret, std::string_view cookie_value,
                      std::string_view token);

}  // namespace kelvo::access

#endif  // KELVO_ACCESS_SESSION_H_
