#include "state/statement_signature.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "kelvo/error.h"

namespace kelvo::detail {

std::string SignStatement(std::string_view secret, std::string_view statement) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
           reinterpret_cast<const unsigned char*>(statement.data()), statement.size(), digest,
           &length) == nullptr) {
    throw Error(errc::kInvalidCall, "Could not sign the statement");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
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
