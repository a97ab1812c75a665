// Checks on what goes into an HTTP head. A name or value that could end a header line early
// would let request data inject headers or a body of its own (header splitting).
#ifndef KELVO_HOST_HEADER_FIELD_H_
#define KELVO_HOST_HEADER_FIELD_H_

#include <string_view>

namespace kelvo::host {

// A non-empty HTTP token: letters, digits and !#$%&'*+-.^_`|~.
bool IsHeaderName(std::string_view name);
// No control characters other than the horizontal tab.
bool IsHeaderValue(std::string_view value);

}  // namespace kelvo::host

#endif  // KELVO_HOST_HEADER_FIELD_H_
