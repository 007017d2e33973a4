// The other agents' session files, as their programs write them, and the forms they may
// take tomorrow: unknown records, changed value types, cut-off files.
#include "daemon/core/agent_session_files.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

using namespace AgentSessionFiles;

// A codex rollout of two turns: the long first record, the environment it injects as a
// user message, token counts with the model's window, a record type from a later release.
const std::string kCodexRollout =
    R"({"timestamp":"2026-12-06T18:02:11.412Z","type":"session_meta","payload":{"id":"0199a3b1-7c2e-7d10-9f4e-2c81d0a4e6b3","timestamp":"2026-12-06T18:02:11.398Z","cwd":"/home/me/src/api","originator":"codex_cli_rs","cli_version":"0.46.0","instructions":"You are Codex...","git":{"commit_hash":"4f1c2d9","branch":"main"}}})" "\n"
    R"({"timestamp":"2026-12-06T18:02:11.415Z","type":"response_item","payload":{"type":"message","role":"user","content":[{"type":"input_text","text":"<environment_context>\n  <cwd>/home/me/src/api</cwd>\n</environment_context>"}]}})" "\n"
    R"({"timestamp":"2026-12-06T18:02:19.020Z","type":"turn_context","payload":{"cwd":"/home/me/src/api","approval_policy":"on-request","sandbox_policy":{"mode":"workspace-write"},"model":"gpt-5-codex","effort":"medium","summary":"auto"}})" "\n"
    R"({"timestamp":"2026-12-06T18:02:19.021Z","type":"event_msg","payload":{"type":"user_message","message":"Make the   retry loop\nback off exponentially","kind":"plain"}})" "\n"
    R"({"timestamp":"2026-12-06T18:02:25.300Z","type":"event_msg","payload":{"type":"token_count","info":null,"rate_limits":{"primary":{"used_percent":7.0}}}})" "\n"
    R"({"timestamp":"2026-12-06T18:02:31.881Z","type":"event_msg","payload":{"type":"token_count","info":{"total_token_usage":{"input_tokens":61204,"cached_input_tokens":40960,"output_tokens":1830,"total_tokens":63034},"last_token_usage":{"input_tokens":27110,"cached_input_tokens":20480,"output_tokens":890,"reasoning_output_tokens":512,"total_tokens":27200},"model_context_window":272000}}})" "\n"
    R"({"timestamp":"2026-12-06T18:02:32.000Z","type":"ghost_snapshot","payload":{"commit":"abc"}})" "\n"
    R"({"type":"turn_context","payload":{"model":42}})" "\n"
    R"({"timestamp":"2026-12-06T18:03:40.1)";  // still being written

TEST(AgentSessionFilesTest, CodexRollout) {
  const TranscriptFacts facts = codexRollout(kCodexRollout);
  EXPECT_EQ(facts.model, "gpt-5-codex") << "a model that is not text is skipped";
  ASSERT_TRUE(facts.contextPct);
  EXPECT_DOUBLE_EQ(*facts.contextPct, 10.0);  // 27200 of 272000
  EXPECT_EQ(facts.topicPreview, "Make the retry loop back off exponentially") << "not the injected environment";
  EXPECT_EQ(facts.cwd, "/home/me/src/api");
  EXPECT_EQ(codexRolloutCwd(kCodexRollout), "/home/me/src/api");
  EXPECT_EQ(codexRolloutCwd(R"({"type":"turn_context","payload":{"cwd":"/x"}})"), std::nullopt) << "only the first record";

  // Read from the middle: the fragment before the first line end is not a record.
  const std::size_t cut = kCodexRollout.find("\"model\":\"gpt-5-codex\"");
  const TranscriptFacts tail = codexRollout(std::string_view(kCodexRollout).substr(cut), /*startsMidFile=*/true);
  EXPECT_FALSE(tail.model) << "the turn_context was cut";
  EXPECT_EQ(tail.contextPct, 10.0);
  EXPECT_EQ(codexRollout("not json\n{\"type\":7}\n[]\n"), TranscriptFacts{});
}

