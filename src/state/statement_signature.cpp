#include "state/statement_signature.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "kelvo/error.h"

namespace kelvo::detail {

namespace {

constexpr std::size_t kBlockBytes = 64;  // SHA-256's block

struct DigestFree {
  void operator()(EVP_MD* digest) const { EVP_MD_free(digest); }
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestFree>;

// HMAC with its two padded keys hashed once: a signature then copies the two states and hashes
// only the text and the inner digest, where keying anew for every signature cost more than
// signing a link's text.
struct Keyed {
  std::string secret;
  DigestContext inner{EVP_MD_CTX_new()};
  DigestContext outer{EVP_MD_CTX_new()};
  DigestContext work{EVP_MD_CTX_new()};
  bool ready = false;
};

bool StartPadded(EVP_MD_CTX* context, const EVP_MD* digest,
                 const std::array<unsigned char, kBlockBytes>& key, unsigned char pad) {
  std::array<unsigned char, kBlockBytes> padded;
  for (std::size_t i = 0; i < kBlockBytes; ++i) padded[i] = key[i] ^ pad;
  const bool ok = EVP_DigestInit_ex(context, digest, nullptr) == 1 &&
                  EVP_DigestUpdate(context, padded.data(), padded.size()) == 1;
  OPENSSL_cleanse(padded.data(), padded.size());
  return ok;
}

// The per-thread keyed state for `secret`, or null when the digest is unavailable.
Keyed* KeyedFor(std::string_view secret) {
  static const std::unique_ptr<EVP_MD, DigestFree> digest(EVP_MD_fetch(nullptr, "SHA256", nullptr));
  thread_local Keyed kept;
  if (kept.ready && kept.secret == secret) return &kept;
  kept.ready = false;
  if (!digest || !kept.inner || !kept.outer || !kept.work) return nullptr;
  // A key longer than a block is its digest.
  std::array<unsigned char, kBlockBytes> key{};
  if (secret.size() > kBlockBytes) {
    unsigned int length = 0;
    if (EVP_Digest(secret.data(), secret.size(), key.data(), &length, digest.get(), nullptr) != 1) {
      return nullptr;
    }
  } else {
    std::copy(secret.begin(), secret.end(), key.begin());
  }
  const bool ok = StartPadded(kept.inner.get(), digest.get(), key, 0x36) &&
                  StartPadded(kept.outer.get(), digest.get(), key, 0x5c);
  OPENSSL_cleanse(key.data(), key.size());
  if (!ok) return nullptr;
  kept.secret = secret;
  kept.ready = true;
  return &kept;
}

std::string Sign(std::string_view secret, std::string_view statement) {
  unsigned char inner[EVP_MAX_MD_SIZE];
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int inner_length = 0;
  unsigned int length = 0;
  Keyed* keyed = KeyedFor(secret);
  EVP_MD_CTX* work = keyed != nullptr ? keyed->work.get() : nullptr;
  if (work == nullptr || EVP_MD_CTX_copy_ex(work, keyed->inner.get()) != 1 ||
      EVP_DigestUpdate(work, statement.data(), statement.size()) != 1 ||
      EVP_DigestFinal_ex(work, inner, &inner_length) != 1 ||
      EVP_MD_CTX_copy_ex(work, keyed->outer.get()) != 1 ||
      EVP_DigestUpdate(work, inner, inner_length) != 1 ||
      EVP_DigestFinal_ex(work, digest, &length) != 1) {
    throw Error(errc::kInvalidCall, "Could not sign the statement");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex(std::size_t{length} * 2, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    hex[2 * i] = kHex[digest[i] >> 4];
    hex[2 * i + 1] = kHex[digest[i] & 0x0F];
  }
  return hex;
}

// The last few signatures made on this thread. A text is often signed again soon: a record link
// carries the count its page signed, which the record view checks and signs anew for its own
// links, and a view's count is the same for every page of it within the second.
struct RecentSignature {
  std::string secret;
  std::string statement;
  std::string signature;
};

}  // namespace

std::string SignStatement(std::string_view secret, std::string_view statement) {
  thread_local std::array<RecentSignature, 4> recent;
  thread_local std::size_t next = 0;
  for (const RecentSignature& kept : recent) {
    if (!kept.signature.empty() && kept.statement == statement && kept.secret == secret) {
      return kept.signature;
    }
  }
  std::string signature = Sign(secret, statement);
  RecentSignature& slot = recent[next];
  next = (next + 1) % recent.size();
  slot.secret = secret;
  slot.statement = statement;
  slot.signature = signature;
  return signature;
}

bool IsStatementSignatureValid(std::string_view secret, std::string_view statement,
                               std::string_view signature) {
  const std::string expected = SignStatement(secret, statement);
  return signature.size() == expected.size() &&
         CRYPTO_memcmp(signature.data(), expected.data(), expected.size()) == 0;
}

}  // namespace kelvo::detail
