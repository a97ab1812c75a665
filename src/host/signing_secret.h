// The signing key a host uses when none is configured.
#ifndef KELVO_HOST_SIGNING_SECRET_H_
#define KELVO_HOST_SIGNING_SECRET_H_

#include <string>

namespace kelvo {

// 32 random bytes, made once per process from the system's random source.
const std::string& ProcessSigningSecret();

}  // namespace kelvo

#endif  // KELVO_HOST_SIGNING_SECRET_H_
