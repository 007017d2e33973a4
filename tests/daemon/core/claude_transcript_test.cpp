#include "daemon/core/claude_transcript.h"

#include <gtest/gtest.h>

#include <string>

namespace vesket::daemon {
namespace {

// Lines shaped like the records Claude Code writes, trimmed to the keys that matter.
const std::string kUser1 =
    R"({"type":"user","sessionId":"s-1","cwd":"/home/me/web","message":{"role":"user","content":"Refactor the parser\n\nand add tests"}})";
const std::string kAssistant1 =
    R"({"type":"assistant","sessionId":"s-1","message":{"model":"claude-opus-4-5-20251101","role":"assistant","usage":{"input_tokens":10,"cache_creation_input_tokens":1990,"cache_read_input_tokens":38000,"output_tokens":0},"content":[{"type":"text","text":"ok"}]}})";
const std::string kToolResult =
    R"({"type":"user","message":{"role":"user","content":[{"type":"tool_result","tool_use_id":"t","content":"file text"}]}})";
const std::string kMeta =
    R"({"type":"user","isMeta":true,"message":{"role":"user","content":"Caveat: injected"}})";
const std::string kCommand =
    R"({"type":"user","message":{"role":"user","content":"<command-name>/clear</command-name>"}})";
const std::string kUser2 =
    R"({"type":"user","message":{"role":"user","content":[{"type":"text","text":"Now fix   the build"}]}})";
const std::string kAssistant2 =
    R"({"type":"assistant","message":{"model":"claude-sonnet-4-5-20250929","usage":{"input_tokens":100000,"output_tokens":600}}})";
const std::string kSynthetic =
    R"({"type":"assistant","message":{"model":"<synthetic>","usage":{"input_tokens":0}}})";
const std::string kUnknown = R"({"type":"file-history-snapshot","snapshot":{"x":1}})";
const std::string kSummary = R"({"type":"summary","summary":"Parser refactoring","leafUuid":"u"})";

TEST(ClaudeTranscript, LatestFactsWin) {
  const std::string text = kUser1 + "\n" + kAssistant1 + "\n" + kToolResult + "\n" + kUnknown + "\n" + kMeta + "\n" +
                           kCommand + "\n";
  auto facts = ClaudeTranscript::parse(text);
  EXPECT_EQ(facts.model, "claude-opus-4-5-20251101");
  EXPECT_EQ(facts.modelLabel, "Opus 4.5");
  EXPECT_EQ(facts.contextPct, 20.0);  // 40,000 of 200,000 tokens
  EXPECT_EQ(facts.topicPreview, "Refactor the parser and add tests");
  EXPECT_EQ(facts.sessionId, "s-1");
  EXPECT_EQ(facts.cwd, "/home/me/web");

  facts = ClaudeTranscript::parse(text + kUser2 + "\n" + kAssistant2 + "\n" + kSynthetic + "\n");
  EXPECT_EQ(facts.model, "claude-sonnet-4-5-20250929");  // the synthetic error turn is skipped
  EXPECT_EQ(facts.modelLabel, "Sonnet 4.5");
  EXPECT_EQ(facts.contextPct, 50.3);
  EXPECT_EQ(facts.topicPreview, "Now fix the build");
}

TEST(ClaudeTranscript, ToleratesFragmentsAndJunk) {
  // A tail read starts mid-line; the writer may be mid-line at the end.
  const std::string tail = kUser1.substr(20) + "\n" + kAssistant1 + "\n" + "not json\n" + "{\"type\":\n" +
                           kUser2.substr(0, 30);
  const auto facts = ClaudeTranscript::parse(tail, /*startsMidFile=*/true);
  EXPECT_EQ(facts.model, "claude-opus-4-5-20251101");
  EXPECT_FALSE(facts.topicPreview.has_value());
  EXPECT_EQ(ClaudeTranscript::parse(""), TranscriptFacts{});
  EXPECT_EQ(ClaudeTranscript::parse("[1,2]\n\"x\"\n{}\n"), TranscriptFacts{});
  // Wrong types in known records are ignored, not fatal.
  const auto odd = ClaudeTranscript::parse(
      R"({"type":"assistant","message":{"model":42,"usage":"x"}})" "\n"
      R"({"type":"user","message":{"content":[1,{"type":"text","text":7}]}})" "\n");
  EXPECT_EQ(odd, TranscriptFacts{});
}

TEST(ClaudeTranscript, AppendsFollowTheFileAsItGrows) {
  // The bytes arrive as the agent writes them: lines split anywhere, facts kept across appends.
  ClaudeTranscript::FactsAccumulator accumulator;
  const std::string text = kUser1 + "\n" + kAssistant1 + "\n" + kSummary + "\n" + kUser2.substr(0, 40);
  for (std::size_t at = 0; at < text.size(); at += 7) accumulator.append(std::string_view(text).substr(at, 7));
  auto facts = accumulator.facts();
  EXPECT_EQ(facts.model, "claude-opus-4-5-20251101");
  EXPECT_EQ(facts.topicPreview, "Refactor the parser and add tests") << "a prompt outranks a later summary";
  accumulator.append(kUser2.substr(40) + "\n" + kUnknown + "\n");
  facts = accumulator.facts();
  EXPECT_EQ(facts.topicPreview, "Now fix the build");
  EXPECT_EQ(facts.contextPct, 20.0) << "the earlier turn's usage stays known";

  // A line past the limit is skipped to its end; the next one is read.
  accumulator.append(R"({"type":"user","message":{"content":")");
  accumulator.append(std::string(ClaudeTranscript::FactsAccumulator::kMaxLineBytes, 'x'));
  accumulator.append("\"}}\n" + kSummary + "\n" + kAssistant2 + "\n");
  facts = accumulator.facts();
  EXPECT_EQ(facts.topicPreview, "Now fix the build");
  EXPECT_EQ(facts.model, "claude-sonnet-4-5-20250929");
}

TEST(ClaudeTranscript, SummaryWhenNoPrompt) {
  const auto facts = ClaudeTranscript::parse(kSummary + "\n" + kToolResult + "\n");
  EXPECT_EQ(facts.topicPreview, "Parser refactoring");
}

TEST(ClaudeTranscript, ModelLabels) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"claude-opus-4-5-20251101", "Opus 4.5"},
      {"claude-sonnet-4-5", "Sonnet 4.5"},
      {"claude-3-5-sonnet-20241022", "Sonnet 3.5"},
      {"claude-haiku-4-5-20251001", "Haiku 4.5"},
      {"claude-opus-4-1", "Opus 4.1"},
      {"claude-sonnet-4-5[1m]", "Sonnet 4.5"},
      {"claude-3-opus-20240229", "Opus 3"},
      {"", std::nullopt},
      {"<synthetic>", std::nullopt},
      {"claude", std::nullopt},
  };
  for (const auto& [id, label] : cases) EXPECT_EQ(ClaudeTranscript::modelLabel(id), label) << id;
}

TEST(ClaudeTranscript, ProjectDirAndPreview) {
  EXPECT_EQ(ClaudeTranscript::projectDirName("/home/me/src.x/my_app"), "-home-me-src-x-my-app");
  EXPECT_EQ(ClaudeTranscript::oneLinePreview("  a\n\tb  c  ", 80), "a b c");
  EXPECT_EQ(ClaudeTranscript::oneLinePreview("abcdef", 3), "abc\xE2\x80\xA6");
  // Multi-byte characters are counted as characters and never cut in half.
  EXPECT_EQ(ClaudeTranscript::oneLinePreview("\xC3\xBC\xC3\xBC\xC3\xBC", 2), "\xC3\xBC\xC3\xBC\xE2\x80\xA6");
  EXPECT_EQ(ClaudeTranscript::oneLinePreview("ab cd", 3), "ab\xE2\x80\xA6");
}

}  // namespace
}  // namespace vesket::daemon
