// The grid's failure convention, written once: a trapped failure appends one entry to
// ErrorMessage (the description, then the procedure's own text such as " in MakeDataGrid<br>")
// and the procedure goes on. Response::End's PageEnded is not a failure and always passes.
#ifndef KELVO_COMPONENT_ERROR_REPORT_H_
#define KELVO_COMPONENT_ERROR_REPORT_H_

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "component/db_view_state.h"
#include "host/append.h"
#include "kelvo/error.h"

namespace kelvo::detail {

// Appends "description" + `text_after` to ErrorMessage.
void AppendError(DbViewState& s, std::string_view description, std::string_view text_after);

// Runs `step`; a failure is recorded with the text `make_text_after()` returns (built only
// then, so hot paths pay nothing for it) and swallowed. Returns whether the step completed.
template <class MakeText, class Step>
bool GuardedStepWith(DbViewState& s, MakeText&& make_text_after, Step&& step) {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const std::exception& failure) {  // kelvo::Error and the standard library's own
    AppendError(s, failure.what(), std::forward<MakeText>(make_text_after)());
  }
  return false;
}

// Runs `step`; a failure is recorded with `text_after` and swallowed.
template <class Step>
bool GuardedStep(DbViewState& s, std::string_view text_after, Step&& step) {
  return GuardedStepWith(
      s, [text_after] { return text_after; }, std::forward<Step>(step));
}

// Evaluates a test; a failure is recorded with `text_after` and the test counts as passed.
template <class Test>
bool GuardedTest(DbViewState& s, std::string_view text_after, Test&& test) {
  bool result = true;
  GuardedStep(s, text_after, [&] { result = std::forward<Test>(test)(); });
  return result;
}

// The base of a writer whose steps all follow the convention with one procedure's text:
// Guarded runs a step, GuardedIf evaluates a test, Put writes markup as a guarded step.
class GuardedWriter {
 protected:
  GuardedWriter(DbViewState& s, std::string failure_text)
      : s_(s), failure_text_(std::move(failure_text)) {}

  template <class Step>
  void Guarded(Step&& step) {
    GuardedStep(s_, failure_text_, std::forward<Step>(step));
  }
  template <class Test>
  bool GuardedIf(Test&& test) {
    return GuardedTest(s_, failure_text_, std::forward<Test>(test));
  }
  // Writes the pieces in order, as one step. They are joined in a buffer kept for the writer's
  // life, so that a row costs neither temporary strings nor a write per piece.
  template <class... Pieces>
  void Put(const Pieces&... pieces) {
    Guarded([&] {
      joined_.clear();
      host::AppendAll(joined_, pieces...);
      WriteJoined();
    });
  }

  DbViewState& s_;

 private:
  void WriteJoined();

  std::string failure_text_;
  std::string joined_;
};

// Runs a step of a procedure that never reports: a failure skips the step.
template <class Step>
void IgnoreFailure(Step&& step) {
  try {
    std::forward<Step>(step)();
  } catch (const std::exception&) {  // the step is skipped; its caller goes on
  }
}

// Evaluates a test for a procedure that never reports: a failure counts as passed.
template <class Test>
bool SilentTest(Test&& test) {
  try {
    return std::forward<Test>(test)();
  } catch (const std::exception&) {
    return true;
  }
}

}  // namespace kelvo::detail

#endif  // KELVO_COMPONENT_ERROR_REPORT_H_
