// Feeds arbitrary user format patterns and values to Format and the FormatNumber family in every
// built-in locale. Input: the pattern, a zero byte, then the value's text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/convert.h"
#include "kelvo/error.h"
#include "kelvo/format.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Runtime failures are expected answers to odd input; anything else escapes and is a finding.
template <class F>
void Guarded(F&& call) {
  try {
    call();
  } catch (const kelvo::Error& e) {
    Check(!e.description().empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string pattern(input.substr(0, split));
  const std::string text(split == std::string_view::npos ? "" : input.substr(split + 1));
  for (const char* name : {"en-US", "en-GB", "de-DE", "nb-NO"}) {
    const kelvo::Locale& locale = kelvo::Locale::Find(name);
    Guarded([&] { kelvo::Format(text, locale, pattern); });
    Guarded([&] { kelvo::Format(kelvo::Variant::Null(), locale, pattern); });
    Guarded([&] { kelvo::Format(-1234.5678, locale, pattern, 2, 2); });
    Guarded([&] { kelvo::Format(kelvo::Date{43616.57299768519}, locale, pattern); });
    Guarded([&] {
      const std::string number = kelvo::FormatNumber(text, locale, 3);
      // Whatever FormatNumber writes reads back as a number.
      Check(kelvo::ParseNumber(number, locale).has_value());
    });
  }
  return 0;
}
