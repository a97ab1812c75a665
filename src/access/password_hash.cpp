#include "kelvo/users.h"

#include <sodium.h>

#include "kelvo/error.h"

namespace kelvo {
namespace {

void InitialiseSodium() {
  static const int ready = sodium_init();
  if (ready < 0) throw Error(errc::kInvalidCall, "The password library cannot start");
}

}  // namespace

std::string HashPassword(std::string_view password) {
  if (password.empty()) throw Error(errc::kInvalidCall, "The password is empty");
  if (password.size() > kMaxPasswordBytes) {
    throw Error(errc::kInvalidCall, "The password is longer than " +
                                        std::to_string(kMaxPasswordBytes) + " bytes");
  }
  InitialiseSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(hash, password.data(), password.size(),
                            crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE,
                            crypto_pwhash_ALG_ARGON2ID13) != 0) {
    throw Error(errc::kInvalidCall, "Not enough memory to hash the password");
  }
  return hash;
}

bool VerifyPassword(std::string_view hash, std::string_view password) {
  if (password.size() > kMaxPasswordBytes || !IsPasswordHash(hash)) return false;
  InitialiseSodium();
  const std::string terminated(hash);
  return crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) == 0;
}

bool IsPasswordHash(std::string_view hash) {
  return hash.starts_with("$argon2id$") && hash.size() < crypto_pwhash_STRBYTES &&
         hash.find_first_of("\"\\\n\r") == std::string_view::npos;
}

}  // namespace kelvo
