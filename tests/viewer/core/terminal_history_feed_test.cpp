#include "viewer/core/terminal_history_feed.h"

#include <gtest/gtest.h>

#include <string>

namespace vesket::viewer {
namespace {

const std::string kWrapped = "This paragraph was wrapped by the agent at forty";

TEST(TerminalHistoryFeed, PassesChunksThroughWhenOff) {
  TerminalHistoryFeed feed(false);
  EXPECT_EQ(feed.chunk("\u23fa " + kWrapped + "\r\n"), "\u23fa " + kWrapped + "\r\n");
  EXPECT_EQ(feed.chunk("  columns\r\n"), "  columns\r\n");
  EXPECT_EQ(feed.end(), std::nullopt);
}

TEST(TerminalHistoryFeed, CollectsAndRejoinsAcrossChunksWhenOn) {
  TerminalHistoryFeed feed(true);
  // The wrap falls between two chunks, and so does the first byte of "⏺".
  const std::string text = "$ ls\r\n\u23fa " + kWrapped + "\r\n  columns and more.\r\n";
  const std::size_t splitInsideOpener = 7;
  EXPECT_EQ(feed.chunk(text.substr(0, splitInsideOpener)), std::nullopt);
  EXPECT_EQ(feed.chunk(text.substr(splitInsideOpener, 40)), std::nullopt);
  EXPECT_EQ(feed.chunk(text.substr(splitInsideOpener + 40)), std::nullopt);
  EXPECT_EQ(feed.end(), "$ ls\r\n\u23fa " + kWrapped + " columns and more.\r\n");
  EXPECT_EQ(feed.end(), std::nullopt);  // delivered once
}

TEST(TerminalHistoryFeed, EmptyHistoryDeliversNothing) {
  TerminalHistoryFeed feed(true);
  EXPECT_EQ(feed.end(), std::nullopt);
}

TEST(TerminalHistoryFeed, OlderHistorySource) {
  using Source = TerminalHistoryFeed::OlderHistorySource;
  struct Case {
    bool rewrap, served, turns;
    Source source;
  };
  const Case cases[] = {
      {true, false, true, Source::synthetic},  {true, true, true, Source::transport},
      {true, false, false, Source::transport}, {false, false, true, Source::transport},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TerminalHistoryFeed::olderHistorySource(c.rewrap, c.served, c.turns), c.source)
        << c.rewrap << c.served << c.turns;
  }
}

}  // namespace
}  // namespace vesket::viewer
