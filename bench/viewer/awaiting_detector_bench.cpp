// Awaiting detection as the sweep runs it: 40 panes of 3,000 captured lines each (about
// 0.3 MB per pane), every pane scanned for markers. The baseline counts the "<" bytes of
// the same text, the least any marker search must do; the std::regex variant shows what the
// four marker expressions would cost per pane if matched with the standard library.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <regex>

#include "bench/viewer/awaiting_capture_corpus.h"
#include "viewer/core/agent_input_chrome.h"
#include "viewer/core/awaiting_detector.h"
#include "viewer/core/pane_awaiting_state.h"

namespace {

using namespace vesket::viewer;

constexpr int kPanes = 40;
constexpr int kLinesPerPane = 3000;

const std::vector<PaneAwaitingSweep::Capture>& sweepCaptures() {
  static const auto captures = [] {
    std::vector<PaneAwaitingSweep::Capture> out;
    for (int pane = 0; pane < kPanes; ++pane) {
      out.emplace_back("%" + std::to_string(pane), bench::awaitingCapture(pane, kLinesPerPane));
    }
    return out;
  }();
  return captures;
}

std::int64_t sweepBytes() {
  std::int64_t bytes = 0;
  for (const auto& capture : sweepCaptures()) bytes += static_cast<std::int64_t>(capture.second->size());
  return bytes;
}

void BM_Baseline_CountAngleBrackets(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t count = 0;
    for (const auto& capture : sweepCaptures()) {
      count += static_cast<std::size_t>(std::count(capture.second->begin(), capture.second->end(), '<'));
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(state.iterations() * sweepBytes());
}
BENCHMARK(BM_Baseline_CountAngleBrackets)->Unit(benchmark::kMillisecond);

// The detection half of one sweep: 40 captures in, 40 outcomes out.
void BM_AwaitingSweep_40Panes(benchmark::State& state) {
  std::size_t awaiting = 0;
  for (auto _ : state) {
    const auto outcomes = PaneAwaitingSweep::outcomes(sweepCaptures());
    awaiting = static_cast<std::size_t>(std::count_if(outcomes.begin(), outcomes.end(), [](const auto& o) {
      return o.second.kind == DetectOutcome::Kind::awaiting;
    }));
    benchmark::DoNotOptimize(awaiting);
  }
  // Panes 0, 3, 6, ... end with an open approval; panes 5, 10, ... with a team signal.
  if (awaiting != 14 + 5) state.SkipWithError("unexpected number of awaiting panes");
  state.SetBytesProcessed(state.iterations() * sweepBytes());
  state.SetItemsProcessed(state.iterations() * kPanes);
  state.counters["awaiting"] = static_cast<double>(awaiting);
}
BENCHMARK(BM_AwaitingSweep_40Panes)->Unit(benchmark::kMillisecond);

void BM_AwaitingDetect_OnePane(benchmark::State& state) {
  const std::string& text = *sweepCaptures()[3].second;
  for (auto _ : state) benchmark::DoNotOptimize(AwaitingDetector::detect(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AwaitingDetect_OnePane)->Unit(benchmark::kMicrosecond);

// Only the marker search of the line above, with the four expressions of std::regex.
void BM_AwaitingScan_StdRegexOnePane(benchmark::State& state) {
  static const std::regex expressions[] = {
      std::regex("<<<DURNVALE-AWAITING id=([A-Za-z0-9_-]+) question_b64=([A-Za-z0-9+/=]+) "
                 "options_b64=([A-Za-z0-9+/=]+) style=([a-zA-Z0-9_-]+)>>>"),
      std::regex("<<<DURNVALE-RESOLVED id=([A-Za-z0-9_-]+)>>>"),
      std::regex("<<<CREW-SIGNAL state=needs-you kind=([a-z-]+) reason_b64=([A-Za-z0-9+/=]*) "
                 "id=([A-Za-z0-9_-]+)>>>"),
      std::regex("<<<CREW-SIGNAL state=done id=([A-Za-z0-9_-]+)>>>")};
  const std::string& text = *sweepCaptures()[3].second;
  for (auto _ : state) {
    std::size_t matches = 0;
    for (const std::regex& expression : expressions) {
      matches += static_cast<std::size_t>(
          std::distance(std::sregex_iterator(text.begin(), text.end(), expression), std::sregex_iterator()));
    }
    benchmark::DoNotOptimize(matches);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AwaitingScan_StdRegexOnePane)->Unit(benchmark::kMillisecond);

// The content store strips the input box from the selected pane's capture on every change.
void BM_AgentInputChrome_StrippedOnePane(benchmark::State& state) {
  const std::string& text = *sweepCaptures()[3].second;
  for (auto _ : state) benchmark::DoNotOptimize(AgentInputChrome::stripped(text));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AgentInputChrome_StrippedOnePane)->Unit(benchmark::kMicrosecond);

}  // namespace
