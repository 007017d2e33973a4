#include "viewer/core/web_link_detector.h"

#include <gtest/gtest.h>

#include "viewer/core/ansi_html.h"

namespace vesket::viewer {
namespace {

struct LinkCase {
  const char* text;
  std::vector<std::string> urls;
};

class WebLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(WebLinks, FindsHttpAndHttpsOnly) {
  std::vector<std::string> urls;
  const std::string text = GetParam().text;
  for (const WebLink& link : WebLinkDetector::find(text)) {
    EXPECT_EQ(text.substr(link.begin, link.end - link.begin), link.url);
    urls.push_back(link.url);
  }
  EXPECT_EQ(urls, GetParam().urls) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebLinks,
    ::testing::Values(
        LinkCase{"see https://example.com/a?b=1#c now", {"https://example.com/a?b=1#c"}},
        LinkCase{"http://x.io and https://y.io/p", {"http://x.io", "https://y.io/p"}},
        LinkCase{"end of sentence: https://example.com/docs.", {"https://example.com/docs"}},
        LinkCase{"(see https://en.wikipedia.org/wiki/Tmux_(software))",
                 {"https://en.wikipedia.org/wiki/Tmux_(software)"}},
        LinkCase{"(https://example.com)", {"https://example.com"}},
        LinkCase{"<https://example.com/x>", {"https://example.com/x"}},
        LinkCase{"│ https://example.com/x │", {"https://example.com/x"}},
        LinkCase{"https://例え.jp/パス ok", {"https://例え.jp/パス"}},
        LinkCase{"truncated https://example.com/very/long…", {"https://example.com/very/long"}},
        LinkCase{"“https://example.com/q” 和 https://example.cn/页。",
                 {"https://example.com/q", "https://example.cn/页"}},
        LinkCase{"mail me@example.com or example.com", {}},
        LinkCase{"ftp://example.com file:///tmp", {}},
        LinkCase{"xhttps://example.com HTTPS://EXAMPLE.COM https:// https://", {}}));

TEST(AnsiHtml, RunsBecomeSpansAndLinksAnchors) {
  AnsiHtmlOptions options;
  options.detectLinks = true;
  options.defaultForeground = AnsiRgb::grey(1.0);
  options.accentColor = {0, 0, 1, 1};
  const std::string html =
      AnsiHtml::fromAnsi("\x1B[1;31mgo <https://a.io/x\x1B[0m/y> & done\r\n", options);
  EXPECT_EQ(html,
            "<span style=\"white-space:pre-wrap\">"
            "<span style=\"color:#ff8080;font-weight:bold\">go &lt;</span>"
            "<a href=\"https://a.io/x/y\"><span style=\"color:#0000ff;font-weight:bold;"
            "text-decoration:underline\">https://a.io/x</span></a>"
            "<a href=\"https://a.io/x/y\"><span style=\"color:#0000ff;"
            "text-decoration:underline\">/y</span></a>"
            "<span style=\"color:#ffffff\">&gt; &amp; done<br/></span></span>");
}

TEST(AnsiHtml, LightCanvasUsesLightPaletteAndResolvesAppearance) {
  AnsiHtmlOptions options;
  options.onDarkCanvas = false;
  options.darkAppearance = false;
  EXPECT_EQ(AnsiHtml::fromAnsi("\x1B[37mw", options),
            "<span style=\"white-space:pre-wrap\"><span style=\"color:#474747\">w</span></span>");
  // A near-white true colour is darkened under the light appearance, kept under the dark.
  const std::string lightHtml = AnsiHtml::fromAnsi("\x1B[38;2;250;250;250mw", options);
  EXPECT_EQ(lightHtml.find("#fafafa"), std::string::npos);
  options.darkAppearance = true;
  EXPECT_NE(AnsiHtml::fromAnsi("\x1B[38;2;250;250;250mw", options).find("#fafafa"),
            std::string::npos);
}

}  // namespace
}  // namespace vesket::viewer
