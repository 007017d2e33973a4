#include "viewer/core/ansi_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "viewer/core/ansi_contrast.h"

namespace vesket::viewer {
namespace {

const AnsiPalette& dark = AnsiPalette::dark();

AnsiRun run(std::string text, bool bold = false, bool dim = false,
            std::optional<AnsiColor> color = std::nullopt) {
  return AnsiRun{std::move(text), AnsiRunStyle{bold, dim, color}};
}

struct StyledCase {
  const char* name;
  std::string input;
  std::vector<AnsiRun> runs;
};

class StyledWalk : public ::testing::TestWithParam<StyledCase> {};

TEST_P(StyledWalk, ProducesRuns) {
  EXPECT_EQ(AnsiParser::styledRuns(GetParam().input, dark, true), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Sgr, StyledWalk,
    ::testing::Values(
        StyledCase{"colourThenReset", "\x1B[31mred \x1B[0mplain",
                   {run("red ", false, false, dark.red), run("plain")}},
        StyledCase{"emptySgrResets", "\x1B[1mA\x1B[mB", {run("A", true), run("B")}},
        StyledCase{"emptyPieceDropped", "\x1B[;1mA", {run("A", true)}},
        StyledCase{"dimWinsOverColour", "\x1B[1;2;31mX", {run("X", true, true, dark.dim)}},
        StyledCase{"sgr22ClearsBoldAndDim", "\x1B[1;2mA\x1B[22mB",
                   {run("A", true, true, dark.dim), run("B")}},
        StyledCase{"sgr22KeepsColour", "\x1B[1;32mA\x1B[22mB",
                   {run("A", true, false, dark.green), run("B", false, false, dark.green)}},
        StyledCase{"brightAndDefaultForeground", "\x1B[95mA\x1B[39mB",
                   {run("A", false, false, dark.brightMagenta), run("B")}},
        // 38 with too few colour values: the 38 alone is consumed, then 2, 1, 2 act.
        StyledCase{"shortTrueColour", "\x1B[38;2;1;2mX", {run("X", true, true, dark.dim)}},
        StyledCase{"indexedColourSkipped", "\x1B[38;5;208;1mX", {run("X", true)}},
        StyledCase{"backgroundTrueColourIgnored", "\x1B[48;2;255;0;0;33mX",
                   {run("X", false, false, dark.yellow)}},
        StyledCase{"otherAttributesIgnored", "\x1B[3;4;7;41mX", {run("X")}},
        StyledCase{"hugeCodeSkipped", "\x1B[99999999999999999999;1mX", {run("X", true)}},
        StyledCase{"onlyUnparsableCodeResets", "\x1B[1mA\x1B[99999999999999999999mB",
                   {run("A", true), run("B")}},
        StyledCase{"cursorAndTitleDropped", "\x1B]0;title\x07" "a\x1B[2Kb\x1B[10;5Hc",
                   {run("a"), run("b"), run("c")}},
        StyledCase{"oscEndedByStringTerminator", "\x1B]8;;http://x\x1B\\link",
                   {run("link")}},
        StyledCase{"privateCsiStays", "\x1B[?25lX", {run("\x1B[?25lX")}},
        StyledCase{"unterminatedOscStays", "a\x1B]0;title", {run("a\x1B]0;title")}},
        StyledCase{"loneEscStays", "a\x1B" "b", {run("a\x1B" "b")}},
        StyledCase{"lineEndsNormalised", "a\r\nb\rc", {run("a\nbc")}},
        StyledCase{"plainText", "no escapes", {run("no escapes")}},
        StyledCase{"empty", "", {}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(AnsiParser, TrueColourOnDarkCanvasIsLiftedTo3To1) {
  const auto runs = AnsiParser::styledRuns("\x1B[38;2;10;10;10mX", dark, true);
  ASSERT_EQ(runs.size(), 1u);
  ASSERT_TRUE(runs[0].style.color);
  const AnsiColor color = *runs[0].style.color;
  EXPECT_FALSE(color.isDynamic());
  const double luminance =
      AnsiContrast::relativeLuminance(color.dark.red, color.dark.green, color.dark.blue);
  const double contrast = (luminance + 0.05) / (AnsiContrast::darkCanvasLuminance + 0.05);
  EXPECT_GE(contrast, 3.0);
  EXPECT_LT(contrast, 3.01);  // lifted just enough, not to white
  EXPECT_NEAR(color.dark.red, color.dark.blue, 1e-12);  // stays grey
}

TEST(AnsiParser, ThemeAwareTrueColourDarkensOnlyForLightAppearance) {
  const auto runs = AnsiParser::styledRuns("\x1B[38;2;250;250;250mX", AnsiPalette::light(), false);
  ASSERT_EQ(runs.size(), 1u);
  const AnsiColor color = *runs[0].style.color;
  EXPECT_EQ(color.resolved(true), (AnsiRgb{250 / 255.0, 250 / 255.0, 250 / 255.0, 1}));
  const AnsiRgb light = color.resolved(false);
  const double luminance = AnsiContrast::relativeLuminance(light.red, light.green, light.blue);
  const double contrast = (AnsiContrast::lightCanvasLuminance + 0.05) / (luminance + 0.05);
  EXPECT_GE(contrast, 4.5);
  EXPECT_LT(contrast, 4.52);
}

TEST(AnsiParser, StripAndPlainText) {
  EXPECT_EQ(AnsiParser::stripAnsi("\x1B[1;31mERR\x1B[0m: \x1B]2;t\x07" "done\r\n"),
            "ERR: done\r\n");
  EXPECT_EQ(AnsiParser::stripAnsi("keep \x1B[?25h and \x1B(B"), "keep \x1B[?25h and \x1B(B");
  EXPECT_EQ(AnsiParser::plainText("a\r\n\x1B[32mb\x1B[0m\rc"), "a\nbc");
  // A CR inside an OSC is removed before matching, as in the styled walk.
  EXPECT_EQ(AnsiParser::plainText("\x1B]0;x\ry\x07z"), "z");
}

TEST(AnsiParser, FindEscapeSkipsNonMatchingEscapes) {
  const std::string text = "\x1B]0;never ends \x1B[2Jx";
  const auto match = AnsiParser::findEscape(text, 0);
  ASSERT_TRUE(match);
  EXPECT_EQ(text.substr(match->begin, match->end - match->begin), "\x1B[2J");
}

// The hand-written matcher against the escape pattern itself, over random escape-heavy
// text; the styled walk must cover exactly the plain text.
TEST(AnsiParser, MatcherAgreesWithTheEscapePattern) {
  const std::regex pattern("\x1B(?:\\[[0-9;]*[A-Za-z]|\\][^\x07\x1B]*(?:\x07|\x1B\\\\))");
  const std::string alphabet[] = {"\x1B", "[", "]", ";", "0", "3", "8", "2", "m", "H", "?", "\x07",
                                  "\\", "x", " ", "\r", "\n", "é", "✳"};
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (int i = length(rng); i > 0; --i) text += alphabet[pick(rng)];
    ASSERT_EQ(AnsiParser::stripAnsi(text), std::regex_replace(text, pattern, ""))
        << ::testing::PrintToString(text);
    std::string joined;
    for (const AnsiRun& run : AnsiParser::styledRuns(text, dark, round % 2 == 0)) {
      ASSERT_FALSE(run.text.empty());
      joined += run.text;
    }
    ASSERT_EQ(joined, AnsiParser::plainText(text)) << ::testing::PrintToString(text);
  }
}

TEST(AnsiPalette, ColorForSgrCoversBothRanges) {
  EXPECT_EQ(dark.colorForSGR(30), dark.black);
  EXPECT_EQ(dark.colorForSGR(37), dark.white);
  EXPECT_EQ(dark.colorForSGR(90), dark.brightBlack);
  EXPECT_EQ(dark.colorForSGR(97), dark.brightWhite);
  for (long long code : {29LL, 38LL, 39LL, 89LL, 98LL, 0LL, -31LL}) {
    EXPECT_FALSE(dark.colorForSGR(code)) << code;
  }
}

TEST(AnsiPalette, AdaptiveFollowsAppearance) {
  const AnsiPalette& adaptive = AnsiPalette::adaptive();
  EXPECT_EQ(adaptive.red.resolved(true), dark.red.dark);
  EXPECT_EQ(adaptive.red.resolved(false), AnsiPalette::light().red.light);
  EXPECT_EQ(adaptive.white.resolved(false), AnsiRgb::grey(0.28));
  EXPECT_EQ(adaptive.dim.resolved(true), AnsiRgb::grey(0.55));
}

TEST(AnsiContrast, RelativeLuminance) {
  EXPECT_DOUBLE_EQ(AnsiContrast::relativeLuminance(1, 1, 1), 1.0);
  EXPECT_DOUBLE_EQ(AnsiContrast::relativeLuminance(0, 0, 0), 0.0);
  EXPECT_NEAR(AnsiContrast::relativeLuminance(0.04045, 0, 0), 0.2126 * 0.04045 / 12.92, 1e-15);
  EXPECT_NEAR(AnsiContrast::relativeLuminance(0, 0.5, 0), 0.7152 * 0.21404114048223255, 1e-12);
}

TEST(AnsiContrast, ReadableColoursStayUnchangedAndChannelsClamp) {
  // Bright enough for the dark canvas: unchanged.
  EXPECT_EQ(AnsiContrast::darkCanvasTrueColor(255, 128, 0),
            AnsiColor::fixed({1.0, 128 / 255.0, 0.0, 1}));
  // Out-of-range channels clamp to 0..255.
  EXPECT_EQ(AnsiContrast::darkCanvasTrueColor(300, 300, 300), AnsiColor::fixed(AnsiRgb::grey(1)));
  // Dark enough for the light canvas: the same colour under both appearances.
  const AnsiColor deep = AnsiContrast::themeAwareTrueColor(20, -5, 90);
  EXPECT_FALSE(deep.isDynamic());
  EXPECT_EQ(deep.light, (AnsiRgb{20 / 255.0, 0, 90 / 255.0, 1}));
}

TEST(AnsiContrast, BisectionMatchesFourteenRounds) {
  // Black lifted toward white: the result is the upper bound after 14 halvings.
  const AnsiRgb lifted = AnsiContrast::darkCanvasTrueColor(0, 0, 0).dark;
  const double target = (AnsiContrast::darkCanvasLuminance + 0.05) * 3.0 - 0.05;
  double low = 0, high = 1;
  for (int i = 0; i < 14; ++i) {
    const double mid = (low + high) / 2;
    (AnsiContrast::relativeLuminance(mid, mid, mid) < target ? low : high) = mid;
  }
  EXPECT_DOUBLE_EQ(lifted.red, high);
  EXPECT_DOUBLE_EQ(high - low, 1.0 / 16384);
}

}  // namespace
}  // namespace vesket::viewer
