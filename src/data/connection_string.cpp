#include "data/connection_string.h"

#include <algorithm>

#include "kelvo/error.h"

namespace kelvo::data {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

[[noreturn]] void Malformed(const std::string& why) {
  throw Error(errc::kInvalidCall, "Malformed connection string: " + why);
}

std::string NormaliseKey(std::string_view key) {
  std::string out;
  bool blank = false;
  for (char c : Trim(key)) {
    if (IsSpace(c) || c == '_') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return out;
}

void AddOption(ConnectionSettings& settings, std::string_view raw_key, std::string value) {
  std::string key = NormaliseKey(raw_key);
  if (key.empty()) Malformed("a key is missing before '='");
  if (settings.Find(key)) Malformed("'" + std::string(Trim(raw_key)) + "' is given twice");
  settings.options.emplace_back(std::move(key), std::move(value));
}

// A quoted value starting at text[pos]; advances pos past the closing quote.
std::string ReadQuoted(std::string_view text, size_t& pos, std::string_view key) {
  const char quote = text[pos++];
  std::string value;
  while (true) {
    if (pos >= text.size()) {
      Malformed("the value of '" + std::string(Trim(key)) + "' has no closing quote");
    }
    const char c = text[pos++];
    if (c != quote) {
      value += c;
    } else if (pos < text.size() && text[pos] == quote) {
      value += quote;
      ++pos;
    } else {
      return value;
    }
  }
}

void ParseKeywords(std::string_view text, ConnectionSettings& settings) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t stop = text.find_first_of("=;", pos);
    if (stop == std::string_view::npos || text[stop] == ';') {
      const std::string_view piece = Trim(text.substr(pos, stop - pos));
      if (!piece.empty()) Malformed("'" + std::string(piece) + "' has no '='");
      pos = stop == std::string_view::npos ? text.size() : stop + 1;
      continue;
    }
    const std::string_view key = text.substr(pos, stop - pos);
    pos = stop + 1;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    std::string value;
    if (pos < text.size() && (text[pos] == '\'' || text[pos] == '"')) {
      value = ReadQuoted(text, pos, key);
      while (pos < text.size() && IsSpace(text[pos])) ++pos;
      if (pos < text.size() && text[pos] != ';') {
        Malformed("text follows the quoted value of '" + std::string(Trim(key)) + "'");
      }
    } else {
      const size_t end = std::min(text.find(';', pos), text.size());
      value = std::string(Trim(text.substr(pos, end - pos)));
      pos = end;
    }
    AddOption(settings, key, std::move(value));
    if (pos < text.size()) ++pos;  // the ';'
  }
  const auto provider = settings.Find("provider");
  if (!provider || provider->empty()) {
    Malformed("no provider is named (\"Provider=SQLite;Data Source=FILE\" or \"sqlite:FILE\")");
  }
  settings.provider = std::string(*provider);
}

// The length of a URL scheme at the start of `text` followed by ':', or 0.
size_t SchemeLength(std::string_view text) {
  size_t n = 0;
  auto is_alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  while (n < text.size() && (is_alpha(text[n]) || (n > 0 && ((text[n] >= '0' && text[n] <= '9') ||
                                                             text[n] == '+' || text[n] == '-')))) {
    ++n;
  }
  return n > 0 && n < text.size() && text[n] == ':' ? n : 0;
}

void ParseUrl(std::string_view text, size_t scheme_length, ConnectionSettings& settings) {
  settings.provider = std::string(text.substr(0, scheme_length));
  AddOption(settings, "provider", settings.provider);
  std::string_view rest = text.substr(scheme_length + 1);
  const size_t question = rest.find('?');
  AddOption(settings, "data source", std::string(rest.substr(0, question)));
  if (question == std::string_view::npos) return;
  std::string_view query = rest.substr(question + 1);
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    if (pair.empty()) continue;
    const size_t eq = pair.find('=');
    if (eq == std::string_view::npos) Malformed("'" + std::string(pair) + "' has no '='");
    AddOption(settings, pair.substr(0, eq), std::string(pair.substr(eq + 1)));
  }
}

}  // namespace

std::optional<std::string_view> ConnectionSettings::Find(std::string_view key) const {
  for (const auto& [name, value] : options) {
    if (name == key) return value;
  }
  return std::nullopt;
}

ConnectionSettings ParseConnectionString(std::string_view text) {
  text = Trim(text);
  if (text.empty()) Malformed("it is empty");
  ConnectionSettings settings;
  if (const size_t scheme = SchemeLength(text); scheme > 0) {
    ParseUrl(text, scheme, settings);
  } else {
    ParseKeywords(text, settings);
  }
  return settings;
}

}  // namespace kelvo::data
