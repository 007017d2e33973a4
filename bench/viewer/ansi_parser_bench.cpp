// The ANSI parser over 1 MiB of agent output, and per screenful (50 lines of up to about
// 200 columns), the unit the pane text view re-renders on each capture. The copy
// benchmark is the baseline: what merely touching every byte costs.
#include <benchmark/benchmark.h>

#include <QTextDocument>
#include <cstring>

#include "bench/viewer/agent_output.h"
#include "viewer/ansi_text_document_builder.h"
#include "viewer/core/ansi_parser.h"
#include "viewer/core/ansi_styled_text.h"
#include "viewer/core/web_link_detector.h"

namespace {

using namespace vesket::viewer;

constexpr std::size_t kCaptureBytes = 1 << 20;
constexpr std::size_t kScreenLines = 50;

const std::string& capture() {
  static const std::string text = bench::agentOutput(kCaptureBytes);
  return text;
}

const std::vector<std::string>& screens() {
  static const std::vector<std::string> all = bench::screenfuls(capture(), kScreenLines);
  return all;
}

void setBytes(benchmark::State& state, std::size_t bytesPerIteration) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytesPerIteration));
}

void BM_Baseline_Copy(benchmark::State& state) {
  const std::string& text = capture();
  for (auto _ : state) {
    std::string copy = text;
    benchmark::DoNotOptimize(copy.data());
  }
  setBytes(state, capture().size());
}
BENCHMARK(BM_Baseline_Copy)->Unit(benchmark::kMillisecond);

void BM_StripAnsi(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(AnsiParser::stripAnsi(capture()));
  setBytes(state, capture().size());
}
BENCHMARK(BM_StripAnsi)->Unit(benchmark::kMillisecond);

void BM_PlainText(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(AnsiParser::plainText(capture()));
  setBytes(state, capture().size());
}
BENCHMARK(BM_PlainText)->Unit(benchmark::kMillisecond);

void BM_StyledRuns(benchmark::State& state) {
  std::size_t runs = 0;
  for (auto _ : state) {
    const auto result = AnsiParser::styledRuns(capture(), AnsiPalette::dark(), true);
    runs = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["runs"] = static_cast<double>(runs);
  setBytes(state, capture().size());
}
BENCHMARK(BM_StyledRuns)->Unit(benchmark::kMillisecond);

void BM_StyledTextWithLinks(benchmark::State& state) {
  for (auto _ : state) {
    const AnsiStyledText styled(capture(), AnsiPalette::adaptive(), false, true);
    benchmark::DoNotOptimize(styled.links().data());
  }
  setBytes(state, capture().size());
}
BENCHMARK(BM_StyledTextWithLinks)->Unit(benchmark::kMillisecond);

void BM_WebLinks(benchmark::State& state) {
  const std::string plain = AnsiParser::plainText(capture());
  std::size_t links = 0;
  for (auto _ : state) {
    const auto found = WebLinkDetector::find(plain);
    links = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["links"] = static_cast<double>(links);
  setBytes(state, plain.size());
}
BENCHMARK(BM_WebLinks)->Unit(benchmark::kMillisecond);

// Per screenful: cycles through the capture's screenfuls.
template <typename Work>
void perScreen(benchmark::State& state, Work work) {
  const auto& all = screens();
  std::size_t index = 0, bytes = 0;
  for (auto _ : state) {
    const std::string& screen = all[index];
    bytes += screen.size();
    work(screen);
    index = (index + 1) % (all.size() - 1);  // the last one is short
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["bytes/screen"] = static_cast<double>(bytes) / state.iterations();
}

void BM_Screen_StyledRuns(benchmark::State& state) {
  perScreen(state, [](const std::string& screen) {
    benchmark::DoNotOptimize(AnsiParser::styledRuns(screen, AnsiPalette::dark(), true));
  });
}
BENCHMARK(BM_Screen_StyledRuns)->Unit(benchmark::kMicrosecond);

void BM_Screen_StripAnsi(benchmark::State& state) {
  perScreen(state, [](const std::string& screen) {
    benchmark::DoNotOptimize(AnsiParser::stripAnsi(screen));
  });
}
BENCHMARK(BM_Screen_StripAnsi)->Unit(benchmark::kMicrosecond);

// What the pane text view does on each capture: replace its document's content.
void BM_Screen_TextDocument(benchmark::State& state) {
  AnsiTextOptions options;
  options.detectLinks = true;
  const AnsiTextDocumentBuilder builder(options);
  QTextDocument document;
  perScreen(state, [&](const std::string& screen) { builder.setContent(document, screen); });
}
BENCHMARK(BM_Screen_TextDocument)->Unit(benchmark::kMicrosecond);

}  // namespace
