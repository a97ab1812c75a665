// Reading connection strings. Two forms name the same settings:
//   keyword form  "Provider=SQLite;Data Source=shop.db;Mode=Create"
//   URL form      "sqlite:shop.db?mode=create&busy_timeout=2000"
// Keyword form: pairs separated by ';', keys without regard to case and with blanks around
// them ignored; a value may be quoted with ' or " (the quote doubled inside), otherwise it is
// trimmed. URL form: the scheme is the provider, the text up to the first '?' is the data
// source, and key=value pairs separated by '&' follow; nothing is percent-decoded.
// Keys are normalised: lower case, '_' read as a blank, runs of blanks made one.
#ifndef KELVO_DATA_CONNECTION_STRING_H_
#define KELVO_DATA_CONNECTION_STRING_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvo::data {

struct ConnectionSettings {
  std::string provider;  // as written ("SQLite")
  // Normalised keys with their values in the order given, the provider and the data source
  // included ("provider", "data source").
  std::vector<std::pair<std::string, std::string>> options;

  // The value of a normalised key, or nothing when it was not given.
  std::optional<std::string_view> Find(std::string_view key) const;
  bool read_only = false;  // for reading only, whatever the keys say (Connection::SetMode)
};

// Throws Error(errc::kInvalidCall) naming what is wrong: a pair without '=', an empty key,
// an unterminated quote, text after a closing quote, a key given twice, or no provider.
ConnectionSettings ParseConnectionString(std::string_view text);

}  // namespace kelvo::data

#endif  // KELVO_DATA_CONNECTION_STRING_H_
