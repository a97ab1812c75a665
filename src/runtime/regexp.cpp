// The RegExp object.
#include "kelvo/regexp.h"

namespace kelvo {

void RegExp::set_pattern(std::string_view pattern) {
  if (pattern == pattern_) return;
  pattern_ = std::string(pattern);
  compiled_.reset();
}

void RegExp::set_ignore_case(bool value) {
  if (value == options_.ignore_case) return;
  options_.ignore_case = value;
  compiled_.reset();
}

void RegExp::set_multiline(bool value) {
  if (value == options_.multiline) return;
  options_.multiline = value;
  compiled_.reset();
}

const CompiledRegExp& RegExp::Compiled() {
  if (!compiled_) {
    compiled_ = cache_ != nullptr ? cache_->Get(pattern_, options_)
                                  : CompiledRegExp::Compile(pattern_, options_);
  }
  return *compiled_;
}

bool RegExp::Test(std::string_view text) { return Compiled().Test(text); }

std::vector<RegExpMatch> RegExp::Execute(std::string_view text) {
  return Compiled().Execute(text, global_);
}

std::string RegExp::Replace(std::string_view text, std::string_view replacement) {
  return Compiled().Replace(text, replacement, global_);
}

}  // namespace kelvo
