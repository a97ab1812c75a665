#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "kelvo/error.h"
#include "kelvo/host.h"
#include "kelvo/locale.h"

namespace kelvo {
namespace {

TEST(MemoryPageTest, RunsThePageAndKeepsWhatItSent) {
  MemoryPage page(RequestData::Get("/list.asp", "Vexmo1CurrRecord=21&id=7"));
  page.Run([](ScriptingContext& context) {
    Response& response = context.response();
    response.Write("<form action=\"" + context.request().ServerVariables("SCRIPT_NAME") + "\">");
    response.Write(context.request().Item("vexmo1currrecord"));
    response.Write("&id=" + context.server().URLEncode(context.request().Item("ID")));
  });
  EXPECT_EQ(page.status(), 200);
  EXPECT_EQ(page.headers(), (NameValueList{{"Content-Type", "text/html; charset=utf-8"}}));
  EXPECT_EQ(page.output(), "<form action=\"/list.asp\">21&id=7");
  EXPECT_TRUE(page.context()->response().HasEnded());
}

TEST(MemoryPageTest, EndStopsThePageQuietly) {
  MemoryPage page(RequestData::Post("/p", "ToExcel.x=3"));
  bool ran_after_end = false;
  page.Run([&](ScriptingContext& context) {
    Response& response = context.response();
    response.Write("frame");
    response.Clear();
    response.SetContentType("application/vnd.ms-excel");
    response.Write("<table border=1>");
    response.End();
    ran_after_end = true;
  });
  EXPECT_FALSE(ran_after_end);
  EXPECT_EQ(page.output(), "<table border=1>");
  EXPECT_EQ(page.headers(), (NameValueList{{"Content-Type", "application/vnd.ms-excel"}}));
}

TEST(MemoryPageTest, OtherFailuresLeaveRunWithTheResponseUnsent) {
  MemoryPage page(RequestData::Get("/p"));
  EXPECT_THROW(page.Run([](ScriptingContext& context) {
    context.response().Write("partial");
    throw Error(errc::kTypeMismatch, "Type mismatch");
  }),
               Error);
  EXPECT_EQ(page.status(), 0);
  EXPECT_EQ(page.output(), "");
  EXPECT_EQ(page.context()->response().Buffered(), "partial");
}

TEST(MemoryPageTest, LocaleComesFromTheOptions) {
  PageOptions options;
  options.locale = "EN-us";
  MemoryPage page(RequestData::Get("/p"), options);
  EXPECT_EQ(&page.context()->locale(), &Locale::Find("en-US"));
  options.locale = "xx-NOPE";
  EXPECT_THROW(MemoryPage(RequestData::Get("/p"), options), Error);
}

}  // namespace
}  // namespace kelvo
