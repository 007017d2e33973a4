// Grouping a pane list of 300 panes (a busy machine with several agent teams) into the
// sidebar's groups and rows, as PaneListStore does on every snapshot: with the locale-free
// comparison and with the locale collator the app uses.
#include <benchmark/benchmark.h>

#include <QLocale>
#include <string>
#include <vector>

#include "viewer/core/pane_grouping.h"
#include "viewer/pane_list_store.h"

namespace {

using vesket::control_plane::AssignmentRow;
using vesket::control_plane::PaneEntry;
using namespace vesket::viewer;

std::vector<PaneEntry> paneList(int count) {
  static const char* const kTitles[] = {"✳ Refactor the parser", "⠋ Running tests", "zsh",
                                        "cd ~/src/api", "· Review PR 412", ""};
  static const char* const kModels[] = {"claude-opus-4-5-20251101", "claude-sonnet-4-5",
                                        "gpt-5-codex", "gemini-2.5-pro"};
  std::vector<PaneEntry> panes;
  for (int i = 0; i < count; ++i) {
    const int window = i / 4;
    PaneEntry pane;
    pane.paneId = "%" + std::to_string(i + 1);
    pane.label = "pane-" + std::to_string(i);
    pane.sessionName = "work-" + std::to_string(window / 6);
    pane.windowIndex = window % 6;
    pane.windowId = "@" + std::to_string(window + 1);
    pane.windowName = window % 5 == 0 ? "zsh" : "project-" + std::to_string(window);
    pane.paneIndex = i % 4;
    pane.paneTitle = kTitles[i % std::size(kTitles)];
    pane.cwdBasename = "repo-" + std::to_string(window % 17);
    pane.cmd = i % 3 == 0 ? "zsh" : "claude";
    pane.topicPreview = i % 7 == 0 ? "crew-dispatch: worker contract" : "";
    if (i % 3 != 0) {
      pane.model = kModels[i % std::size(kModels)];
      pane.load = i % 2 ? "heavy" : "idle";
    }
    if (i % 6 == 1) {
      pane.crewId = "api-" + std::to_string(window % 3);
      pane.crewProject = "api";
      pane.role = i % 4 == 1 ? "manager" : "worker";
      pane.assignment = AssignmentRow{pane.paneId, pane.crewId, "Implement the /v2 endpoints for "
                                      "the billing service and update the OpenAPI schema",
                                      "active", 0, 0};
    }
    if (i % 29 == 0) pane.takeoverHomeWindowId = "@" + std::to_string(window + 3);
    panes.push_back(std::move(pane));
  }
  return panes;
}

void BM_Group300_CaseFold(benchmark::State& state) {
  const auto panes = paneList(300);
  for (auto _ : state) benchmark::DoNotOptimize(PaneGrouping::group(panes));
  state.SetItemsProcessed(state.iterations() * 300);
}
BENCHMARK(BM_Group300_CaseFold)->Unit(benchmark::kMicrosecond);

void BM_Group300_LocaleCollator(benchmark::State& state) {
  const auto panes = paneList(300);
  const auto compare = PaneListStore::localeTitleComparator(QLocale(QLocale::English));
  for (auto _ : state) benchmark::DoNotOptimize(PaneGrouping::group(panes, compare));
  state.SetItemsProcessed(state.iterations() * 300);
}
BENCHMARK(BM_Group300_LocaleCollator)->Unit(benchmark::kMicrosecond);

}  // namespace
