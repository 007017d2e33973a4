#include "viewer/core/terminal_history_wrapper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vesket::viewer {
namespace {

using inbox::ContentBlock;
using inbox::ConversationTurn;
using Wrapper = TerminalHistoryWrapper;
using Lines = std::vector<std::string>;

ConversationTurn turn(std::string role, std::vector<ContentBlock> blocks) {
  return ConversationTurn{"t-" + role, std::move(role), std::nullopt, std::move(blocks)};
}

// Turns of three rendered lines each: header, one text line, the empty line.
std::vector<ConversationTurn> shortTurns(int count) {
  std::vector<ConversationTurn> turns;
  for (int k = 0; k < count; ++k) turns.push_back(turn("user", {ContentBlock::text("turn " + std::to_string(k))}));
  return turns;
}

TEST(TerminalHistoryWrapper, RendersEveryBlockKind) {
  const std::vector<ConversationTurn> turns = {
      turn("user", {ContentBlock::text("please fix the parser")}),
      turn("assistant",
           {ContentBlock::thinking("the escape handling looks wrong"), ContentBlock::toolUse("a", "Read"),
            ContentBlock::toolResult("a", "12 lines"), ContentBlock::toolResult("b", std::nullopt),
            ContentBlock::toolResult("c", ""), ContentBlock::image("image/png", "AAAA"),
            ContentBlock::unknown("server_tool_use"), ContentBlock::text("Fixed it.")}),
  };
  const std::string expected =
      "\u2500\u2500 user \u2500\u2500\r\n"
      "please fix the\r\n"
      "parser\r\n"
      "\r\n"
      "\u2500\u2500 assistant \u2500\u2500\r\n"
      "[thinking]\r\n"
      "the escape\r\n"
      "handling looks\r\n"
      "wrong\r\n"
      "[tool: Read]\r\n"
      "[tool result]\r\n"
      "12 lines\r\n"
      "[tool result]\r\n"
      "[tool result]\r\n"
      "[image]\r\n"
      "[server_tool_use]\r\n"
      "Fixed it.\r\n";
  EXPECT_EQ(Wrapper::render(turns, 15), expected);
  EXPECT_EQ(Wrapper::render({}, 80), "");
}

TEST(TerminalHistoryWrapper, Wrap) {
  struct Case {
    const char* name;
    std::string text;
    int width;
    Lines lines;
  };
  const std::vector<Case> cases = {
      {"short lines unchanged, indentation kept", "  short\nline", 10, {"  short", "line"}},
      {"prose refilled, indentation dropped", "    one two three four", 10, {"one two", "three four"}},
      {"runs of blanks collapse", "alpha \t  beta   gamma", 11, {"alpha beta", "gamma"}},
      {"a long word stands alone", "a incomprehensibilities b", 10, {"a", "incomprehensibilities", "b"}},
      {"fence kept", "```\na very long line of code here\n```\nwrapped prose here", 10,
       {"```", "a very long line of code here", "```", "wrapped", "prose here"}},
      {"table row kept", "| a long table cell | another cell |", 10, {"| a long table cell | another cell |"}},
      {"table rule kept", ":---------- | ----------", 10, {":---------- | ----------"}},
      {"box drawing kept", "\u256d\u2500\u2500\u2500 a long box title \u2500\u2500\u256e", 10,
       {"\u256d\u2500\u2500\u2500 a long box title \u2500\u2500\u256e"}},
      {"plus pipe dash rule kept", "+----------+----------+", 10, {"+----------+----------+"}},
      {"characters, not columns", "\u65e5\u672c\u8a9e \u3067\u3059 \u306d", 5,
       {"\u65e5\u672c\u8a9e", "\u3067\u3059 \u306d"}},
      {"empty text is one empty line", "", 10, {""}},
      {"blank line kept", "a\n\nb", 10, {"a", "", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Wrapper::wrap(c.text, c.width), c.lines) << c.name;
}

TEST(TerminalHistoryWrapper, WrapProseLineFitsExactly) {
  EXPECT_EQ(Wrapper::wrapProseLine("abcde fghij", 11), Lines{"abcde fghij"});
  EXPECT_EQ(Wrapper::wrapProseLine("abcde fghij", 10), (Lines{"abcde", "fghij"}));
  EXPECT_EQ(Wrapper::wrapProseLine("abc de fg", 6), (Lines{"abc de", "fg"}));
  EXPECT_EQ(Wrapper::wrapProseLine("          ", 3), Lines{""});
}

TEST(TerminalHistoryWrapper, TurnsExcludingTrailingBudget) {
  const auto turns = shortTurns(5);
  ASSERT_EQ(Wrapper::lineCount(Wrapper::render({turns[0]}, 80)), 3u);
  struct Case {
    int budget;
    std::size_t kept;
  };
  const std::vector<Case> cases = {
      {0, 5}, {-1, 5}, {1, 4}, {3, 4}, {4, 3}, {6, 3}, {7, 2}, {15, 0}, {100, 0},
  };
  for (const Case& c : cases) {
    const auto kept = Wrapper::turnsExcludingTrailingBudget(turns, 80, c.budget);
    ASSERT_EQ(kept.size(), c.kept) << "budget " << c.budget;
    for (std::size_t k = 0; k < kept.size(); ++k) EXPECT_EQ(kept[k], turns[k]);
  }

  // The bridge's budget: 83 newest turns make 249 lines, the 84th crosses 250 and goes too.
  EXPECT_EQ(Wrapper::turnsExcludingTrailingBudget(shortTurns(100), 80, Wrapper::kLineBudget).size(), 16u);
}

TEST(TerminalHistoryWrapper, SyntheticOlderHistory) {
  const auto none = Wrapper::syntheticOlderHistory({}, 80);
  EXPECT_EQ(none.chunk, "");
  EXPECT_EQ(none.lines, 0u);
  EXPECT_EQ(Wrapper::syntheticOlderHistory(shortTurns(10), 80).lines, 0u);

  const auto older = Wrapper::syntheticOlderHistory(shortTurns(90), 80);
  // 84 newest turns are left out; 6 remain, three lines each.
  EXPECT_EQ(older.lines, 18u);
  EXPECT_TRUE(older.chunk.starts_with("\u2500\u2500 user \u2500\u2500\r\nturn 0\r\n\r\n"));
  EXPECT_TRUE(older.chunk.ends_with("turn 5\r\n"));
}

TEST(TerminalHistoryWrapper, LineCount) {
  EXPECT_EQ(Wrapper::lineCount(""), 0u);
  EXPECT_EQ(Wrapper::lineCount("a"), 1u);
  EXPECT_EQ(Wrapper::lineCount("a\r\n"), 2u);
  EXPECT_EQ(Wrapper::lineCount("a\nb\r\nc"), 2u);
}

}  // namespace
}  // namespace vesket::viewer
