#include "kelvo/variant.h"

#include "kelvo/error.h"

namespace kelvo {

void Variant::ThrowTypeMismatch() { throw Error(errc::kTypeMismatch, "Type mismatch"); }

}  // namespace kelvo
