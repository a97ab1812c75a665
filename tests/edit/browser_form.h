// Submits a rendered page's form the way a browser does: the HTML is parsed (character
// references decoded, line breaks read as LF, a NUL as U+FFFD, the line break after <textarea>
// dropped), the successful controls are collected (enabled inputs, ticked checkboxes and radio
// buttons, the selected option of each list, the one pressed button) and their values posted
// url-encoded with line breaks as CR LF, text inputs having lost theirs.
#ifndef KELVO_TESTS_EDIT_BROWSER_FORM_H_
#define KELVO_TESTS_EDIT_BROWSER_FORM_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::testing {

class BrowserForm {
 public:
  // The controls of the first <form> of `html`.
  explicit BrowserForm(std::string_view html);

  // Types a value into the text input, text area or hidden input `name` (as a script would),
  // or selects the option of that value in the list `name`. Fails the test when absent.
  void Set(std::string_view name, std::string_view value);
  // Ticks or clears the checkbox `name`.
  void Check(std::string_view name, bool ticked);
  // Ticks the radio button `value` of the group `name`, clearing the others.
  void Choose(std::string_view name, std::string_view value);
  // The value the control `name` would post; nothing when it posts none.
  std::optional<std::string> Value(std::string_view name) const;
  bool Has(std::string_view name) const;

  // The url-encoded body posted by pressing the submit button `button`.
  std::string Body(std::string_view button) const;

 private:
  struct Option {
    std::string value;
    bool selected = false;
  };
  struct Control {
    std::string tag;   // input, textarea, select
    std::string type;  // of an input, lower case
    std::string name;
    std::string value;
    bool checked = false;
    bool disabled = false;
    std::vector<Option> options;
  };
  const Control* Find(std::string_view name) const;
  Control* Find(std::string_view name);
  std::optional<std::string> Posted(const Control& control) const;

  std::vector<Control> controls_;
};

}  // namespace kelvo::testing

#endif  // KELVO_TESTS_EDIT_BROWSER_FORM_H_
