// Building text from pieces without temporaries: markup is mostly a run of literals and
// values, and joining them with + first costs an allocation and a copy per step.
#ifndef KELVO_HOST_APPEND_H_
#define KELVO_HOST_APPEND_H_

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace kelvo::host {

// The decimal text of a whole number, kept on the stack.
class DecimalText {
 public:
  template <class Integer>
  explicit DecimalText(Integer value) {
    size_ = static_cast<std::size_t>(std::to_chars(digits_, digits_ + sizeof digits_, value).ptr -
                                     digits_);
  }
  operator std::string_view() const { return {digits_, size_}; }

 private:
  char digits_[24];
  std::size_t size_;
};

namespace append_detail {

// Copies one piece. Each piece is copied by its own call, so that the length of a literal is
// known where it is copied and the copy is made inline.
inline char* CopyPiece(char* to, std::string_view piece) {
  // An empty view may hold no pointer at all, which memcpy must not be given.
  if (!piece.empty()) std::memcpy(to, piece.data(), piece.size());
  return to + piece.size();
}

}  // namespace append_detail

// Appends the pieces in order, growing `out` at most once.
template <class... Pieces>
void AppendAll(std::string& out, const Pieces&... pieces) {
  const std::size_t start = out.size();
  const std::size_t size = start + (std::string_view(pieces).size() + ...);
  // Grown geometrically, so that a text built by many calls is not copied on each.
  if (size > out.capacity()) out.reserve(std::max(size, 2 * out.capacity()));
  out.resize(size);
  char* to = out.data() + start;
  ((to = append_detail::CopyPiece(to, std::string_view(pieces))), ...);
}

}  // namespace kelvo::host

#endif  // KELVO_HOST_APPEND_H_
