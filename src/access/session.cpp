#include "access/session.h"

#include <openssl/crypto.h>
#include <sodium.h>

#include <charconv>
#include <vector>

#include "state/statement_signature.h"

namespace kelvo::access {
namespace {

std::vector<std::string_view> SplitBars(std::string_view text) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t bar = text.find('|');
    parts.push_back(text.substr(0, bar));
    if (bar == std::string_view::npos) return parts;
    text.remove_prefix(bar + 1);
  }
}

// Each use of the secret signs its own kind of text, so no signature stands for another.
std::string SessionText(std::string_view payload) {
  return "kelvo-session\n" + std::string(payload);
}

}  // namespace

std::string Session::NewNonce() {
  unsigned char bytes[8];
  randombytes_buf(bytes, sizeof bytes);
  char hex[2 * sizeof bytes + 1];
  sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
  return hex;
}

std::string UserStamp(std::string_view secret, std::string_view name, const User& user) {
  return detail::SignStatement(secret, "kelvo-user\n" + std::string(name) + "\n" + user.role +
                                           "\n" + user.password_hash)
      .substr(0, 16);
}

std::string SessionCookieValue(std::string_view secret, const Session& session) {
  const std::string payload = session.user + "|" + session.role + "|" +
                              std::to_string(session.expires) + "|" + session.stamp + "|" +
                              session.nonce;
  return payload + "|" + detail::SignStatement(secret, SessionText(payload));
}

std::optional<Session> ReadSessionCookie(std::string_view secret, std::string_view value,
                                         std::int64_t now) {
  const std::size_t last = value.rfind('|');
  if (last == std::string_view::npos) return std::nullopt;
  const std::string_view payload = value.substr(0, last);
  if (!detail::IsStatementSignatureValid(secret, SessionText(payload), value.substr(last + 1))) {
    return std::nullopt;
  }
  const std::vector<std::string_view> parts = SplitBars(payload);
  if (parts.size() != 5) return std::nullopt;
  Session session{std::string(parts[0]), std::string(parts[1]), 0, std::string(parts[3]),
                  std::string(parts[4])};
  const auto [end, error] =
      std::from_chars(parts[2].data(), parts[2].data() + parts[2].size(), session.expires);
  if (error != std::errc() || end != parts[2].data() + parts[2].size()) return std::nullopt;
  if (session.expires <= now || !IsUserName(session.user) || !IsRole(session.role)) {
    return std::nullopt;
  }
  return session;
}

std::string FormToken(std::string_view secret, std::string_view cookie_value) {
  return detail::SignStatement(secret, "kelvo-form\n" + std::string(cookie_value)).substr(0, 32);
}

bool IsFormTokenValid(std::string_view secret, std::string_view cookie_value,
                      std::string_view token) {
  const std::string expected = FormToken(secret, cookie_value);
  return token.size() == expected.size() &&
         CRYPTO_memcmp(token.data(), expected.data(), expected.size()) == 0;
}

}  // namespace kelvo::access
