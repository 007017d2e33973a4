// Terminal frames and their Base64 wrapping on the daemon's attach stream. A live terminal
// carries mostly `output` frames of a few KiB (a control-mode read) up to tens of KiB (a
// flood), a viewer mostly one-keystroke `input` frames; `ready` is the JSON case. memcpy of
// the same bytes is the baseline for the raw-byte frames.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "control_plane/core/base64.h"
#include "relay/core/terminal_protocol.h"

namespace {

namespace TP = vesket::relay::TerminalProtocol;
namespace Base64 = vesket::control_plane::Base64;

// Terminal-like output: printable text, escape sequences, line ends, some UTF-8.
std::string terminalBytes(std::size_t size) {
  static const char* const kPieces[] = {"\x1b[32m", "build ", "ok ", "\x1b[0m", "\r\n",
                                        "src/relay/core/terminal_protocol.cpp ", "✓ ", "42 "};
  std::mt19937 random(1);
  std::string out;
  while (out.size() < size) out += kPieces[random() % std::size(kPieces)];
  out.resize(size);
  return out;
}

void BM_Memcpy(benchmark::State& state) {
  const std::string bytes = terminalBytes(static_cast<std::size_t>(state.range(0)));
  std::string copy(bytes.size(), '\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Memcpy)->Arg(4096)->Arg(65536);

void BM_EncodeOutput(benchmark::State& state) {
  const std::string bytes = terminalBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TP::encodeOutput(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EncodeOutput)->Arg(64)->Arg(4096)->Arg(65536);

void BM_DecodeOutput(benchmark::State& state) {
  const std::string message = TP::encodeOutput(terminalBytes(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(TP::decode(message));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(message.size()));
}
BENCHMARK(BM_DecodeOutput)->Arg(64)->Arg(4096)->Arg(65536);

void BM_DecodeInputKeystroke(benchmark::State& state) {
  const std::string message = TP::encodeInput("a");
  for (auto _ : state) benchmark::DoNotOptimize(TP::decodeClientFrame(message));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeInputKeystroke);

void BM_DecodeResize(benchmark::State& state) {
  const std::string message = TP::encodeResize(132, 50);
  for (auto _ : state) benchmark::DoNotOptimize(TP::decodeClientFrame(message));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeResize);

void BM_EncodeReady(benchmark::State& state) {
  const vesket::relay::ReadyPayload payload{"%123", 132, 50, "takeover"};
  for (auto _ : state) benchmark::DoNotOptimize(TP::encodeReady(payload));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeReady);

void BM_DecodeReady(benchmark::State& state) {
  const std::string message = TP::encodeReady({"%123", 132, 50, "takeover"});
  for (auto _ : state) benchmark::DoNotOptimize(TP::decode(message));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeReady);

void BM_Base64Encode(benchmark::State& state) {
  const std::string bytes = terminalBytes(static_cast<std::size_t>(state.range(0)));
  std::string out;
  for (auto _ : state) {
    out.clear();
    Base64::encodeAppend(bytes, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Base64Encode)->Arg(4096)->Arg(65536);

void BM_Base64Decode(benchmark::State& state) {
  const std::string text = Base64::encode(terminalBytes(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(Base64::tryDecode(text));
  // Rate in decoded bytes, comparable with the encoder's.
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Base64Decode)->Arg(4096)->Arg(65536);

// The viewer's whole path for one attach event: Base64 text to a decoded output frame.
void BM_AttachEventToFrame(benchmark::State& state) {
  const std::string text =
      Base64::encode(TP::encodeOutput(terminalBytes(static_cast<std::size_t>(state.range(0)))));
  for (auto _ : state) benchmark::DoNotOptimize(TP::decode(Base64::decode(text)));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AttachEventToFrame)->Arg(4096)->Arg(65536);

// The daemon's path for one output chunk: frame it and wrap it in Base64.
void BM_OutputChunkToAttachEvent(benchmark::State& state) {
  const std::string bytes = terminalBytes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Base64::encode(TP::encodeOutput(bytes)));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OutputChunkToAttachEvent)->Arg(4096)->Arg(65536);

}  // namespace
