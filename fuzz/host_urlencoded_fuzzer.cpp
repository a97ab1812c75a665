// Feeds arbitrary bytes to the url-encoded parser and to a whole request, and checks that
// encoding then parsing gives back the original bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "kelvo/host.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckCollection(const kelvo::RequestCollection& collection) {
  for (const auto& entry : collection.entries()) {
    Require(!entry.values.empty());
    Require(collection.Find(entry.key) == &entry);
  }
}

void CheckRoundTrip(const std::string& text) {
  kelvo::RequestCollection value_trip;
  kelvo::ParseUrlEncoded("k=" + kelvo::UrlEncode(text), value_trip);
  Require(value_trip.entries().size() == 1);
  Require(value_trip.entries()[0].values.size() == 1);
  Require(value_trip.entries()[0].values[0] == text);

  if (text.empty()) return;
  kelvo::RequestCollection key_trip;
  kelvo::ParseUrlEncoded(kelvo::UrlEncode(text) + "=v", key_trip);
  Require(key_trip.entries().size() == 1);
  Require(key_trip.entries()[0].key == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string query = provider.ConsumeRandomLengthString();
  const std::string content_type = provider.ConsumeRandomLengthString();
  const std::string body = provider.ConsumeRemainingBytesAsString();

  kelvo::RequestCollection parsed;
  kelvo::ParseUrlEncoded(body, parsed);
  CheckCollection(parsed);
  CheckRoundTrip(query);
  CheckRoundTrip(body);

  kelvo::RequestData request_data;
  request_data.query_string = query;
  request_data.body = body;
  request_data.server_variables = {{"REQUEST_METHOD", "POST"}, {"CONTENT_TYPE", content_type}};
  request_data.cookies.emplace_back(query, body);
  const kelvo::Request request(std::move(request_data));
  CheckCollection(request.QueryString());
  CheckCollection(request.Form());
  for (const auto& entry : request.QueryString().entries()) {
    Require(request.Item(entry.key) == request.QueryString().Get(entry.key));
  }
  for (const auto& entry : request.Form().entries()) {
    if (request.QueryString().Find(entry.key) == nullptr) {
      Require(request.Item(entry.key) == request.Form().Get(entry.key));
    }
  }
  return 0;
}
