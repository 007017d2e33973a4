#include "control_plane/core/line_accumulator.h"

#include <gtest/gtest.h>

using vesket::control_plane::isValidUtf8;
using vesket::control_plane::LineAccumulator;
using Lines = std::vector<std::string>;

TEST(LineAccumulator, SplitsMergedLinesAndKeepsThePartialTail) {
  LineAccumulator acc;
  EXPECT_EQ(acc.push("{\"a\":1}\n{\"b\":2}\n{\"c\""), (Lines{"{\"a\":1}", "{\"b\":2}"}));
  EXPECT_EQ(acc.pending(), "{\"c\"");
  EXPECT_EQ(acc.push(":3}"), Lines{});
  EXPECT_EQ(acc.push("\n"), (Lines{"{\"c\":3}"}));
  EXPECT_EQ(acc.pending(), "");
}

TEST(LineAccumulator, ReassemblesALineSplitIntoSingleBytes) {
  LineAccumulator acc;
  const std::string line = "{\"id\":\"x\",\"text\":\"h\xC3\xA9llo\"}";
  Lines all;
  for (char c : line + "\n") {
    for (auto& l : acc.push(std::string(1, c))) all.push_back(l);
  }
  EXPECT_EQ(all, Lines{line});
}

TEST(LineAccumulator, DropsBlankAndInvalidUtf8LinesButKeepsOthersUntrimmed) {
  LineAccumulator acc;
  const auto lines = acc.push(std::string("   \t\n\n \xFF\xFE bad\n  kept  \ncarriage\r\n \r\n"));
  // A carriage return is not whitespace for this purpose, so " \r" is delivered.
  EXPECT_EQ(lines, (Lines{"  kept  ", "carriage\r", " \r"}));
}

TEST(Utf8Validation, AcceptsWellFormedAndRejectsMalformedSequences) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"plain ascii text that is longer than eight bytes", true},
      {"\xC3\xA9", true},                  // é
      {"\xE2\x82\xAC", true},              // €
      {"\xF0\x9F\x98\x80", true},          // emoji
      {"\xF4\x8F\xBF\xBF", true},          // U+10FFFF
      {"\xC0\xAF", false},                 // overlong '/'
      {"\xE0\x80\xAF", false},             // overlong
      {"\xED\xA0\x80", false},             // surrogate
      {"\xF4\x90\x80\x80", false},         // above U+10FFFF
      {"\xE2\x82", false},                 // truncated
      {"abcdefgh\x80", false},             // stray continuation after the fast path
  };
  for (const auto& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}
