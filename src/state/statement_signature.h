// Keyed signatures of the statements a grid carries in its page, so that a posted statement
// is run only when this server (or one sharing its secret) wrote it.
#ifndef KELVO_STATE_STATEMENT_SIGNATURE_H_
#define KELVO_STATE_STATEMENT_SIGNATURE_H_

#include <string>
#include <string_view>

namespace kelvo::detail {

// HMAC-SHA256 of the statement under `secret`, as lower-case hex.
std::string SignStatement(std::string_view secret, std::string_view statement);
// True when `signature` is the statement's signature (compared in constant time).
bool IsStatementSignatureValid(std::string_view secret, std::string_view statement,
                               std::string_view signature);

}  // namespace kelvo::detail

#endif  // KELVO_STATE_STATEMENT_SIGNATURE_H_
