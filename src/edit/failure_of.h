// The update engine's trap: it needs a failure's number and description to word the status
// line and its own ErrorMessage entries, which differ per step.
#ifndef KELVO_EDIT_FAILURE_OF_H_
#define KELVO_EDIT_FAILURE_OF_H_

#include <exception>
#include <optional>
#include <utility>

#include "kelvo/error.h"

namespace kelvo::detail {

// Runs `step`; returns the failure it raised, or nothing when it completed. Response::End's
// PageEnded is not a failure and passes.
template <class Step>
std::optional<Error> FailureOf(Step&& step) {
  try {
    std::forward<Step>(step)();
    return std::nullopt;
  } catch (const Error& failure) {
    return failure;
  } catch (const std::exception& failure) {  // the standard library's own, e.g. bad_alloc
    return Error(0, failure.what());
  }
}

}  // namespace kelvo::detail

#endif  // KELVO_EDIT_FAILURE_OF_H_
