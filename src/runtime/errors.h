// The runtime's conversion failures, thrown as kelvo::Error with their usual numbers and texts.
#ifndef KELVO_RUNTIME_ERRORS_H_
#define KELVO_RUNTIME_ERRORS_H_

#include "kelvo/error.h"

namespace kelvo {

[[noreturn]] inline void ThrowInvalidCall() {
  throw Error(errc::kInvalidCall, "Invalid procedure call or argument");
}
[[noreturn]] inline void ThrowTypeMismatch() { throw Error(errc::kTypeMismatch, "Type mismatch"); }
[[noreturn]] inline void ThrowOverflow() { throw Error(errc::kOverflow, "Overflow"); }
[[noreturn]] inline void ThrowInvalidUseOfNull() {
  throw Error(errc::kInvalidUseOfNull, "Invalid use of Null");
}

}  // namespace kelvo

#endif  // KELVO_RUNTIME_ERRORS_H_
