#include "viewer/core/web_link_detector.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vesket::viewer
