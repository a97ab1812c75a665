// CompiledRegExp: translated patterns compiled and matched by PCRE2.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "kelvo/error.h"
#include "kelvo/regexp.h"
#include "runtime/regexp_replacement.h"
#include "runtime/regexp_translate.h"
#include "runtime/utf16_units.h"

namespace kelvo {
namespace {

// Backtracking budget of one search. A pattern that needs more on some text (nested
// quantifiers over a long run that then fails) stops with an error within milliseconds instead
// of holding the request; ordinary patterns on ordinary texts stay far below it.
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kDepthLimit = 1'000'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
// The compiled matcher's stack, per thread: pages are only used as a search needs them.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

std::string EngineMessage(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0)
    return "error " + std::to_string(code);
  return reinterpret_cast<const char*>(buffer);
}

// Match data of this thread, kept between searches so that matching many texts allocates once.
pcre2_match_data* ThreadMatchData(std::uint32_t pairs) {
  thread_local std::unique_ptr<pcre2_match_data, MatchDataFree> data;
  thread_local std::uint32_t capacity = 0;
  if (capacity < pairs) {
    data.reset(pcre2_match_data_create(pairs, nullptr));
    if (!data) throw std::bad_alloc();
    capacity = pairs;
  }
  return data.get();
}

// Called by the compiled matcher for its stack; null makes it use a small one of its own.
pcre2_jit_stack* ThreadJitStack(void*) {
  thread_local std::unique_ptr<pcre2_jit_stack, JitStackFree> stack(
      pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  return stack.get();
}

}  // namespace

struct CompiledRegExp::Impl {
  std::string pattern;
  RegExpOptions options;
  std::size_t groups = 0;
  std::unique_ptr<pcre2_code, CodeFree> code;
  std::unique_ptr<pcre2_match_context, MatchContextFree> match_context;

  // Searches `text` from byte `offset`; fills the thread's match data and returns it, or null
  // when there is no match.
  pcre2_match_data* Search(std::string_view text, std::size_t offset) const {
    pcre2_match_data* data = ThreadMatchData(static_cast<std::uint32_t>(groups + 1));
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    int rc = pcre2_match(code.get(), subject, text.size(), offset, 0, data, match_context.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      // The compiled matcher's stack is small; the interpreter keeps its backtracking on the
      // heap, within the heap limit.
      rc = pcre2_match(code.get(), subject, text.size(), offset, PCRE2_NO_JIT, data,
                       match_context.get());
    }
    if (rc >= 0) return data;
    if (rc == PCRE2_ERROR_NOMATCH) return nullptr;
    if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
        rc == PCRE2_ERROR_HEAPLIMIT) {
      throw Error(errc::kOutOfStackSpace, "Out of stack space: the regular expression '" + pattern +
                                              "' needs too much backtracking on this text (" +
                                              EngineMessage(rc) + ")");
    }
    if (rc == PCRE2_ERROR_NOMEMORY) throw std::bad_alloc();
    throw Error(errc::kInvalidCall,
                "Invalid procedure call or argument: regular expression matching failed (" +
                    EngineMessage(rc) + ")");
  }

  // Calls on_match(offsets) for the first match, or with `global` every match, left to right.
  // After an empty match the next search starts one character further on.
  template <class OnMatch>
  void ForEachMatch(std::string_view text, bool global, OnMatch&& on_match) const {
    std::size_t offset = 0;
    while (offset <= text.size()) {
      pcre2_match_data* data = Search(text, offset);
      if (data == nullptr) return;
      const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data);
      on_match(static_cast<const std::size_t*>(offsets));
      if (!global) return;
      const std::size_t end = offsets[1];
      if (end == offsets[0]) {
        if (end >= text.size()) return;
        offset = end + Utf8CharAt(text, end).bytes;
      } else {
        offset = end;
      }
    }
  }
};

static_assert(PCRE2_UNSET == kUnsetOffset, "unset groups must read as kUnsetOffset");