TEST(AgentSessionFilesTest, GeminiSession) {
  const std::string session = R"({
  "sessionId": "6c0f7a52-9c1e-4c55-8b3a-1f2e0d9a7b44",
  "projectHash": "b1946ac92492d2347c6235b4d2611184e5a6b1a0f3b2c8d7e6f5a4b3c2d1e0f9",
  "startTime": "2026-12-06T17:40:02.118Z",
  "lastUpdated": "2026-12-06T17:44:51.902Z",
  "messages": [
    {"id": "m1", "timestamp": "2026-12-06T17:40:09.001Z", "type": "user", "content": "Why does the build fail on arm64?"},
    {"id": "m2", "timestamp": "2026-12-06T17:40:31.554Z", "type": "gemini", "content": "The linker...",
     "thoughts": [{"subject": "Reading", "description": "..."}],
     "tokens": {"input": 10240, "output": 512, "cached": 0, "thoughts": 220, "tool": 0, "total": 10972},
     "model": "gemini-2.5-pro"},
    {"id": "m3", "timestamp": "2026-12-06T17:43:10.000Z", "type": "info", "content": "Request cancelled."},
    {"id": "m4", "timestamp": "2026-12-06T17:44:02.000Z", "type": "user", "content": [{"text": "Then pin"}, {"text": "the toolchain"}]},
    {"id": "m5", "timestamp": "2026-12-06T17:44:51.902Z", "type": "gemini", "content": "",
     "tokens": {"input": 104857.6, "output": 80, "total": 104937.6}, "model": "gemini-2.5-pro"}
  ]
})";
  const TranscriptFacts facts = geminiSession(session);
  EXPECT_EQ(facts.model, "gemini-2.5-pro");
  EXPECT_EQ(facts.contextPct, 10.0);
  EXPECT_EQ(facts.topicPreview, "Then pin the toolchain");
  EXPECT_EQ(facts.sessionId, "6c0f7a52-9c1e-4c55-8b3a-1f2e0d9a7b44");
  EXPECT_EQ(geminiSession(R"({"messages": {"not": "a list"}})").model, std::nullopt);
  EXPECT_EQ(geminiSession(session.substr(0, session.size() / 2)), TranscriptFacts{}) << "half written";
}

TEST(AgentSessionFilesTest, OpencodeSessionAndMessages) {
  const std::string session =
      R"({"id":"ses_5f2a9c81effeQ1xYp0kT3mZb7n","version":"0.15.8","projectID":"9c4e1f0b2a7d","directory":"/home/me/src/web","title":"Fix flaky login test","time":{"created":1796535602118,"updated":1796535891902}})";
  const std::vector<std::string> messages = {
      R"({"id":"msg_a01","role":"user","sessionID":"ses_5f2a9c81effeQ1xYp0kT3mZb7n","time":{"created":1796535602200}})",
      R"({"id":"msg_a02","role":"assistant","sessionID":"ses_5f2a9c81effeQ1xYp0kT3mZb7n","modelID":"claude-sonnet-4-5-20250929","providerID":"anthropic","mode":"build","path":{"cwd":"/home/me/src/web","root":"/home/me/src/web"},"cost":0.021,"tokens":{"input":1200,"output":640,"reasoning":0,"cache":{"read":18800,"write":0}},"time":{"created":1796535603000,"completed":1796535611000}})",
      R"({"id":"msg_a03","role":"assistant","sessionID":"ses_5f2a9c81effeQ1xYp0kT3mZb7n","modelID":"claude-sonnet-4-5-20250929","tokens":{"input":0,"output":0,"cache":{"read":0,"write":0}},"time":{"created":1796535891000}})",
      "{broken",
  };
  const TranscriptFacts facts = opencodeSession(session, messages);
  EXPECT_EQ(facts.model, "claude-sonnet-4-5-20250929");
  EXPECT_EQ(facts.contextPct, 10.0) << "20000 of 200000; the reply still being written keeps the last count";
  EXPECT_EQ(facts.topicPreview, "Fix flaky login test");
  EXPECT_EQ(opencodeSessionDirectory(session), "/home/me/src/web");
  EXPECT_EQ(opencodeSession("", {R"({"role":"assistant","modelID":"some-new-model","tokens":{"input":5}})"}).contextPct,
            std::nullopt)
      << "an unknown model's window is not guessed";
}

TEST(AgentSessionFilesTest, CursorChatMeta) {
  const std::string meta =
      R"({"agentId":"2b7e4c1a-0f3d-4a9b-8e6c-5d1f2a3b4c5d","latestRootBlobId":"e3b0c442","name":"Refactor the settings store","mode":"default","createdAt":1796535602118,"lastUsedModel":"gpt-5"})";
  std::string hex;
  for (unsigned char c : meta) {
    static const char* digits = "0123456789abcdef";
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  for (const std::string& stored : {meta, hex}) {
    const TranscriptFacts facts = cursorChatMeta(stored);
    EXPECT_EQ(facts.model, "gpt-5");
    EXPECT_EQ(facts.topicPreview, "Refactor the settings store");
  }
  EXPECT_EQ(cursorChatMeta("abc"), TranscriptFacts{});
  EXPECT_EQ(cursorChatMeta(""), TranscriptFacts{});
}

TEST(AgentSessionFilesTest, ContextWindows) {
  EXPECT_EQ(contextWindow("claude-opus-4-5-20251101"), 200'000.0);
  EXPECT_EQ(contextWindow("gemini-2.5-flash"), 1'048'576.0);
  EXPECT_EQ(contextWindow("GPT-5"), 400'000.0);
  EXPECT_EQ(contextWindow("mystery-1"), std::nullopt);
}

}  // namespace
}  // namespace vesket::daemon
