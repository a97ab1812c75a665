#include <string>
#include <string_view>
#include <utility>

#include "host/ascii_case.h"
#include "kelvo/host.h"

namespace kelvo {
namespace {

constexpr std::string_view kFormMediaType = "application/x-www-form-urlencoded";

void AddDefault(RequestCollection& variables, std::string_view name, std::string value) {
  if (variables.Find(name) == nullptr) variables.Add(std::string(name), std::move(value));
}

// The media type of a Content-Type value, without its parameters and surrounding blanks.
std::string_view MediaType(std::string_view content_type) {
  content_type = content_type.substr(0, content_type.find(';'));
  const auto first = content_type.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = content_type.find_last_not_of(" \t");
  return content_type.substr(first, last - first + 1);
}

}  // namespace

Request::Request(RequestData data) {
  for (auto& [name, value] : data.server_variables) {
    server_variables_.Add(std::move(name), std::move(value));
  }
  AddDefault(server_variables_, "SCRIPT_NAME", "");
  AddDefault(server_variables_, "REQUEST_METHOD", "GET");
  AddDefault(server_variables_, "QUERY_STRING", data.query_string);
  AddDefault(server_variables_, "CONTENT_TYPE", "");
  AddDefault(server_variables_, "CONTENT_LENGTH", std::to_string(data.body.size()));
  AddDefault(server_variables_, "REMOTE_ADDR", "127.0.0.1");
  AddDefault(server_variables_, "HTTP_HOST", "localhost");
  AddDefault(server_variables_, "SERVER_NAME", "localhost");
  AddDefault(server_variables_, "SERVER_PORT", "80");
  AddDefault(server_variables_, "SERVER_PROTOCOL", "HTTP/1.1");
  AddDefault(server_variables_, "HTTPS", "off");

  ParseUrlEncoded(data.query_string, query_);
  if (IsPost() &&
      host::EqualsIgnoringAsciiCase(MediaType(ServerVariables("CONTENT_TYPE")), kFormMediaType)) {
    ParseUrlEncoded(data.body, form_);
  }
  for (auto& [name, value] : data.cookies) cookies_.Add(std::move(name), std::move(value));
}

std::string Request::Item(std::string_view name) const {
  const RequestCollection::Entry* entry = FindItem(name);
  return entry == nullptr ? std::string() : RequestCollection::ValueText(*entry);
}

const RequestCollection::Entry* Request::FindItem(std::string_view name) const {
  for (const RequestCollection* collection : {&query_, &form_, &cookies_, &server_variables_}) {
    if (const RequestCollection::Entry* entry = collection->Find(name)) return entry;
  }
  return nullptr;
}

std::string Request::ServerVariables(std::string_view name) const {
  return server_variables_.Get(name);
}

bool Request::IsPost() const {
  return host::EqualsIgnoringAsciiCase(ServerVariables("REQUEST_METHOD"), "POST");
}

}  // namespace kelvo
