#include "site/static_assets.h"

#include <gtest/gtest.h>

#include "site/html_text.h"

namespace kelvo::site {
namespace {

TEST(HtmlTextTest, PathSegmentsAreSafeInsideAttributes) {
  EXPECT_EQ(EncodePathSegment("orders_2024-v1.x~"), "orders_2024-v1.x~");
  EXPECT_EQ(EncodePathSegment("we\"ird <t>/é"), "we%22ird%20%3Ct%3E%2F%C3%A9");
}

TEST(StaticAssetsTest, ImagesStylesheetAndIconResolveFromAnyPageDepth) {
  StaticAsset asset;
  ASSERT_TRUE(FindStaticAsset("/gfx/firstpg.gif", asset));
  EXPECT_EQ(asset.content_type, "image/gif");
  EXPECT_TRUE(FindStaticAsset("/table/gfx/orderasc.gif", asset));
  ASSERT_TRUE(FindStaticAsset("/kelvo/kelvo.css", asset));
  EXPECT_EQ(asset.content_type, "text/css; charset=utf-8");
  EXPECT_NE(asset.bytes.find(".KLVOTableNavBar"), std::string_view::npos);
  EXPECT_FALSE(FindStaticAsset("/gfx/unknown.gif", asset));
  EXPECT_FALSE(FindStaticAsset("/xgfx/firstpg.gif", asset));
  EXPECT_FALSE(FindStaticAsset("/kelvo/other.css", asset));
  EXPECT_FALSE(FindStaticAsset("/firstpg.gif", asset));
  // Browsers ask for the icon at the site's root only.
  ASSERT_TRUE(FindStaticAsset("/favicon.ico", asset));
  EXPECT_EQ(asset.content_type, "image/gif");
  EXPECT_TRUE(asset.bytes.starts_with("GIF89a"));
  EXPECT_FALSE(FindStaticAsset("/table/favicon.ico", asset));
}

}  // namespace
}  // namespace kelvo::site
