// Splitting daemon output into lines and reading each line's frame head: the per-line
// cost every reply and stream event pays before its payload is decoded. The payload mix is
// what a watch stream and a terminal attach stream carry: many small event lines and the
// odd large snapshot.

#include <benchmark/benchmark.h>

#include <fmt/format.h>
#include <string>

#include "control_plane/core/frames.h"
#include "control_plane/core/line_accumulator.h"

namespace {

using vesket::control_plane::FrameHead;
using vesket::control_plane::LineAccumulator;

// About 1 MiB of stream lines: terminal output events (base64 payloads of ~1 KiB) with a
// pane snapshot of ~40 KiB every 64 lines.
std::string makeStream() {
  std::string out;
  const std::string payload(1400, 'Q');
  const std::string snapshot(40000, 'p');
  for (int i = 0; out.size() < (1u << 20); ++i) {
    if (i % 64 == 63) {
      out += fmt::format(R"({{"id":"6F1C2A9E-1D5B-4C1B-9E5A-0A8E3C2D4B{:02X}","ok":true,"event":{{"panes":"{}"}}}})", i % 256, snapshot);
    } else {
      out += fmt::format(R"({{"id":"6F1C2A9E-1D5B-4C1B-9E5A-0A8E3C2D4B7F","ok":true,"event":{{"data":"{}"}}}})", payload);
    }
    out += '\n';
  }
  return out;
}

const std::string& stream() {
  static const std::string s = makeStream();
  return s;
}

// Feeds the stream in 64 KiB reads, as the client's receive loop does.
void BM_LineSplitting(benchmark::State& state) {
  const std::string& bytes = stream();
  const std::size_t chunk = static_cast<std::size_t>(state.range(0));
  std::size_t lines = 0;
  for (auto _ : state) {
    LineAccumulator acc;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
      auto out = acc.push(std::string_view(bytes).substr(at, chunk));
      lines += out.size();
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LineSplitting)->Arg(65536)->Arg(4096);

void BM_FrameHeadDecode(benchmark::State& state) {
  LineAccumulator acc;
  const auto lines = acc.push(stream());
  std::size_t bytes = 0;
  for (const auto& line : lines) bytes += line.size() + 1;
  for (auto _ : state) {
    for (const auto& line : lines) benchmark::DoNotOptimize(FrameHead::decode(line));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_FrameHeadDecode);

}  // namespace
