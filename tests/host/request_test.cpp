#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvo/host.h"

namespace kelvo {
namespace {

TEST(RequestTest, ItemLooksUpQueryThenFormThenCookiesThenServerVariables) {
  RequestData data = RequestData::Post("/page.asp", "name=form&only_form=f", "NAME=query");
  data.cookies = {{"name", "cookie"}, {"session", "s1"}, {"request_method", "cookie-method"}};
  const Request request(std::move(data));
  EXPECT_EQ(request.Item("Name"), "query");
  EXPECT_EQ(request.Item("ONLY_FORM"), "f");
  EXPECT_EQ(request.Item("Session"), "s1");
  EXPECT_EQ(request.Item("Request_Method"), "cookie-method");
  EXPECT_EQ(request.Item("script_name"), "/page.asp");
  EXPECT_EQ(request.Item("absent"), "");
}

TEST(RequestTest, ItemOfAnEmptyQueryValueHidesLaterCollections) {
  const Request request(RequestData::Post("/p", "k=posted", "k="));
  EXPECT_EQ(request.Item("k"), "");
}

TEST(RequestTest, CollectionsKeepKeysInOrderWithAllValues) {
  const Request request(RequestData::Post("/p", "b=1&a=2&b=3", "z=1&y=2"));
  ASSERT_EQ(request.Form().entries().size(), 2u);
  EXPECT_EQ(request.Form().entries()[0].key, "b");
  EXPECT_EQ(request.Form().entries()[0].values, (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(request.Item("b"), "1, 3");
  ASSERT_EQ(request.QueryString().entries().size(), 2u);
  EXPECT_EQ(request.QueryString().entries()[1].key, "y");
}

TEST(RequestTest, PlusIsABlankButEscapedPlusIsAPlus) {
  const Request request(RequestData::Get("/p", "a=1+2&b=1%2B2"));
  EXPECT_EQ(request.Item("a"), "1 2");
  EXPECT_EQ(request.Item("b"), "1+2");
}

TEST(RequestTest, FormIsParsedOnlyForUrlEncodedPosts) {
  RequestData get = RequestData::Get("/p");
  get.body = "x=1";
  get.server_variables.emplace_back("CONTENT_TYPE", "application/x-www-form-urlencoded");
  EXPECT_TRUE(Request(std::move(get)).Form().entries().empty());

  RequestData multipart = RequestData::Post("/p", "x=1");
  multipart.server_variables = {{"REQUEST_METHOD", "POST"},
                                {"CONTENT_TYPE", "multipart/form-data; boundary=x"}};
  const Request multipart_request(std::move(multipart));
  EXPECT_TRUE(multipart_request.IsPost());
  EXPECT_TRUE(multipart_request.Form().entries().empty());

  RequestData untyped = RequestData::Post("/p", "x=1");
  untyped.server_variables = {{"REQUEST_METHOD", "POST"}};
  EXPECT_TRUE(Request(std::move(untyped)).Form().entries().empty());

  RequestData with_charset = RequestData::Post("/p", "x=1");
  with_charset.server_variables = {
      {"request_method", "post"},
      {"Content-Type", "ignored/other"},
      {"CONTENT_TYPE", " Application/X-WWW-Form-Urlencoded ; charset=UTF-8"}};
  const Request charset_request(std::move(with_charset));
  EXPECT_TRUE(charset_request.IsPost());
  EXPECT_EQ(charset_request.Form().Get("x"), "1");
}

TEST(RequestTest, FillsServerVariableDefaults) {
  const Request request(RequestData{"a=1&b=2", "", {}, {}});
  EXPECT_EQ(request.ServerVariables("REQUEST_METHOD"), "GET");
  EXPECT_FALSE(request.IsPost());
  EXPECT_EQ(request.ServerVariables("QUERY_STRING"), "a=1&b=2");
  EXPECT_EQ(request.ServerVariables("SCRIPT_NAME"), "");
  EXPECT_EQ(request.ServerVariables("CONTENT_TYPE"), "");
  EXPECT_EQ(request.ServerVariables("CONTENT_LENGTH"), "0");
  EXPECT_EQ(request.ServerVariables("REMOTE_ADDR"), "127.0.0.1");
  EXPECT_EQ(request.ServerVariables("HTTP_HOST"), "localhost");
  EXPECT_EQ(request.ServerVariables("SERVER_NAME"), "localhost");
  EXPECT_EQ(request.ServerVariables("SERVER_PORT"), "80");
  EXPECT_EQ(request.ServerVariables("HTTPS"), "off");
  EXPECT_EQ(request.ServerVariables("NO_SUCH_VARIABLE"), "");
}

TEST(RequestTest, ConnectorServerVariablesWinOverDefaults) {
  RequestData data = RequestData::Post("/app/grid.asp", "a=%41");
  data.server_variables.emplace_back("REMOTE_ADDR", "10.1.2.3");
  data.server_variables.emplace_back("http_host", "example.test:8080");
  const Request request(std::move(data));
  EXPECT_EQ(request.ServerVariables("script_name"), "/app/grid.asp");
  EXPECT_EQ(request.ServerVariables("REQUEST_METHOD"), "POST");
  EXPECT_EQ(request.ServerVariables("CONTENT_LENGTH"), "5");
  EXPECT_EQ(request.ServerVariables("REMOTE_ADDR"), "10.1.2.3");
  EXPECT_EQ(request.ServerVariables("HTTP_HOST"), "example.test:8080");
  EXPECT_EQ(request.Form().Get("A"), "A");
}

TEST(RequestTest, CookiesAreKeptDecodedAsGiven) {
  RequestData data = RequestData::Get("/p");
  data.cookies = {{"theme", "dark+blue%21"}, {"Theme", "second"}};
  const Request request(std::move(data));
  EXPECT_EQ(request.Cookies().Get("THEME"), "dark+blue%21, second");
}

}  // namespace
}  // namespace kelvo
