#include "viewer/core/agent_input_chrome.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vesket::viewer {
namespace {

namespace C = AgentInputChrome;

std::string repeat(std::string_view glyph, int count) {
  std::string out;
  for (int k = 0; k < count; ++k) out += glyph;
  return out;
}

const std::string kRule = repeat("─", 40);
const std::string kTop = "╭" + repeat("─", 38) + "╮";
const std::string kBottom = "╰" + repeat("─", 38) + "╯";

std::optional<C::LineRange> rangeOf(const std::vector<std::string>& lines) {
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  return C::trailingChromeRange(views);
}

TEST(AgentInputChrome, IsRule) {
  struct Case {
    std::string line;
    bool rule;
  };
  const std::vector<Case> cases = {
      {repeat("─", 11), false},
      {repeat("─", 12), true},
      {"  " + repeat("━", 6) + "\u00A0" + repeat("╌", 6) + " ", true},
      {"╭" + repeat("─", 11) + "╮", false},  // corners are glyphs but not segments
      {"╭" + repeat("─", 12) + "╮", true},
      {repeat("─", 6) + "┬" + repeat("─", 6) + "┴", true},
      {repeat("─", 6) + "x" + repeat("─", 6), false},
      {repeat("─", 6) + "\t" + repeat("─", 6), false},  // a tab is not allowed inside
      {repeat("═", 20), false},                          // double rules are not in the set
      {"", false},
      {"    ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(C::isRule(c.line), c.rule) << c.line;
}

TEST(AgentInputChrome, LineClassifiers) {
  EXPECT_TRUE(C::isBlankLine(""));
  EXPECT_TRUE(C::isBlankLine(" \t\u00A0 "));
  EXPECT_FALSE(C::isBlankLine(" \u2003 "));  // other spaces are content here
  EXPECT_EQ(C::firstInnerGlyph("  │  ❯ ls"), "❯");
  EXPECT_EQ(C::firstInnerGlyph("> go"), ">");
  EXPECT_EQ(C::firstInnerGlyph("  │  "), "");
  EXPECT_EQ(C::firstInnerGlyph("│"), "");
  EXPECT_EQ(C::firstInnerGlyph("e\u0301tude"), "e\u0301");
  EXPECT_TRUE(C::isFooterHint("  ⏵⏵ Accept Edits on (Shift+Tab to cycle)"));
  EXPECT_TRUE(C::isFooterHint("? for shortcuts"));
  EXPECT_FALSE(C::isFooterHint("All tests passed"));
}

TEST(AgentInputChrome, TrailingChromeRange) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::optional<C::LineRange> range;
  };
  const std::vector<Case> cases = {
      {"empty", {}, std::nullopt},
      {"only blanks", {"", "  "}, std::nullopt},
      {"box with footer", {"output", kTop, "│ ❯ fix it │", kBottom, "  ? for shortcuts"},
       C::LineRange{1, 5}},
      {"plain rules, caret without bar", {"output", kRule, "> ", kRule}, C::LineRange{1, 4}},
      {"blank lines everywhere",
       {"output", kTop, "", "│ ❯ a │", "│   b │", " ", kBottom, "", "esc to interrupt", ""},
       C::LineRange{1, 10}},
      {"no caret line", {"output", kTop, "│ just text │", kBottom}, std::nullopt},
      {"top is not a rule", {"output", "header", "❯ x", kBottom}, std::nullopt},
      {"bottom is not a rule", {kTop, "❯ x", "Done in 3s"}, std::nullopt},
      {"box reaches the top", {"❯ x", kBottom}, std::nullopt},
      {"top rule too short", {"output", repeat("─", 11), "❯ x", kBottom}, std::nullopt},
      {"inner text breaks the box", {"output", kTop, "❯ x", "text", kBottom}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(rangeOf(c.lines), c.range) << c.name;
}

TEST(AgentInputChrome, SearchStopsAfter400Lines) {
  // Top border, then inner lines, then the bottom border and a footer: the whole box must
  // lie within the 401 lines ending at the last non-blank one.
  auto box = [](int innerLines) {
    std::vector<std::string> lines = {"output", kTop, "│ ❯ go │"};
    for (int k = 1; k < innerLines; ++k) lines.push_back("│ more │");
    lines.push_back(kBottom);
    lines.push_back("? for shortcuts");
    return lines;
  };
  // Footer at index L = innerLines + 3; top border at 1; floor = L - 400.
  EXPECT_EQ(rangeOf(box(398)), (C::LineRange{1, 402}));  // floor 1: the top is the floor
  EXPECT_EQ(rangeOf(box(399)), std::nullopt);            // floor 2: the top is below it
}

TEST(AgentInputChrome, Stripped) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  };
  const std::string box = kTop + "\n│ ❯  │\n" + kBottom + "\n  ? for shortcuts";
  const std::vector<Case> cases = {
      {"final LF kept", "a\nb\n" + box + "\n", "a\nb\n"},
      {"no final LF", "a\nb\n" + box, "a\nb"},
      {"CR LF normalised", "a\r\nb\r\n" + kRule + "\r\n> x\r\n" + kRule + "\r\n", "a\nb\n"},
      {"nothing above the box", box + "\n", ""},
      {"no box: unchanged", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"box without caret: unchanged", "a\n" + kTop + "\n│ x │\n" + kBottom + "\n",
       "a\n" + kTop + "\n│ x │\n" + kBottom + "\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(C::stripped(c.text), c.expected) << c.name;
}

// The whole text, literally: normalise, split, look for the box in every line.
std::string strippedReference(std::string_view text) {
  std::string normalized;
  for (char c : text) {
    if (c != '\r') normalized.push_back(c);
  }
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = normalized.find('\n', start);
    lines.push_back(std::string_view(normalized).substr(
        start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const auto range = C::trailingChromeRange(lines);
  if (!range) return std::string(text);
  std::string out;
  for (std::size_t k = 0; k < range->begin; ++k) {
    if (k > 0) out += "\n";
    out += lines[k];
  }
  if (text.ends_with('\n') && !out.empty()) out += "\n";
  return out;
}

// `stripped` only reads the tail of the text; it must agree with the reading of all of it,
// including boxes taller than the search window and CRs anywhere.
TEST(AgentInputChrome, StrippedAgreesWithWholeTextReading) {
  const std::vector<std::string> pieces = {kTop, kBottom, kRule, "│ ❯ go │", "> x", "│ more │",
                                           "", " \u00A0", "? for shortcuts", "output", "\r"};
  std::mt19937 random(11);
  int boxes = 0;
  for (int round = 0; round < 600; ++round) {
    std::string text;
    auto addLine = [&](const std::string& line) {
      text += line;
      text += random() % 4 == 0 ? "\r\n" : "\n";
    };
    if (round % 3 == 0) {
      // A box whose height straddles the search window.
      addLine("output");
      addLine(kTop);
      addLine("│ ❯ go │");
      const int body = 380 + static_cast<int>(random() % 40);
      for (int k = 0; k < body; ++k) addLine(random() % 50 == 0 ? "" : "│ more │");
      addLine(kBottom);
      for (int k = static_cast<int>(random() % 4); k > 0; --k) addLine(pieces[6 + random() % 3]);
    } else {
      const int lines = static_cast<int>(random() % 12);
      for (int k = 0; k < lines; ++k) addLine(pieces[random() % pieces.size()]);
    }
    if (random() % 2) text += pieces[random() % pieces.size()];
    const std::string expected = strippedReference(text);
    ASSERT_EQ(C::stripped(text), expected) << "round " << round;
    boxes += expected != text;
  }
  EXPECT_GT(boxes, 50);  // boxes are found often enough for the comparison to mean something
}

}  // namespace
}  // namespace vesket::viewer
