// Reading a procedure call written as text: a name followed by literal arguments,
// "sp_List 5, 'O''Hara', NULL" or "sp_List(5, 'x')". The arguments become bound values; they
// are never pasted into SQL.
#ifndef KELVO_DATA_PROCEDURE_CALL_H_
#define KELVO_DATA_PROCEDURE_CALL_H_

#include <string>
#include <string_view>
#include <vector>

#include "kelvo/variant.h"

namespace kelvo::data {

struct ProcedureCall {
  std::string name;
  std::vector<Variant> arguments;
};

// Literals: whole numbers (32-bit when they fit, else 64-bit), numbers with a point or an
// exponent (double), single-quoted text with '' for a quote, and NULL in any case. Throws
// Error(errc::kInvalidCall) naming the argument that cannot be read.
ProcedureCall ParseProcedureCall(std::string_view text);

}  // namespace kelvo::data

#endif  // KELVO_DATA_PROCEDURE_CALL_H_
