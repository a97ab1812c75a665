// What a page sees of an HTTP request, and the access log's lines.
#include "server/http_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "server/access_log.h"

namespace kelvo::server {
namespace {

TEST(HttpRequestTest, ServerVariablesCookiesAndQueryComeFromTheRequest) {
  HttpRequest http;
  http.method = "POST";
  http.target = "/orders?Vexmo1CurrRecord=21&x=%41";
  http.path = DecodeTargetPath(http.target);
  http.version = "HTTP/1.1";
  http.remote_addr = "127.0.0.5";
  http.remote_port = 4321;
  http.local_port = 8081;
  http.headers.emplace_back("Host", "example.test:8081");
  http.headers.emplace_back("User-Agent", "Probe/1.0");
  http.headers.emplace_back("Content-Type", "application/x-www-form-urlencoded");
  http.headers.emplace_back("Cookie", "theme=dark; who=J%C3%B8rn+B; flag");

  Request request(MakeRequestData(http, "a=1&b=2", "/orders", "127.0.0.1"));
  EXPECT_EQ(http.path, "/orders");
  EXPECT_EQ(DecodeTargetPath("/table/we%22ird%20%3Ct%3E?x=%41"), "/table/we\"ird <t>");
  EXPECT_EQ(DecodeTargetPath("/a%2/b%zz+c"), "/a%2/b%zz+c");
  EXPECT_EQ(request.ServerVariables("SCRIPT_NAME"), "/orders");
  EXPECT_EQ(request.ServerVariables("REQUEST_METHOD"), "POST");
  EXPECT_EQ(request.ServerVariables("QUERY_STRING"), "Vexmo1CurrRecord=21&x=%41");
  EXPECT_EQ(request.ServerVariables("CONTENT_TYPE"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.ServerVariables("CONTENT_LENGTH"), "7");
  EXPECT_EQ(request.ServerVariables("REMOTE_ADDR"), "127.0.0.5");
  EXPECT_EQ(request.ServerVariables("HTTP_HOST"), "example.test:8081");
  EXPECT_EQ(request.ServerVariables("SERVER_NAME"), "example.test");
  EXPECT_EQ(request.ServerVariables("SERVER_PORT"), "8081");
  EXPECT_EQ(request.ServerVariables("HTTPS"), "off");
  EXPECT_EQ(request.ServerVariables("HTTP_USER_AGENT"), "Probe/1.0");
  EXPECT_EQ(request.QueryString().Get("x"), "A");
  EXPECT_EQ(request.Item("vexmo1currrecord"), "21");
  EXPECT_EQ(request.Form().Get("b"), "2");
  EXPECT_EQ(request.Cookies().Get("theme"), "dark");
  EXPECT_EQ(request.Cookies().Get("who"), "Jørn B");
  ASSERT_NE(request.Cookies().Find("flag"), nullptr);
}

TEST(HttpRequestTest, ServerNameFallsBackToTheBoundHost) {
  HttpRequest http;
  http.method = "GET";
  http.target = "/";
  Request request(MakeRequestData(http, "", "/", "127.0.0.1"));
  EXPECT_EQ(request.ServerVariables("SERVER_NAME"), "127.0.0.1");
  EXPECT_EQ(request.ServerVariables("QUERY_STRING"), "");
}

TEST(AccessLogTest, OneLineWithStatusBytesAndTime) {
  AccessRecord record;
  record.remote_addr = "127.0.0.1";
  record.method = "GET";
  record.target = "/orders?x=1";
  record.version = "HTTP/1.1";
  record.status = 200;
  record.bytes = 5120;
  record.elapsed = std::chrono::microseconds(1234);
  const auto when = std::chrono::system_clock::from_time_t(1793527200);  // 2026-11-01 10:00
  EXPECT_EQ(FormatAccessLine(record, when),
            "127.0.0.1 - - [01/Nov/2026:10:00:00 +0000] \"GET /orders?x=1 HTTP/1.1\" 200 5120 "
            "1.234ms");
}

TEST(AccessLogTest, ARequestCannotForgeLines) {
  AccessRecord record;
  record.method = "GET";
  record.target = "/x\r\n127.0.0.1 \"forged\"";
  const std::string line = FormatAccessLine(record, std::chrono::system_clock::now());
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_NE(line.find("/x\\x0D\\x0A127.0.0.1 \\x22forged\\x22"), std::string::npos) << line;
  EXPECT_EQ(line.rfind("- - - [", 0), 0u);
}

// Targets are scanned eight bytes at a time: every byte to escape is found wherever it falls
// in a word, beside bytes on either side of the ones escaped (0x1F and 0x20, 0x7E and 0x80).
TEST(AccessLogTest, EveryByteToEscapeIsFoundAtEveryPlace) {
  AccessRecord record;
  record.method = "GET";
  record.version = "HTTP/1.1";
  const auto escaped = [](unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == '"' || byte == '\\';
  };
  for (int byte = 0; byte < 256; ++byte) {
    for (std::size_t at = 0; at < 19; ++at) {
      std::string target(19, 'a');
      target[at] = static_cast<char>(byte);
      if (at + 1 < target.size()) target[at + 1] = '\x80';
      record.target = target;
      const std::string line = FormatAccessLine(record, std::chrono::system_clock::now());
      const std::size_t start = line.find("GET ") + 4;
      const std::string logged = line.substr(start, line.find(" HTTP/1.1") - start);
      std::string expected = target;
      if (escaped(static_cast<unsigned char>(byte))) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        expected.replace(at, 1, std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF]);
      }
      ASSERT_EQ(logged, expected) << "byte " << byte << " at " << at;
    }
  }
}

}  // namespace
}  // namespace kelvo::server
