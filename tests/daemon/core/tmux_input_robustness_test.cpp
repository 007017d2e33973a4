// Bytes from tmux, transcripts and /proc come from outside: whatever they hold, the
// parsers return (possibly empty) results and never crash or loop. Seeded random inputs,
// built from the tokens the parsers look for so that they reach deep states.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "daemon/core/claude_transcript.h"
#include "daemon/core/control_mode_parser.h"
#include "daemon/core/pane_listing.h"
#include "daemon/core/utf8_repair.h"

namespace vesket::daemon {
namespace {

std::string randomText(std::mt19937& rng, const std::vector<std::string>& tokens, std::size_t count) {
  std::uniform_int_distribution<std::size_t> pick(0, tokens.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (byte(rng) < 40) {
      out.push_back(static_cast<char>(byte(rng)));
    } else {
      out += tokens[pick(rng)];
    }
  }
  return out;
}

TEST(TmuxInputRobustness, ControlModeParserSurvivesAnyBytes) {
  const std::vector<std::string> tokens = {
      "%begin ", "%end ", "%error ", "1 ", "2 ", "1\n", "%output ", "%3 ", "\\", "\\0", "\\01", "\\012", "\\377",
      "%extended-output ", " : ", ":", "%pause ", "%window-add @", "%layout-change @1 ", "%session-renamed ",
      "%exit", "\n", " ", "%", "@", "$", "\xC3", "\xBC", "%client-session-changed ", "%sessions-changed\n"};
  std::mt19937 rng(20261206);
  for (int round = 0; round < 2000; ++round) {
    const std::string input = randomText(rng, tokens, 60);
    ControlModeParser parser;
    std::uniform_int_distribution<std::size_t> cut(0, input.size());
    const std::size_t at = cut(rng);
    auto events = parser.push(std::string_view(input).substr(0, at));
    auto more = parser.push(std::string_view(input).substr(at));
    // Whatever the split, the same events come out.
    events.insert(events.end(), more.begin(), more.end());
    ControlModeParser whole;
    EXPECT_EQ(whole.push(input), events) << "round " << round;
    for (const auto& e : events) {
      if (e.kind == ControlEventKind::Output) {
        EXPECT_LE(e.data.size(), input.size());
      }
    }
  }
}

TEST(TmuxInputRobustness, PaneListingRejectsRatherThanGuesses) {
  const std::vector<std::string> tokens = {"%1", "@2", "$3", "\x1f", "\x1e", "0", "1", "-5", "name", "\n", "", " "};
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    const std::string text = randomText(rng, tokens, 80);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
      lines.push_back(text.substr(start, nl - start));
    }
    lines.push_back(text.substr(start));
    const auto result = PaneListing::parse(lines);
    for (const auto& pane : result.panes) {
      EXPECT_EQ(pane.paneId.front(), '%');
      EXPECT_EQ(pane.windowId.front(), '@');
    }
  }
}

TEST(TmuxInputRobustness, TranscriptsAndUtf8SurviveAnyBytes) {
  const std::vector<std::string> tokens = {
      "{", "}", "[", "]", "\"type\":", "\"assistant\"", "\"user\"", "\"message\":", "\"model\":", "\"usage\":",
      "\"input_tokens\":", "1e308", "-1", "\"content\":", "\"text\"", ",", ":", "\n", "\"", "\\u00", "null"};
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    const std::string text = randomText(rng, tokens, 50);
    const auto facts = ClaudeTranscript::parse(text, round % 2 == 0);
    if (facts.contextPct) {
      EXPECT_GE(*facts.contextPct, 0.0);
      EXPECT_LE(*facts.contextPct, 100.0);
    }
    const std::string repaired = repairUtf8(text);
    EXPECT_EQ(repairUtf8(repaired), repaired);
  }
}

}  // namespace
}  // namespace vesket::daemon
