// The pane text view's differ on a 500-line buffer while the pane scrolls by 3 lines per
// capture, the common case while an agent works. The overlap search is measured alone
// against the plain search of its definition (BM_Overlap<true>), which is quick for small
// scrolls but quadratic when a screen of repeated lines no longer overlaps; the full apply
// and the content store's whole ingest (detection, input box, diff) per capture follow.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench/viewer/awaiting_capture_corpus.h"
#include "viewer/core/line_differ.h"
#include "viewer/core/pane_content_state.h"

namespace {

using namespace vesket::viewer;

constexpr std::size_t kWindow = 500;
constexpr std::size_t kScroll = 3;
constexpr std::size_t kStreamLines = 6000;

// A long stream of output joined with LF, and the byte offset of each line start, so that
// any window of lines is a substring (no copies while measuring).
struct Stream {
  std::string text;
  std::vector<std::size_t> starts;

  std::string_view window(std::size_t firstLine, std::size_t lines) const {
    const std::size_t begin = starts[firstLine];
    const std::size_t end = starts[firstLine + lines] - 1;  // without the final LF
    return std::string_view(text).substr(begin, end - begin);
  }
  std::size_t windows() const { return (starts.size() - 1 - kWindow) / kScroll; }
};

Stream makeStream(bool repetitive) {
  bench::AwaitingCaptureWriter writer(42);
  Stream stream;
  for (std::size_t k = 0; k < kStreamLines; ++k) {
    stream.starts.push_back(stream.text.size());
    if (repetitive) {
      stream.text += k % 97 == 0 ? "step " + std::to_string(k) : std::string("│");
    } else {
      stream.text += writer.line(static_cast<int>(k));
    }
    stream.text += '\n';
  }
  stream.starts.push_back(stream.text.size());
  return stream;
}

const Stream& stream(bool repetitive) {
  static const Stream plain = makeStream(false);
  static const Stream same = makeStream(true);
  return repetitive ? same : plain;
}

std::size_t naiveOverlap(const std::vector<std::string>& previous,
                         const std::vector<std::string>& next) {
  for (std::size_t k = std::min(previous.size(), next.size()); k >= 1; --k) {
    if (std::equal(previous.end() - static_cast<std::ptrdiff_t>(k), previous.end(), next.begin())) {
      return k;
    }
  }
  return 0;
}

// Pairs of (previous, new) captures of 500 lines. Shape 0: ordinary output scrolled by 3;
// 1: a repetitive screen scrolled by 3; 2: a repetitive screen whose status line at the
// bottom went away (nothing overlaps, and every candidate k compares k lines before it
// fails: the plain search's worst case).
struct OverlapCase {
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> pairs;
  std::size_t expected = 0;
};

OverlapCase overlapCase(std::int64_t shape) {
  OverlapCase c;
  if (shape == 2) {
    std::vector<std::string> previous(kWindow, "│"), next(kWindow, "│");
    previous.back() = "-- INSERT --";
    c.pairs.emplace_back(previous, next);
    return c;
  }
  const Stream& s = stream(shape == 1);
  for (std::size_t w = 0; w < 64; ++w) {
    c.pairs.emplace_back(LineDiffer::splitLines(s.window(w * kScroll, kWindow)),
                         LineDiffer::splitLines(s.window((w + 1) * kScroll, kWindow)));
  }
  c.expected = kWindow - kScroll;
  return c;
}

template <bool Naive>
void BM_Overlap(benchmark::State& state) {
  const OverlapCase c = overlapCase(state.range(0));
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& [previous, next] = c.pairs[i++ % c.pairs.size()];
    const std::size_t k = Naive ? naiveOverlap(previous, next) : LineDiffer::overlap(previous, next);
    if (k != c.expected) state.SkipWithError("wrong overlap");
    benchmark::DoNotOptimize(k);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_TEMPLATE(BM_Overlap, false)->ArgName("shape")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Overlap, true)->ArgName("shape")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// One capture through the differ: split, compare, overlap, append, trim.
void BM_LineDiffer_ApplyScrolling(benchmark::State& state) {
  const Stream& s = stream(state.range(0) != 0);
  LineDiffer differ(kWindow);
  std::size_t w = 0;
  std::size_t appends = 0;
  for (auto _ : state) {
    if (w == s.windows()) w = 0;  // wrapping around replaces once
    const auto change = differ.apply(s.window(w++ * kScroll, kWindow));
    appends += change.kind == LineDiffer::Change::Kind::append;
    benchmark::DoNotOptimize(change);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["appendShare"] = static_cast<double>(appends) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LineDiffer_ApplyScrolling)->ArgName("repetitive")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The selected pane's whole ingest per capture: marker detection on the raw text, the input
// box check, the diff into the 500-line buffer.
void BM_PaneContentState_IngestScrolling(benchmark::State& state) {
  const Stream& s = stream(false);
  PaneContentState content(kWindow);
  std::size_t w = 0;
  for (auto _ : state) {
    if (w == s.windows()) w = 0;
    benchmark::DoNotOptimize(content.ingest(s.window(w++ * kScroll, kWindow)));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PaneContentState_IngestScrolling)->Unit(benchmark::kMicrosecond);

}  // namespace
