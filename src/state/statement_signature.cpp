#include "state/statement_signature.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <memory>
#include <string>

#include "kelvo/error.h"

namespace kelvo::detail {

namespace {

struct MacFree {
  void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
  void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};
using MacContext = std::unique_ptr<EVP_MAC_CTX, MacFree>;

// A context keyed with `secret`, kept per thread: fetching the algorithm and setting the key
// cost many times what signing a link's text does, and a page signs several.
EVP_MAC_CTX* KeyedContext(std::string_view secret) {
  static const std::unique_ptr<EVP_MAC, MacFree> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
  thread_local std::string kept_secret;
  thread_local MacContext kept;
  if (kept && kept_secret == secret) return kept.get();
  kept.reset();
  if (!mac) return nullptr;
  MacContext context(EVP_MAC_CTX_new(mac.get()));
  char digest[] = "SHA256";
  const OSSL_PARAM parameters[] = {OSSL_PARAM_construct_utf8_string("digest", digest, 0),
                                   OSSL_PARAM_construct_end()};
  if (!context || EVP_MAC_init(context.get(), reinterpret_cast<const unsigned char*>(secret.data()),
                               secret.size(), parameters) != 1) {
    return nullptr;
  }
  kept_secret = secret;
  kept = std::move(context);
  return kept.get();
}

}  // namespace

std::string SignStatement(std::string_view secret, std::string_view statement) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  std::size_t length = 0;
  EVP_MAC_CTX* keyed = KeyedContext(secret);
  const MacContext context(keyed != nullptr ? EVP_MAC_CTX_dup(keyed) : nullptr);
  if (!context ||
      EVP_MAC_update(context.get(), reinterpret_cast<const unsigned char*>(statement.data()),
                     statement.size()) != 1 ||
      EVP_MAC_final(context.get(), digest, &length, sizeof digest) != 1) {
    throw Error(errc::kInvalidCall, "Could not sign the statement");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(length * 2);
  for (std::size_t i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0x0F];
  }
  return hex;
}

bool IsStatementSignatureValid(std::string_view secret, std::string_view statement,
                               std::string_view signature) {
  const std::string expected = SignStatement(secret, statement);
  return signature.size() == expected.size() &&
         CRYPTO_memcmp(signature.data(), expected.data(), expected.size()) == 0;
}

}  // namespace kelvo::detail
