#include "state/statement_signature.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo::detail {
namespace {

// Published HMAC-SHA256 values: a short key, then a key longer than a block (hashed first),
// then the short one again, so a keyed state kept from one secret never signs for another.
TEST(StatementSignatureTest, MatchesHmacSha256ReferenceValuesAcrossSecrets) {
  const std::string short_key = "Jefe";
  const std::string short_text = "what do ya want for nothing?";
  const std::string short_mac = "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843";
  const std::string long_key(131, '\xaa');
  const std::string long_text = "Test Using Larger Than Block-Size Key - Hash Key First";
  const std::string long_mac = "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54";

  EXPECT_EQ(SignStatement(short_key, short_text), short_mac);
  EXPECT_EQ(SignStatement(long_key, long_text), long_mac);
  EXPECT_EQ(SignStatement(short_key, short_text), short_mac);
  EXPECT_TRUE(IsStatementSignatureValid(long_key, long_text, long_mac));
  EXPECT_FALSE(IsStatementSignatureValid(short_key, long_text, long_mac));
  std::string altered = short_mac;
  altered.back() = '4';
  EXPECT_FALSE(IsStatementSignatureValid(short_key, short_text, altered));
}

}  // namespace
}  // namespace kelvo::detail
