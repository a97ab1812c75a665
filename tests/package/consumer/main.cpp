// A program built against the installed Kelvo: it must compile with only the installed headers,
// link the shared library and catch an error that the library throws.
#include <kelvo/error.h>
#include <kelvo/variant.h>

#include <cstdio>

int main() {
  const kelvo::Variant text("grid");
  if (!text.IsString() || text.AsString() != "grid") return 1;
  try {
    (void)text.AsInt32();  // throws from inside the shared library
  } catch (const kelvo::Error& error) {
    if (error.number() != kelvo::errc::kTypeMismatch) return 2;
    std::puts("kelvo consumer ok");
    return 0;
  }
  return 3;
}
