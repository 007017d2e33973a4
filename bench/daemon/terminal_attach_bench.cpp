// The daemon's per-chunk cost of streaming a pane to an attached viewer: pane output into
// the viewer's bounded buffer, out as an `output` frame in a "terminal-attach" event line.
// The baseline builds the same line through a JSON value, the general reply path.

#include <benchmark/benchmark.h>

#include <string>

#include "control_plane/core/base64.h"
#include "daemon/core/reply_line.h"
#include "daemon/core/terminal_attach_line.h"
#include "daemon/core/terminal_output_buffer.h"

namespace {

using namespace vesket::daemon;

std::string outputBytes(std::size_t size) {
  std::string out;
  while (out.size() < size) out += "\x1b[32mok\x1b[0m build step finished \xE2\x9C\x93\r\n";
  out.resize(size);
  return out;
}

// An output frame is opcode 3 and the bytes; framing itself is a copy (see relay_bench).
std::string outputFrame(const std::string& bytes) { return "\x03" + bytes; }

void BM_AttachLine_ViaJsonValue(benchmark::State& state) {
  const std::string frame = outputFrame(outputBytes(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ReplyLine::event("6F1E2C3A-0000-4000-8000-000000000001", {{"data", vesket::control_plane::Base64::encode(frame)}}));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AttachLine_ViaJsonValue)->Arg(4096)->Arg(65536);

void BM_AttachLine_InPlace(benchmark::State& state) {
  const std::string frame = outputFrame(outputBytes(static_cast<std::size_t>(state.range(0))));
  const TerminalAttachLine line("6F1E2C3A-0000-4000-8000-000000000001");
  for (auto _ : state) benchmark::DoNotOptimize(line.event(frame));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AttachLine_InPlace)->Arg(4096)->Arg(65536);

// A flood of 4 KiB control-mode reads collected for a viewer and sent in 64 KiB chunks.
void BM_OutputBuffer_PushAndTake(benchmark::State& state) {
  const std::string bytes = outputBytes(4096);
  TerminalOutputBuffer buffer;
  for (auto _ : state) {
    for (int i = 0; i < 16; ++i) buffer.push(bytes);
    while (auto chunk = buffer.take()) benchmark::DoNotOptimize(chunk->data());
  }
  state.SetBytesProcessed(state.iterations() * 16 * 4096);
}
BENCHMARK(BM_OutputBuffer_PushAndTake);

}  // namespace
