#include <string>
#include <utility>

#include "kelvo/host.h"

namespace kelvo {

RequestData RequestData::Get(std::string script_name, std::string query_string) {
  RequestData data;
  data.server_variables = {{"SCRIPT_NAME", std::move(script_name)},
                           {"REQUEST_METHOD", "GET"},
                           {"QUERY_STRING", query_string}};
  data.query_string = std::move(query_string);
  return data;
}

RequestData RequestData::Post(std::string script_name, std::string form_body,
                              std::string query_string) {
  RequestData data;
  data.server_variables = {{"SCRIPT_NAME", std::move(script_name)},
                           {"REQUEST_METHOD", "POST"},
                           {"QUERY_STRING", query_string},
                           {"CONTENT_TYPE", "application/x-www-form-urlencoded"},
                           {"CONTENT_LENGTH", std::to_string(form_body.size())}};
  data.query_string = std::move(query_string);
  data.body = std::move(form_body);
  return data;
}

}  // namespace kelvo
