// Building text from pieces without temporaries: markup is mostly a run of literals and
// values, and joining them with + first costs an allocation and a copy per step.
#ifndef KELVO_RUNTIME_APPEND_H_
#define KELVO_RUNTIME_APPEND_H_

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo {

// The decimal text of a whole number, kept on the stack.
class DecimalText {
 public:
  explicit DecimalText(long long value) {
    size_ = static_cast<std::size_t>(std::to_chars(digits_, digits_ + sizeof digits_, value).ptr -
                                     digits_);
  }
  operator std::string_view() const { return {digits_, size_}; }

 private:
  char digits_[24];
  std::size_t size_;
};

// Appends the pieces in order, growing `out` at most once.
template <class... Pieces>
void AppendAll(std::string& out, const Pieces&... pieces) {
  const std::string_view views[] = {std::string_view(pieces)...};
  std::size_t size = out.size();
  for (const std::string_view view : views) size += view.size();
  // Grown geometrically, so that a text built by many calls is not copied on each.
  if (size > out.capacity()) out.reserve(std::max(size, 2 * out.capacity()));
  std::size_t at = out.size();
  out.resize(size);
  for (const std::string_view view : views) {
    std::char_traits<char>::copy(out.data() + at, view.data(), view.size());
    at += view.size();
  }
}

}  // namespace kelvo

#endif  // KELVO_RUNTIME_APPEND_H_
