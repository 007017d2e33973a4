// Reading a Claude Code transcript into agent-history batches. Transcripts reach several
// MiB in long sessions and the daemon reads them on its main thread when a history stream
// opens, so the rate matters. The baseline is parsing the same lines with nlohmann::json
// alone: the difference is what rendering and wrapping cost on top.

#include <benchmark/benchmark.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <string>

#include "daemon/core/claude_history_builder.h"

namespace {

using nlohmann::json;
using vesket::daemon::ClaudeHistoryBuilder;

// One turn: a prompt, thinking, text, three tool calls with results of 5-40 lines.
std::string makeTranscript(int turns) {
  std::string out;
  const auto add = [&](json record) { out += record.dump() + "\n"; };
  const std::string paragraph =
      "The retry loop waits for a fixed interval, so on a loaded CI machine the second attempt "
      "starts before the server has restarted. Waiting for the readiness signal instead makes "
      "the test independent of timing, and the helper already exists in the fixture.";
  for (int t = 0; t < turns; ++t) {
    const auto base = [&](const char* type, int n) {
      return json{{"type", type}, {"uuid", fmt::format("u-{}-{}", t, n)}, {"sessionId", "s-1"},
                  {"cwd", "/home/me/src/app"}, {"timestamp", "2026-12-05T10:00:00.000Z"}};
    };
    json prompt = base("user", 0);
    prompt["message"] = {{"role", "user"}, {"content", fmt::format("Step {}: {}", t, paragraph.substr(0, 120))}};
    add(prompt);
    json thinking = base("assistant", 1);
    thinking["message"] = {{"role", "assistant"}, {"model", "claude-opus-4-5-20251101"},
                           {"content", json::array({{{"type", "thinking"}, {"thinking", paragraph + " " + paragraph}}})}};
    add(thinking);
    for (int c = 0; c < 3; ++c) {
      json call = base("assistant", 2 + 2 * c);
      call["message"] = {{"role", "assistant"},
                         {"content", json::array({{{"type", "tool_use"}, {"id", "toolu"}, {"name", "Bash"},
                                                   {"input", {{"command", "ctest -R retry --output-on-failure"}}}}})}};
      add(call);
      std::string output;
      for (int l = 0; l < 5 + (t + c) % 36; ++l) output += fmt::format("line {} of the test output with some text\n", l);
      json result = base("user", 3 + 2 * c);
      result["message"] = {{"role", "user"},
                           {"content", json::array({{{"type", "tool_result"}, {"tool_use_id", "toolu"}, {"content", output}}})}};
      add(result);
    }
    json text = base("assistant", 9);
    text["message"] = {{"role", "assistant"}, {"content", json::array({{{"type", "text"}, {"text", paragraph}}})}};
    add(text);
  }
  return out;
}

const std::string& transcript() {
  static const std::string text = makeTranscript(1000);  // about 4 MiB
  return text;
}

void BM_ParseLinesOnly(benchmark::State& state) {
  const std::string& text = transcript();
  for (auto _ : state) {
    std::size_t start = 0;
    std::size_t objects = 0;
    while (start < text.size()) {
      const auto nl = text.find('\n', start);
      const auto record = json::parse(text.begin() + static_cast<std::ptrdiff_t>(start),
                                      text.begin() + static_cast<std::ptrdiff_t>(nl), nullptr, false);
      objects += record.is_object();
      start = nl + 1;
    }
    benchmark::DoNotOptimize(objects);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseLinesOnly)->Unit(benchmark::kMillisecond);

// Opening a stream: the whole transcript read, rendered at 100 columns, one batch built.
void BM_OpenHistoryStream(benchmark::State& state) {
  const std::string& text = transcript();
  for (auto _ : state) {
    ClaudeHistoryBuilder builder({.paneId = "%1", .width = 100, .sessionId = "s-1", .maxEntries = 2000});
    builder.append(text);
    benchmark::DoNotOptimize(builder.batch());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_OpenHistoryStream)->Unit(benchmark::kMillisecond);

// A growing transcript: one more record read and the batch rebuilt and encoded, as the
// stream does for every append.
void BM_AppendRecordAndEncodeBatch(benchmark::State& state) {
  ClaudeHistoryBuilder builder({.paneId = "%1", .width = 100, .sessionId = "s-1", .maxEntries = 2000});
  builder.append(transcript());
  const std::string record =
      R"({"type":"assistant","uuid":"x","sessionId":"s-1","message":{"content":[{"type":"text","text":"Another step done."}]}})"
      "\n";
  for (auto _ : state) {
    builder.append(record);
    benchmark::DoNotOptimize(builder.replaceEvent().toJson().dump());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendRecordAndEncodeBatch)->Unit(benchmark::kMillisecond);

}  // namespace
