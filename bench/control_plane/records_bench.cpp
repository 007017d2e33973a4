// Decoding and encoding a daemon pane list of 300 panes, the size of a busy machine with
// several agent teams. The parse-only benchmark is the baseline: the difference to the full
// decode is what the records cost on top of the JSON parser.

#include <benchmark/benchmark.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "control_plane/core/json_codec.h"
#include "control_plane/core/json_value.h"
#include "control_plane/core/pane_entry.h"

namespace {

using nlohmann::json;
using vesket::control_plane::JSONValue;
using vesket::control_plane::PaneEntry;
namespace json_codec = vesket::control_plane::json_codec;

constexpr int kPaneCount = 300;

// One pane. Roughly: a third plain shells, the rest agents; every other agent pane belongs
// to a crew (with crew row, most with an assignment); a few have user labels, alerts,
// parked windows or denied paths.
json makePane(int index) {
  const int window = index / 4;
  json pane = {
      {"paneId", fmt::format("%{}", index + 1)},
      {"label", fmt::format("pane-{}", index)},
      {"registeredAt", 1765000000000 + index * 1375},
      {"sessionName", fmt::format("work-{}", window / 6)},
      {"windowIndex", window % 6},
      {"windowId", fmt::format("@{}", window + 1)},
      {"windowName", fmt::format("project-{}", window)},
      {"paneIndex", index % 4},
      {"paneTitle", fmt::format("✳ pane {} title with some text", index)},
      {"cwdBasename", fmt::format("repo-{}", window % 17)},
      {"cmd", index % 3 == 0 ? "zsh" : "node"},
      {"topicPreview", index % 3 == 0 ? ""
                                      : "Refactoring the request router and adding tests for "
                                        "the retry path"},
      {"paneWidth", 80 + index % 4 * 20},
  };
  if (index % 3 == 0) {
    pane["agentKind"] = "shell";
    return pane;
  }
  const char* kinds[] = {"claude", "codex", "gemini", "opencode"};
  pane["agentKind"] = kinds[index % 4];
  pane["model"] = "claude-sonnet-4-5-20250929";
  pane["modelLabel"] = "Sonnet 4.5";
  pane["modelSource"] = "transcript";
  pane["modelObservation"] = "statusline reports Sonnet 4.5";
  pane["contextPct"] = (index * 7) % 100 + 0.5;
  pane["load"] = index % 5 == 0 ? "idle" : "heavy";
  pane["task"] = fmt::format("task #{}: split router.ts into modules", index);
  if (index % 2 == 0) {
    const std::string crewId = fmt::format("crew-{}", window);
    pane["windowKind"] = "group";
    pane["groupCreatedAt"] = 1764990000000 + window;
    pane["role"] = index % 4 == 0 ? "manager" : "worker";
    pane["crewId"] = crewId;
    pane["crewProject"] = fmt::format("repo-{}", window % 17);
    pane["managerModel"] = "claude-opus-4-1";
    pane["crewCreatedAt"] = 1764990000000 + window;
    pane["crew"] = {{"crewId", crewId},
                    {"project", fmt::format("repo-{}", window % 17)},
                    {"managerPaneId", fmt::format("%{}", window * 4 + 1)},
                    {"lifecycle", "running"},
                    {"createdBy", "user"},
                    {"createdAt", 1764990000000 + window}};
    if (index % 6 != 0) {
      pane["assignment"] = {{"paneId", pane["paneId"]},
                            {"crewId", crewId},
                            {"task", pane["task"]},
                            {"state", "active"},
                            {"assignedAt", 1765000000000 + index},
                            {"queuePos", index % 3}};
    }
  } else {
    pane["soloWindow"] = true;
  }
  if (index % 10 == 1) {
    pane["paneLabel"] = {{"paneId", pane["paneId"]}, {"customName", "Router"}, {"role", nullptr}};
  }
  if (index % 25 == 2) {
    pane["crewAlert"] = "stalled";
    pane["crewAlertSummary"] = "no output for 10 minutes";
  }
  if (index % 40 == 5) pane["takeoverHomeWindowId"] = "@2";
  if (index % 50 == 7) pane["fdaBlockedPath"] = "/home/me/Documents/private";
  return pane;
}

const std::string& paneListText() {
  static const std::string text = [] {
    json panes = json::array();
    for (int index = 0; index < kPaneCount; ++index) panes.push_back(makePane(index));
    return panes.dump();
  }();
  return text;
}

void setCounters(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kPaneCount);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(paneListText().size()));
  state.counters["list_bytes"] = static_cast<double>(paneListText().size());
}

// Baseline: text to nlohmann::json only.
void BM_PaneList_ParseOnly(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(json::parse(paneListText()));
  setCounters(state);
}
BENCHMARK(BM_PaneList_ParseOnly);

// The whole path a pane snapshot takes: text, parsed, records.
void BM_PaneList_Decode(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        json_codec::decode<std::vector<PaneEntry>>(json::parse(paneListText()), "panes"));
  }
  setCounters(state);
}
BENCHMARK(BM_PaneList_Decode);

// Records from an already parsed list.
void BM_PaneList_RecordsFromParsed(benchmark::State& state) {
  const json parsed = json::parse(paneListText());
  for (auto _ : state) {
    benchmark::DoNotOptimize(json_codec::decode<std::vector<PaneEntry>>(parsed, "panes"));
  }
  setCounters(state);
}
BENCHMARK(BM_PaneList_RecordsFromParsed);

// The same parsed list as generic JSONValues, for comparison.
void BM_PaneList_JSONValueFromParsed(benchmark::State& state) {
  const json parsed = json::parse(paneListText());
  for (auto _ : state) benchmark::DoNotOptimize(JSONValue::fromJson(parsed));
  setCounters(state);
}
BENCHMARK(BM_PaneList_JSONValueFromParsed);

// Records back to text.
void BM_PaneList_Encode(benchmark::State& state) {
  const auto panes =
      json_codec::decode<std::vector<PaneEntry>>(json::parse(paneListText()), "panes");
  for (auto _ : state) benchmark::DoNotOptimize(json_codec::encode(panes).dump());
  setCounters(state);
}
BENCHMARK(BM_PaneList_Encode);

}  // namespace
