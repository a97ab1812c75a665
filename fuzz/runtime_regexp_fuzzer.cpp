// Feeds arbitrary regular expressions and texts to the pattern translator and the matcher.
// Input: one flags byte, the pattern, a zero byte, then the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/error.h"
#include "kelvo/regexp.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const kelvo::RegExpOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
  const bool global = (data[0] & 4) != 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = input.find('\0');
  const std::string_view pattern = input.substr(0, split);
  const std::string_view text =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  try {
    const auto re = kelvo::CompiledRegExp::Compile(pattern, options);
    const bool found = re->Test(text);
    const auto matches = re->Execute(text, global);
    Check(found == !matches.empty());
    for (const kelvo::RegExpMatch& match : matches) {
      Check(match.submatches.size() == re->group_count());
      Check(text.find(match.value) != std::string_view::npos);
    }
    // Replacing every match by itself gives the text back.
    Check(re->Replace(text, "$&", global) == text);
    re->Replace(text, pattern, global);
  } catch (const kelvo::Error& e) {
    Check(!e.description().empty());
  }
  return 0;
}
