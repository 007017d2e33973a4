// Reading one line of a terminal attach stream into the pane's bytes: parse, frame head,
// envelope, Base64. Every byte a live terminal shows pays this once. Two sizes: a
// keystroke echo (a few bytes) and a flood chunk (16 KiB of output). The baseline is the
// JSON parse alone, the least any line costs.

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "control_plane/core/attach_line.h"
#include "control_plane/core/base64.h"

namespace {

using namespace vesket::control_plane;

const std::string kAttachId = "6F1C2A9E-1D5B-4C1B-9E5A-0A8E3C2D4B7F";

std::string outputLine(std::size_t bytes) {
  std::string output;
  for (std::size_t i = 0; i < bytes; ++i) output += static_cast<char>(0x20 + (i * 7) % 95);
  return nlohmann::json({{"id", kAttachId}, {"ok", true}, {"event", {{"data", Base64::encode(output)}}}}).dump();
}

void BM_AttachLine_ParseOnly(benchmark::State& state) {
  const std::string line = outputLine(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(line));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AttachLine_ParseOnly)->Arg(8)->Arg(16384);

void BM_AttachLine_Classify(benchmark::State& state) {
  const std::string line = outputLine(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(classifyAttachLine(line, kAttachId));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AttachLine_Classify)->Arg(8)->Arg(16384);

}  // namespace
