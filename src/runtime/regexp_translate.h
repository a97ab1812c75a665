// Checking a pattern against the runtime's regular-expression grammar and writing it in the
// matching engine's own syntax.
#ifndef KELVO_RUNTIME_REGEXP_TRANSLATE_H_
#define KELVO_RUNTIME_REGEXP_TRANSLATE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo {

struct TranslatedPattern {
  std::string text;  // the pattern for the engine
  std::size_t groups = 0;
};

// The same pattern for the engine, which compiles it in UTF mode without other options that
// change its meaning: escapes become code points, ^ and $ become assertions that mean what the
// runtime means (with `multiline`, at line breaks "\n" and "\r" too), back-references and octal
// escapes are told apart by the number of groups. Throws Error 5017..5021 with a description for
// a pattern outside the grammar.
TranslatedPattern TranslatePattern(std::string_view pattern, bool multiline);

}  // namespace kelvo

#endif  // KELVO_RUNTIME_REGEXP_TRANSLATE_H_
