#include "viewer/core/history_hard_wrap_joiner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/core/terminal_display_width.h"

namespace vesket::viewer {
namespace {

using Joiner = HistoryHardWrapJoiner;
using Lines = std::vector<std::string>;
using Joins = std::vector<std::size_t>;

// 48 columns, no sentence end, as an agent wraps it at about 50 columns.
const std::string kWrapped = "This paragraph was wrapped by the agent at forty";
// 48 columns beginning with a lowercase word.
const std::string kWrappedLower = "columns and it keeps going on like this for long";

std::string repeat(const std::string& piece, int count) {
  std::string out;
  for (int k = 0; k < count; ++k) out += piece;
  return out;
}

// Pads with spaces to `width` columns, the way Claude Code fills a wrapped row.
std::string padTo(std::string line, int width) {
  const int have = TerminalDisplayWidth::of(line);
  if (have < width) line += std::string(static_cast<std::size_t>(width - have), ' ');
  return line;
}

TEST(HistoryHardWrapJoiner, FixtureWidths) {
  EXPECT_EQ(TerminalDisplayWidth::of(kWrapped), 48);
  EXPECT_EQ(TerminalDisplayWidth::of(kWrappedLower), 48);
}

TEST(HistoryHardWrapJoiner, DecideJoins) {
  struct Case {
    const char* name;
    Lines lines;
    Joins joins;
  };
  const std::string ideographs = repeat("\u5b57", 24);  // 48 columns
  const std::vector<Case> cases = {
      {"word that did not fit is rejoined", {"\u23fa " + kWrapped, "  columns and carries on."}, {0}},
      {"word that would have fitted stays apart",
       {"\u23fa Short first line of the answer",
        "  and a long second line that sets the paragraph width wide.", "  end"},
       {}},
      {"first line ends a sentence", {"\u23fa " + kWrapped + ".", "  columns and more"}, {}},
      {"first line ends with a closing parenthesis", {"\u23fa " + kWrapped + ")", "  columns"}, {}},
      {"next line begins uppercase", {"\u23fa " + kWrapped, "  Columns and more"}, {}},
      {"next line begins with a digit", {"\u23fa " + kWrapped, "  42 columns"}, {}},
      {"paragraph narrower than 40", {"\u23fa short wrapped line", "  continues here"}, {}},
      {"chain of three folds into one", {"\u23fa " + kWrapped, "  " + kWrappedLower, "  tail words."}, {0, 1}},
      {"next line has an opener", {"\u23fa " + kWrapped, "\u23fa columns"}, {}},
      {"next line indented by four", {"\u23fa " + kWrapped, "    columns"}, {}},
      {"next line not indented", {"\u23fa " + kWrapped, "columns"}, {}},
      {"next line blank", {"\u23fa " + kWrapped, "", "  columns"}, {}},
      {"last line", {"\u23fa " + kWrapped}, {}},
      {"outside any block", {kWrapped, "  columns and more"}, {}},
      {"continuation line after a blank line keeps the block",
       {"\u23fa Intro.", "", "  " + kWrapped, "  columns and more"}, {2}},
      {"unindented line ends the block",
       {"\u23fa Intro.", "$ ls", "  " + kWrapped, "  columns and more"}, {}},
      {"inside a fence",
       {"\u23fa Code:", "  ```", "  " + kWrappedLower + " and more code", "  continued code", "  ```"},
       {}},
      {"after a closed fence",
       {"\u23fa Code:", "  ```", "  x", "  ```", "  " + kWrapped, "  columns"}, {4}},
      {"an opener ends an open fence",
       {"\u23fa Code:", "  ```", "  code", "\u23fa " + kWrapped, "  columns wrap"}, {3}},
      {"tool result line is protected", {"\u23fa " + kWrapped, "  \u23bf  columns"}, {}},
      {"table row is protected", {"\u23fa " + kWrapped, "  | columns | x |"}, {}},
      {"box drawing is protected", {"\u23fa " + kWrapped, "  columns \u2502 x"}, {}},
      {"typed input is not rejoined by paragraph width", {"\u276f " + kWrapped, "  columns typed"}, {}},
      {"ideographs rejoin after an ideograph",
       {"\u23fa " + ideographs, "  \u5b57\u5b57\u5b57\u3002"}, {0}},
      {"an ideograph after a Latin line end stays apart",
       {"\u23fa " + kWrapped, "  \u5b57\u5b57\u5b57"}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Joiner::decideJoins(c.lines), c.joins) << c.name;
  }
}

TEST(HistoryHardWrapJoiner, PaddedPairs) {
  // Rows padded to a 60-column window. The first row's text is 52 columns, so the next
  // word cannot have fitted within 59 columns.
  const std::string text52 = kWrapped + " abc";
  ASSERT_EQ(TerminalDisplayWidth::of(text52), 52);
  struct Case {
    const char* name;
    Lines lines;
    Joins joins;
  };
  const std::vector<Case> cases = {
      {"lowercase word", {padTo("\u23fa " + text52, 60), padTo("  handles escapes", 60)}, {0}},
      {"uppercase word joins in a padded pair",
       {padTo("\u23fa " + text52, 60), padTo("  Handles escapes", 60)}, {0}},
      {"typed input joins when padded", {padTo("\u276f " + text52, 60), padTo("  handles it", 60)}, {0}},
      {"word would have fitted",
       {padTo("\u23fa " + kWrapped, 60), padTo("  ok then", 60)}, {}},
      {"different widths are not a padded pair",
       {padTo("\u23fa " + text52, 60), padTo("  Handles escapes", 61)}, {}},
      {"dash list item", {padTo("\u23fa " + text52, 60), padTo("  - item", 60)}, {}},
      {"star list item", {padTo("\u23fa " + text52, 60), padTo("  * item", 60)}, {}},
      {"bullet list item", {padTo("\u23fa " + text52, 60), padTo("  \u2022 item", 60)}, {}},
      {"horizontal rule", {padTo("\u23fa " + text52, 60), padTo("  ---x", 60)}, {}},
      {"numbered item", {padTo("\u23fa " + text52, 60), padTo("  2. second", 60)}, {}},
      {"full-width numbered item", {padTo("\u23fa " + text52, 60), padTo("  \uff12. second", 60)}, {}},
      {"number without a list dot joins", {padTo("\u23fa " + text52, 60), padTo("  123456 was", 60)}, {0}},
      {"next line blank", {padTo("\u23fa " + text52, 60), std::string(60, ' ')}, {}},
      {"narrower than 40 columns", {padTo("\u23fa abc", 39), padTo("  Def", 39)}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Joiner::decideJoins(c.lines), c.joins) << c.name;
  }
}

TEST(HistoryHardWrapJoiner, JoinText) {
  struct Case {
    const char* name;
    std::string text;
    std::string joined;
  };
  const std::vector<Case> cases = {
      {"joined by one space", "\u23fa " + kWrapped + "\n  columns and carries on.",
       "\u23fa " + kWrapped + " columns and carries on."},
      {"trailing padding and indentation removed",
       "\u23fa " + kWrapped + "   \n  columns end.", "\u23fa " + kWrapped + " columns end."},
      {"only two leading spaces of the next line go",
       "\u23fa " + kWrapped + "\n  columns\n   deeper", "\u23fa " + kWrapped + " columns\n   deeper"},
      {"CRLF kept", "\u23fa " + kWrapped + "\r\n  columns here\r\nnext",
       "\u23fa " + kWrapped + " columns here\r\nnext"},
      {"trailing CRLF kept once", "\u23fa " + kWrapped + "\r\n  columns here\r\n",
       "\u23fa " + kWrapped + " columns here\r\n"},
      {"trailing LF kept once", "a\nb\n", "a\nb\n"},
      {"no trailing separator added", "a\nb", "a\nb"},
      {"empty text", "", ""},
      {"separator only", "\n", "\n"},
      {"LF inside CRLF text stays inside a line", "x\ny\r\nz", "x\ny\r\nz"},
      {"chain of three", "\u23fa " + kWrapped + "\n  " + kWrappedLower + "\n  tail words.\nafter",
       "\u23fa " + kWrapped + " " + kWrappedLower + " tail words.\nafter"},
      {"escape sequences survive the join",
       "\u23fa \x1b[1m" + kWrapped + "\x1b[0m  \x1b[39m\n\x1b[2m  columns end\x1b[0m",
       "\u23fa \x1b[1m" + kWrapped + "\x1b[0m\x1b[39m \x1b[2mcolumns end\x1b[0m"},
      {"nothing to join passes unchanged", "$ ls\nfile one\n\n  two\n", "$ ls\nfile one\n\n  two\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Joiner::joinText(c.text), c.joined) << c.name;
  }
}

TEST(HistoryHardWrapJoiner, IsProtected) {
  struct Case {
    const char* text;
    bool isProtected;
  };
  const std::vector<Case> cases = {
      {"```js", true},
      {"   ```   ", true},
      {"| a | b |", true},
      {"|", true},
      {"|---|---|", true},
      {":--- | ---", true},
      {"| starts a pipe without a rule", false},
      {"\u250c\u2500\u2500\u2510", true},
      {"a \u2502 b", true},
      {"\u2550\u2550 title", true},
      {"\u23bf", true},
      {"\u23bf  Read 12 lines", true},
      {"ab", false},
      {"--", false},
      {"---", true},
      {"+-+|", true},
      {"+-+ x", false},
      {"plain prose", false},
      {"x|y|", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Joiner::isProtected(c.text), c.isProtected) << '"' << c.text << '"';
  }
}

TEST(HistoryHardWrapJoiner, EscapeSequences) {
  struct Case {
    const char* name;
    std::string raw;
    std::string visible;
  };
  const std::vector<Case> cases = {
      {"CSI", "\x1b[1;31mred\x1b[0m", "red"},
      {"OSC ended by BEL", "\x1b]8;;https://x.test\x07link\x1b]8;;\x07", "link"},
      {"OSC ended by ST", "\x1b]0;title\x1b\\text", "text"},
      {"charset takes one more character", "\x1b(Babc", "abc"},
      {"other escapes take one character", "\x1b=abc\x1b" "7d", "abcd"},
      {"unterminated CSI runs to the end", "ab\x1b[12", "ab"},
      {"unterminated OSC runs to the end", "ab\x1b]0;x", "ab"},
      {"lone ESC at the end", "ab\x1b", "ab"},
      {"charset at the end", "ab\x1b(", "ab"},
  };
  for (const Case& c : cases) EXPECT_EQ(Joiner::removeEscapes(c.raw), c.visible) << c.name;
}

TEST(HistoryHardWrapJoiner, StripPaddingAndIndentation) {
  struct Trailing {
    std::string raw;
    std::string stripped;
  };
  const std::vector<Trailing> trailing = {
      {"abc   ", "abc"},
      {"abc \x1b[0m \x1b[39m", "abc\x1b[0m\x1b[39m"},
      {"abc\u00a0\u00a0 ", "abc"},
      {"   ", ""},
      {"\x1b[31m  ", "\x1b[31m"},
      {"a\tb\t", "a\tb\t"},
      {"a b", "a b"},
      {"\u5b57 ", "\u5b57"},
  };
  for (const auto& c : trailing) EXPECT_EQ(Joiner::stripTrailingPadding(c.raw), c.stripped) << c.raw;

  struct Leading {
    std::string raw;
    int count;
    std::string stripped;
  };
  const std::vector<Leading> leading = {
      {"   abc", 2, " abc"},
      {"\x1b[2m  abc", 2, "\x1b[2mabc"},
      {" \x1b[2m abc", 2, "\x1b[2mabc"},
      {"abc", 2, "abc"},
      {" abc", 2, "abc"},
      {"  abc", 0, "  abc"},
      {"\u00a0abc", 2, "\u00a0abc"},
  };
  for (const auto& c : leading) EXPECT_EQ(Joiner::stripLeadingSpaces(c.raw, c.count), c.stripped) << c.raw;
}

TEST(HistoryHardWrapJoiner, ReadsLines) {
  const auto assistant = Joiner::Line::read("\u23fa hello \x1b[0m ");
  EXPECT_EQ(assistant.opener, Joiner::Opener::assistant);
  EXPECT_EQ(assistant.text, "hello");
  EXPECT_EQ(assistant.gutter, 0);
  EXPECT_EQ(assistant.rawWidth, 9);
  EXPECT_EQ(assistant.textWidth, 5);
  EXPECT_FALSE(assistant.isBlank);

  const auto input = Joiner::Line::read("\u276f ls -la");
  EXPECT_EQ(input.opener, Joiner::Opener::input);
  EXPECT_EQ(input.text, "ls -la");

  const auto continuation = Joiner::Line::read("  \u65e5\u672c  ");
  EXPECT_EQ(continuation.opener, Joiner::Opener::none);
  EXPECT_EQ(continuation.gutter, 2);
  EXPECT_EQ(continuation.text, "\u65e5\u672c");
  EXPECT_EQ(continuation.textWidth, 4);
  EXPECT_EQ(continuation.rawWidth, 8);

  const auto glued = Joiner::Line::read("\u23fahello");
  EXPECT_EQ(glued.opener, Joiner::Opener::none);
  EXPECT_EQ(glued.text, "\u23fahello");

  const auto indentedOpener = Joiner::Line::read("  \u23fa x");
  EXPECT_EQ(indentedOpener.opener, Joiner::Opener::none);
  EXPECT_EQ(indentedOpener.gutter, 2);

  EXPECT_TRUE(Joiner::Line::read(" \x1b[0m \t").isBlank);
}

TEST(HistoryHardWrapJoiner, ParagraphWidths) {
  std::vector<Joiner::Line> lines;
  for (const std::string& raw :
       Lines{"\u23fa " + std::string(10, 'a'), "  " + std::string(50, 'b'), "  " + std::string(20, 'c'),
             "", "  " + std::string(5, 'd'), "\u23fa " + std::string(3, 'e'), "  " + std::string(30, 'f'),
             "    deeper", "plain"}) {
    lines.push_back(Joiner::Line::read(raw));
  }
  Joiner::ParagraphWidths widths(lines);
  const std::vector<int> expected = {52, 52, 52, 0, 7, 32, 32, 0, 0};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(widths.paragraphWidth(i), expected[i]) << "line " << i;
  }
  EXPECT_EQ(widths.paragraphWidth(99), 0);
}

TEST(TerminalDisplayWidth, Widths) {
  struct Case {
    const char* text;
    int width;
  };
  const std::vector<Case> cases = {
      {"abc", 3},          {"\u65e5\u672c\u8a9e", 6}, {"\ud55c\uae00", 4},  {"\uff46\uff55", 4},
      {"e\u0301", 1},      {"\U0001f389", 2},         {"\x01\x7f", 0},      {"\u23fa ", 2},
      {"\U00020000", 2},   {"\u3002", 2},             {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TerminalDisplayWidth::of(c.text), c.width) << c.text;
}

}  // namespace
}  // namespace vesket::viewer