CompiledRegExp::CompiledRegExp(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompiledRegExp::~CompiledRegExp() = default;

std::shared_ptr<const CompiledRegExp> CompiledRegExp::Compile(std::string_view pattern,
                                                              RegExpOptions options) {
  TranslatedPattern translated = TranslatePattern(pattern, options.multiline);
  auto impl = std::make_unique<Impl>();
  impl->pattern = std::string(pattern);
  impl->options = options;
  impl->groups = translated.groups;

  std::unique_ptr<pcre2_compile_context, CompileContextFree> compile_context(
      pcre2_compile_context_create(nullptr));
  impl->match_context.reset(pcre2_match_context_create(nullptr));
  if (!compile_context || !impl->match_context) throw std::bad_alloc();
  pcre2_set_newline(compile_context.get(), PCRE2_NEWLINE_LF);
  pcre2_set_match_limit(impl->match_context.get(), kMatchLimit);
  pcre2_set_depth_limit(impl->match_context.get(), kDepthLimit);
  pcre2_set_heap_limit(impl->match_context.get(), kHeapLimitKiB);
  pcre2_jit_stack_assign(impl->match_context.get(), ThreadJitStack, nullptr);

  // Invalid UTF-8 in a text matches nothing instead of failing the search; an unset group
  // matches the empty string when referred back to, as in the runtime's grammar.
  std::uint32_t flags =
      PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
  if (options.ignore_case) flags |= PCRE2_CASELESS;
  int error = 0;
  PCRE2_SIZE error_offset = 0;
  impl->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.text.data()),
                                 translated.text.size(), flags, &error, &error_offset,
                                 compile_context.get()));
  if (!impl->code) {
    throw Error(errc::kRegExpSyntax, "Syntax error in regular expression: " + EngineMessage(error));
  }
  // Without a JIT the interpreter matches alone; both give the same results.
  pcre2_jit_compile(impl->code.get(), PCRE2_JIT_COMPLETE);
  return std::shared_ptr<const CompiledRegExp>(new CompiledRegExp(std::move(impl)));
}

const std::string& CompiledRegExp::pattern() const { return impl_->pattern; }
RegExpOptions CompiledRegExp::options() const { return impl_->options; }
std::size_t CompiledRegExp::group_count() const { return impl_->groups; }

bool CompiledRegExp::Test(std::string_view text) const { return impl_->Search(text, 0) != nullptr; }

std::vector<RegExpMatch> CompiledRegExp::Execute(std::string_view text, bool global) const {
  std::vector<RegExpMatch> matches;
  // UTF-16 positions are counted forward from the previous match, not from the start.
  std::size_t counted_bytes = 0;
  std::size_t counted_units = 0;
  impl_->ForEachMatch(text, global, [&](const std::size_t* offsets) {
    counted_units += Utf16Length(text.substr(counted_bytes, offsets[0] - counted_bytes));
    counted_bytes = offsets[0];
    RegExpMatch match;
    match.value = std::string(text.substr(offsets[0], offsets[1] - offsets[0]));
    match.first_index = counted_units;
    match.length = Utf16Length(match.value);
    match.submatches.reserve(impl_->groups);
    for (std::size_t g = 1; g <= impl_->groups; ++g) {
      if (offsets[2 * g] == kUnsetOffset) {
        match.submatches.emplace_back();
      } else {
        match.submatches.emplace_back(
            text.substr(offsets[2 * g], offsets[2 * g + 1] - offsets[2 * g]));
      }
    }
    matches.push_back(std::move(match));
  });
  return matches;
}

std::string CompiledRegExp::Replace(std::string_view text, std::string_view replacement,
                                    bool global) const {
  const ReplacementTemplate expansion(replacement, impl_->groups);
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;  // text before this offset is in `out`
  impl_->ForEachMatch(text, global, [&](const std::size_t* offsets) {
    out.append(text, copied, offsets[0] - copied);
    expansion.Append(out, text, offsets);
    copied = offsets[1];
  });
  out.append(text, copied);
  return out;
}

}  // namespace kelvo
