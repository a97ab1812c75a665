#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvo/error.h"
#include "kelvo/host.h"

namespace kelvo {
namespace {

// Records every call; reports the client gone after `accepted_chunks` body chunks.
class RecordingSink final : public ResponseSink {
 public:
  void SendHead(int status, const NameValueList& headers) override {
    ++heads;
    this->status = status;
    this->headers = headers;
  }
  bool SendBody(std::string_view bytes) override {
    if (chunks.size() >= accepted_chunks) return false;
    chunks.emplace_back(bytes);
    return true;
  }
  std::string Body() const {
    std::string body;
    for (const std::string& chunk : chunks) body += chunk;
    return body;
  }

  int heads = 0;
  int status = 0;
  NameValueList headers;
  std::vector<std::string> chunks;
  std::size_t accepted_chunks = 1000;
};

TEST(ResponseTest, BuffersWritesInOrderUntilFinish) {
  RecordingSink sink;
  Response response(sink);
  response.Write("<p>");
  response.Write("");
  response.Write("one");
  response.Write("</p>");
  EXPECT_EQ(response.Buffered(), "<p>one</p>");
  EXPECT_EQ(sink.heads, 0);
  response.Finish();
  response.Finish();
  EXPECT_EQ(sink.heads, 1);
  EXPECT_EQ(sink.status, 200);
  EXPECT_EQ(sink.chunks, std::vector<std::string>{"<p>one</p>"});
  EXPECT_TRUE(response.HasEnded());
  response.Write("late");
  EXPECT_EQ(sink.Body(), "<p>one</p>");
}

TEST(ResponseTest, ClearDiscardsBodyButKeepsHead) {
  RecordingSink sink;
  Response response(sink);
  response.SetContentType("application/vnd.ms-excel");
  response.AddHeader("content-disposition", "attachment; filename=KelvoExcelExport.xls");
  response.Write("page so far");
  response.Clear();
  response.Write("<table>");
  response.Finish();
  EXPECT_EQ(sink.Body(), "<table>");
  EXPECT_EQ(sink.headers,
            (NameValueList{{"Content-Type", "application/vnd.ms-excel"},
                           {"content-disposition", "attachment; filename=KelvoExcelExport.xls"}}));
}

TEST(ResponseTest, EndSendsTheBufferAndStopsTheCaller) {
  RecordingSink sink;
  Response response(sink);
  response.Write("before");
  bool ran_after_end = false;
  EXPECT_THROW(
      {
        response.End();
        ran_after_end = true;
      },
      PageEnded);
  EXPECT_FALSE(ran_after_end);
  EXPECT_EQ(sink.Body(), "before");
  response.Write("after");
  response.Clear();
  response.Finish();
  EXPECT_THROW(response.End(), PageEnded);
  EXPECT_EQ(sink.heads, 1);
  EXPECT_EQ(sink.Body(), "before");
}

TEST(ResponseTest, TextTypesAreSentAsUtf8) {
  RecordingSink html_sink;
  Response html(html_sink);
  html.Finish();
  EXPECT_EQ(html.ContentType(), "text/html");
  EXPECT_EQ(html_sink.headers, (NameValueList{{"Content-Type", "text/html; charset=utf-8"}}));

  RecordingSink latin_sink;
  Response latin(latin_sink);
  latin.SetContentType("text/plain; Charset=ISO-8859-1");
  latin.Finish();
  EXPECT_EQ(latin_sink.headers[0].second, "text/plain; Charset=ISO-8859-1");

  RecordingSink untyped_sink;
  Response untyped(untyped_sink);
  untyped.SetContentType("");
  untyped.SetStatus(204);
  untyped.Finish();
  EXPECT_EQ(untyped_sink.status, 204);
  EXPECT_TRUE(untyped_sink.headers.empty());
}

TEST(ResponseTest, ContentTypeHeaderReplacesTheContentType) {
  RecordingSink sink;
  Response response(sink);
  response.AddHeader("content-type", "text/csv; charset=utf-8");
  response.Finish();
  EXPECT_EQ(response.ContentType(), "text/csv; charset=utf-8");
  EXPECT_EQ(sink.headers, (NameValueList{{"Content-Type", "text/csv; charset=utf-8"}}));
}

TEST(ResponseTest, RejectsHeaderSplittingAndBadStatus) {
  RecordingSink sink;
  Response response(sink);
  EXPECT_THROW(response.AddHeader("X-Name", "a\r\nSet-Cookie: evil=1"), Error);
  EXPECT_THROW(response.AddHeader("Bad Name", "v"), Error);
  EXPECT_THROW(response.AddHeader("X-Split:\r\n", "v"), Error);
  EXPECT_THROW(response.AddHeader("", "v"), Error);
  EXPECT_THROW(response.SetContentType("text/html\nX-Injected: 1"), Error);
  EXPECT_THROW(response.AddHeader("Content-Type", std::string("a\0b", 3)), Error);
  EXPECT_THROW(response.SetStatus(99), Error);
  EXPECT_THROW(response.SetStatus(600), Error);
  response.AddHeader("X-Tab", "a\tb");
  response.Finish();
  EXPECT_EQ(sink.status, 200);
  EXPECT_EQ(sink.headers,
            (NameValueList{{"Content-Type", "text/html; charset=utf-8"}, {"X-Tab", "a\tb"}}));
}

TEST(ResponseTest, StreamingSendsHeadOnceThenEachWrite) {
  RecordingSink sink;
  Response response(sink);
  response.SetContentType("application/octet-stream");
  response.AddHeader("X-Part", "1");
  response.Write("buffered");
  response.StartStreaming();
  response.StartStreaming();
  EXPECT_TRUE(response.IsStreaming());
  EXPECT_EQ(response.Buffered(), "");
  response.Write("chunk1");
  response.Write("chunk2");
  response.Finish();
  EXPECT_EQ(sink.heads, 1);
  EXPECT_EQ(sink.headers,
            (NameValueList{{"Content-Type", "application/octet-stream"}, {"X-Part", "1"}}));
  EXPECT_EQ(sink.chunks, (std::vector<std::string>{"buffered", "chunk1", "chunk2"}));
}

TEST(ResponseTest, HeadCannotChangeOrBeClearedOnceSent) {
  RecordingSink sink;
  Response response(sink);
  response.StartStreaming();
  response.Write("sent");
  EXPECT_THROW(response.Clear(), Error);
  EXPECT_THROW(response.AddHeader("X-Late", "1"), Error);
  EXPECT_THROW(response.SetContentType("text/plain"), Error);
  EXPECT_THROW(response.SetStatus(500), Error);
  response.Finish();
  EXPECT_EQ(sink.Body(), "sent");
  EXPECT_EQ(sink.status, 200);
}

TEST(ResponseTest, DropsOutputOnceTheClientHasGone) {
  RecordingSink sink;
  sink.accepted_chunks = 1;
  Response response(sink);
  response.StartStreaming();
  response.Write("first");
  EXPECT_TRUE(response.IsClientConnected());
  response.Write("refused");
  EXPECT_FALSE(response.IsClientConnected());
  response.Write("dropped");
  response.Finish();
  EXPECT_EQ(sink.chunks, std::vector<std::string>{"first"});
  EXPECT_EQ(response.Buffered(), "");
}

TEST(ResponseTest, BufferedPageToAGoneClientReportsDisconnect) {
  RecordingSink sink;
  sink.accepted_chunks = 0;
  Response response(sink);
  response.Write("page");
  response.Finish();
  EXPECT_FALSE(response.IsClientConnected());
  EXPECT_EQ(sink.heads, 1);
}

}  // namespace
}  // namespace kelvo
