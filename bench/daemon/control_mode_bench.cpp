// Throughput of the tmux control-mode paths the daemon runs for every byte and every
// pane-list read: %output unescaping (through the whole line parser) and list-panes parsing.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "daemon/core/control_mode_parser.h"
#include "daemon/core/pane_listing.h"

namespace {

using vesket::daemon::ControlModeParser;

// What tmux writes for an agent's output: mostly printable text with escape sequences,
// line ends and some UTF-8, escaped the way control mode escapes it. With `lineBytes`, a
// "%output %3 " line starts every `lineBytes` bytes (between tokens, so that no escape is
// cut); without, it is one bare payload.
std::string escapedAgentOutput(std::size_t bytes, double controlShare, std::size_t lineBytes = 0) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> unit(0, 1);
  std::string out;
  std::size_t lineStart = 0;
  if (lineBytes) out += "%output %3 ";
  while (out.size() < bytes) {
    const double r = unit(rng);
    if (r < controlShare) {
      out += "\\033[38;5;214m";  // ESC written as \033
    } else if (r < controlShare * 1.5) {
      out += "\\015\\012";
    } else if (r < controlShare * 1.7) {
      out += "\xE2\x9C\xB3";  // raw UTF-8
    } else {
      out.push_back(static_cast<char>('a' + static_cast<int>(unit(rng) * 26)));
    }
    if (lineBytes && out.size() - lineStart >= lineBytes) {
      out += "\n";
      lineStart = out.size();
      out += "%output %3 ";
    }
  }
  if (lineBytes) out += "\n";
  return out;
}

void BM_UnescapeOnly(benchmark::State& state) {
  const std::string payload = escapedAgentOutput(1 << 20, state.range(0) / 100.0);
  std::string out;
  for (auto _ : state) {
    out.clear();
    vesket::daemon::unescapeOutputInto(payload, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(payload.size()));
}
BENCHMARK(BM_UnescapeOnly)->Arg(2)->Arg(20)->Unit(benchmark::kMicrosecond);

// The full path: bytes as read from tmux's stdout in 64 KiB reads, split into lines,
// classified and unescaped into Output events.
void BM_OutputStream(benchmark::State& state) {
  const std::string stream = escapedAgentOutput(4 << 20, state.range(0) / 100.0, 1024);
  for (auto _ : state) {
    ControlModeParser parser;
    std::size_t events = 0;
    for (std::size_t at = 0; at < stream.size(); at += 65536) {
      events += parser.push(std::string_view(stream).substr(at, 65536)).size();
    }
    benchmark::DoNotOptimize(events);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_OutputStream)->Arg(2)->Arg(20)->Unit(benchmark::kMicrosecond);

// list-panes output of `n` panes with realistic names, titles and paths.
std::vector<std::string> listPanesOutput(int n) {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) {
    const std::vector<std::string> fields = {
        "%" + std::to_string(i),        "$" + std::to_string(i / 8),   "project-" + std::to_string(i / 8),
        "@" + std::to_string(i / 2),    std::to_string(i / 2 % 10),    "agent window " + std::to_string(i / 2),
        i % 2 ? "1" : "0",              std::to_string(i % 2),         i % 2 ? "0" : "1",
        "\xE2\x9C\xB3 Refactor the control-mode parser for speed", i % 3 ? "node" : "bash",
        std::to_string(10000 + i),      "120", "40", "241", "40", "0", "1796515872", "/dev/pts/" + std::to_string(i),
        "/home/me/src/project-" + std::to_string(i / 8) + "/worktree-" + std::to_string(i)};
    std::string line;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (f) line.push_back('\x1f');
      line += fields[f];
    }
    line.push_back('\x1e');
    lines.push_back(std::move(line));
  }
  return lines;
}

void BM_ListPanesParse(benchmark::State& state) {
  const auto lines = listPanesOutput(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto result = vesket::daemon::PaneListing::parse(lines);
    benchmark::DoNotOptimize(result.panes.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ListPanesParse)->Arg(200)->Unit(benchmark::kMicrosecond);

// The same, starting from the raw control-mode block bytes (parser + list-panes parser).
void BM_ListPanesBlock(benchmark::State& state) {
  const auto lines = listPanesOutput(static_cast<int>(state.range(0)));
  std::string block = "%begin 1796515872 100 1\n";
  for (const auto& l : lines) block += l + "\n";
  block += "%end 1796515872 100 1\n";
  for (auto _ : state) {
    ControlModeParser parser;
    auto events = parser.push(block);
    auto result = vesket::daemon::PaneListing::parse(events.front().lines);
    benchmark::DoNotOptimize(result.panes.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_ListPanesBlock)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
