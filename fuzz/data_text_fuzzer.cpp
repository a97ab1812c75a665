// Feeds arbitrary text to the readers of stored text: connection strings, procedure calls,
// ISO dates and decimal numbers. Each either refuses the text with kelvo::Error (or nothing)
// or gives a result that reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "data/connection_string.h"
#include "data/number_text.h"
#include "data/procedure_call.h"
#include "kelvo/error.h"
#include "runtime/iso_date.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void ConnectionString(std::string_view text) {
  try {
    const kelvo::data::ConnectionSettings settings = kelvo::data::ParseConnectionString(text);
    Check(!settings.provider.empty());
    for (const auto& [key, value] : settings.options) {
      Check(!key.empty() && key.front() != ' ' && key.back() != ' ');
      Check(key.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_\t") == std::string_view::npos);
      Check(key.find("  ") == std::string_view::npos);
    }
  } catch (const kelvo::Error&) {
  }
}

void ProcedureCall(std::string_view text) {
  try {
    Check(!kelvo::data::ParseProcedureCall(text).name.empty());
  } catch (const kelvo::Error&) {
  }
}

void Numbers(std::string_view text) {
  if (const auto decimal = kelvo::data::ParseDecimalText(text)) {
    Check(kelvo::data::ParseDecimalText(*decimal) == decimal);
  }
  if (const auto amount = kelvo::data::ParseCurrency(text)) {
    Check(kelvo::data::ParseCurrency(kelvo::data::CurrencyText(*amount)) == amount);
  }
}

void Dates(std::string_view text) {
  const auto date = kelvo::ParseIsoDate(text);
  if (!date) return;
  const auto again =
      kelvo::ParseIsoDate(kelvo::IsoDateText(*date, kelvo::IsoDateColumn::kDateTime));
  Check(again.has_value());
  // Fractions of a second are not written back.
  Check(again->serial - date->serial < 1.0 / 86400 && date->serial - again->serial < 1.0 / 86400);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ConnectionString(text);
  ProcedureCall(text);
  Numbers(text);
  Dates(text);
  return 0;
}
