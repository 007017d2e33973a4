#include "daemon/core/text_wrap.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace vesket::daemon;
using Lines = std::vector<std::string>;

TEST(TextWrap, WidthCountsWideCharactersTwiceAndCombiningMarksNever) {
  const std::pair<std::string, int> cases[] = {
      {"", 0},
      {"abc", 3},
      {"é", 1},                // precomposed
      {"e\u0301", 1},          // e + combining acute
      {"日本語", 6},
      {"한글", 4},
      {"🎉", 2},
      {"ＡＢ", 4},             // full-width forms
      {"a\u200Bb", 2},         // zero-width space
      {"\xFF", 1},             // invalid byte reads as U+FFFD
  };
  for (const auto& [text, width] : cases) EXPECT_EQ(TextWrap::displayWidth(text), width) << text;
}

TEST(TextWrap, SanitizeRemovesEscapesAndControlsAndExpandsTabs) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x1b[1;31mred\x1b[0m plain", "red plain"},
      {"\x1b]0;title\x07text", "text"},
      {"\x1b]8;;http://x\x1b\\link\x1b]8;;\x1b\\", "link"},
      {"\x1b(Bcharset", "charset"},
      {"a\r\nb\rc\nd", "a\nb\nc\nd"},
      {"bell\x07 del\x7F nul", "bell del nul"},
      {std::string("x\0y", 3), "xy"},
      {"\tx", "    x"},
      {"ab\tx", "ab  x"},
      {"abcd\tx\n\ty", "abcd    x\n    y"},
      {"bad \xC3\x28 \xE2\x82", "bad \uFFFD( \uFFFD\uFFFD"},
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
      {"\xC2\x9B" "c1", "c1"},                 // C1 control U+009B
      {"unterminated \x1b[", "unterminated "},
      {"日本\t語", "日本    語"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(TextWrap::sanitize(in), out) << in;
}

TEST(TextWrap, WrapsAtWordsAndBreaksLongWords) {
  struct Case {
    std::string text;
    int width;
    Lines lines;
  };
  const Case cases[] = {
      {"", 10, {""}},
      {"short", 10, {"short"}},
      {"exactly ten", 11, {"exactly ten"}},
      {"the quick brown fox", 10, {"the quick", "brown fox"}},
      {"a  b   c", 3, {"a", "b", "c"}},
      {"a  b   c", 4, {"a  b", "c"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"go abcdefghij", 4, {"go", "abcd", "efgh", "ij"}},
      {"one\n\ntwo", 10, {"one", "", "two"}},
      {"trailing\n\n", 10, {"trailing"}},
      {"  indented text", 10, {"  indented", "text"}},
      {"日本語のテキスト", 7, {"日本語", "のテキ", "スト"}},
      {"wide 日本", 6, {"wide", "日本"}},
      {"anything", 0, {"a", "n", "y", "t", "h", "i", "n", "g"}},
  };
  for (const auto& c : cases) EXPECT_EQ(TextWrap::wrap(c.text, c.width), c.lines) << c.text;
}

TEST(TextWrap, PrefixesMarkTheFirstLineAndIndentTheRest) {
  EXPECT_EQ(TextWrap::wrap("one two three", 9, "> ", "  "), (Lines{"> one two", "  three"}));
  EXPECT_EQ(TextWrap::wrap("a\nb", 9, "● ", "  "), (Lines{"● a", "  b"}));
  // Prefixes of different widths wrap each line for its own room.
  EXPECT_EQ(TextWrap::wrap("aaaa bbbb cccc", 9, "⎿ ", "      "), (Lines{"⎿ aaaa", "      bbb", "      b", "      ccc", "      c"}));
  // A prefix that leaves no room is dropped instead of pushing the text out.
  EXPECT_EQ(TextWrap::wrap("abc", 2, "> ", "  "), (Lines{"ab", "c"}));
  EXPECT_EQ(TextWrap::wrap("", 10, "> ", "  "), (Lines{">"}));
}

TEST(TextWrap, NoLineIsWiderThanTheWidth) {
  std::mt19937 random(5);
  const std::string pieces[] = {"word", " ", "  ", "日本", "é", "🎉", "x", "\n", "longerwordhere", "e\u0301"};
  for (int round = 0; round < 500; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 30);
    for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
    const int width = 4 + static_cast<int>(random() % 20);  // room for a wide character
    for (const auto& line : TextWrap::wrap(text, width, "> ", "  ")) {
      EXPECT_LE(TextWrap::displayWidth(line), width) << "text '" << text << "' width " << width;
      EXPECT_TRUE(line.empty() || line.back() != ' ');
      EXPECT_EQ(line.find('\n'), std::string::npos);
    }
  }
}
