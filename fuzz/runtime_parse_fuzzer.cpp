// Feeds arbitrary text to the runtime's number and date readers in every built-in locale, and
// checks that whatever they accept can be written back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kelvo/convert.h"
#include "kelvo/date.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const char* name : {"en-US", "en-GB", "de-DE", "nb-NO"}) {
    const kelvo::Locale& locale = kelvo::Locale::Find(name);

    const std::optional<double> number = kelvo::ParseNumber(text, locale);
    const std::optional<kelvo::Decimal> decimal = kelvo::ParseDecimal(text, locale);
    if (number) {
      // What reads as a number writes as text that reads as a number again.
      Check(kelvo::ParseNumber(kelvo::CStr(*number, locale), locale).has_value());
    }
    if (decimal) {
      Check(number.has_value() || decimal->text.size() > 300);
      Check(kelvo::ParseDecimal(kelvo::CStr(*decimal, locale), locale) == decimal);
    }

    // A fixed year keeps runs reproducible.
    if (const std::optional<kelvo::Date> date = kelvo::ParseDate(text, locale, 2024)) {
      const kelvo::DateTimeParts parts = kelvo::SplitDate(*date);
      Check(kelvo::MakeDate(parts) == *date);
      const std::optional<kelvo::Date> again =
          kelvo::ParseDate(kelvo::FormatGeneralDate(*date, locale), locale, 2024);
      Check(again.has_value() && kelvo::SplitDate(*again) == parts);
    }
  }
  return 0;
}
