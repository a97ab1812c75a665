// The one failure type of Kelvo's platform layers and component.
//
// A failure carries a number and a description, as the scripting runtime's errors do. The
// component traps failures where a procedure says so and records the description in
// ErrorMessage; everywhere else the failure leaves the call.
#ifndef KELVO_ERROR_H_
#define KELVO_ERROR_H_

#include <stdexcept>
#include <string>

#include "kelvo/export.h"

namespace kelvo {

// Error numbers used by Kelvo. The small numbers are the scripting runtime's own.
namespace errc {
inline constexpr long kInvalidCall = 5;          // "Invalid procedure call or argument"
inline constexpr long kOverflow = 6;             // "Overflow"
inline constexpr long kSubscriptOutOfRange = 9;  // "Subscript out of range"
inline constexpr long kTypeMismatch = 13;        // "Type mismatch"
inline constexpr long kInvalidUseOfNull = 94;    // "Invalid use of Null"
inline constexpr long kObjectRequired = 424;     // "Object required"
inline constexpr long kClassNotRegistered = 429; // "ActiveX component can't create object"
inline constexpr long kNoSuchMember = 438;       // "Object doesn't support this property or method"
inline constexpr long kWrongArguments = 450;     // "Wrong number of arguments or invalid property assignment"
inline constexpr long kRegExpSyntax = 5017;      // "Syntax error in regular expression"
// Data-access failures: the provider's message is in the description.
inline constexpr long kDatabase = 3001;
inline constexpr long kItemNotFound = 3265;  // no field of that name or ordinal
inline constexpr long kClosedObject = 3704;  // operation on a closed connection or recordset
inline constexpr long kNoCurrentRecord = 3021;
inline constexpr long kConflict = 3640;  // optimistic update found the row changed
// Host failures.
inline constexpr long kNoPageContext = 4001;
}  // namespace errc

class KELVO_EXPORT Error : public std::runtime_error {
 public:
  Error(long number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  long number() const noexcept { return number_; }
  std::string description() const { return what(); }

 private:
  long number_;
};

// Thrown by Response::End to leave the page: nothing after it runs. It is deliberately not an
// Error, so the component's failure traps let it pass; the host catches it at the page boundary.
class KELVO_EXPORT PageEnded {};

}  // namespace kelvo

#endif  // KELVO_ERROR_H_
