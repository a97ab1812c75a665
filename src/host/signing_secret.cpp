#include "host/signing_secret.h"

#include <openssl/rand.h>

#include "kelvo/error.h"

namespace kelvo {
namespace {

std::string MakeSecret() {
  std::string secret(32, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(secret.data()),
                 static_cast<int>(secret.size())) != 1) {
    throw Error(errc::kInvalidCall, "The system's random source failed");
  }
  return secret;
}

}  // namespace

const std::string& ProcessSigningSecret() {
  static const std::string secret = MakeSecret();
  return secret;
}

}  // namespace kelvo
