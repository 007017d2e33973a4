#pragma once

// The binary frames of a live terminal, spoken between a viewer and whoever serves the
// pane: the relay's WebSocket (one binary message per frame) and the daemon's
// "terminal-attach" stream (one Base64-decoded event per frame).
//
// A frame is one opcode byte followed by its payload:
//
//   op  name             direction       payload
//    1  input            viewer -> pane  raw bytes typed into the pane
//    2  resize           viewer -> pane  cols, rows: u16 big-endian each, clamped 0..65535
//    3  output           pane -> viewer  raw terminal output bytes
//    4  ready            pane -> viewer  JSON ReadyPayload
//    5  exit             pane -> viewer  JSON ExitPayload
//    6  error            pane -> viewer  JSON ErrorPayload
//    7  detach           viewer -> pane  none
//    8  ping             both            none
//    9  geometry         pane -> viewer  cols, rows: u16 big-endian each
//   10  history          pane -> viewer  raw bytes of scroll-back history
//   11  historyEnd       pane -> viewer  none
//   12  historyMore      viewer -> pane  none (asks for older history)
//   13  historyOlder     pane -> viewer  raw bytes of older history
//   14  historyOlderEnd  pane -> viewer  JSON HistoryOlderEndPayload
//   15  pong             pane -> viewer  empty, or JSON PongPayload
//   16  contentParity    viewer -> pane  UTF-8 text (a content check report)
//   17  mouseMode        pane -> viewer  JSON MouseModePayload
//   20  renderAnomaly    viewer -> pane  UTF-8 text, at most its first 4096 bytes
//
// Bytes are carried in std::string (any byte value, NUL included). Decoding never throws
// and never reads outside its input: whatever does not decode becomes `Unknown`, so frames
// from a newer peer, a truncated message or plain garbage are simply skipped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "relay/core/terminal_payloads.h"

namespace vesket::relay::TerminalProtocol {

enum class Op : std::uint8_t {
  input = 1,
  resize = 2,
  output = 3,
  ready = 4,
  exit = 5,
  error = 6,
  detach = 7,
  ping = 8,
  geometry = 9,
  history = 10,
  historyEnd = 11,
  historyMore = 12,
  historyOlder = 13,
  historyOlderEnd = 14,
  pong = 15,
  contentParity = 16,
  mouseMode = 17,
  renderAnomaly = 20,
};

// Longest renderAnomaly text, in bytes; longer texts are cut (possibly inside a character).
inline constexpr std::size_t kRenderAnomalyMaxBytes = 4096;

// Close reasons the relay gives when it ends a terminal WebSocket.
inline constexpr std::string_view promoteRetryReason = "peer_exited_retry";
inline constexpr std::string_view displacedInputIdleReason = "displaced_input_idle";
inline constexpr std::string_view displacedByOpenReason = "displaced_by_open";
inline constexpr std::string_view displacedByOtherDeviceReason = "displaced_by_other_device";

// Frames that travel to the viewer.
struct Output {
  std::string bytes;
  friend bool operator==(const Output&, const Output&) = default;
};
struct Ready {
  ReadyPayload payload;
  friend bool operator==(const Ready&, const Ready&) = default;
};
struct Exit {
  ExitPayload payload;
  friend bool operator==(const Exit&, const Exit&) = default;
};
struct Error {
  ErrorPayload payload;
  friend bool operator==(const Error&, const Error&) = default;
};
struct Geometry {
  std::uint16_t cols = 0;
  std::uint16_t rows = 0;
  friend bool operator==(const Geometry&, const Geometry&) = default;
};
struct History {
  std::string bytes;
  friend bool operator==(const History&, const History&) = default;
};
struct HistoryOlder {
  std::string bytes;
  friend bool operator==(const HistoryOlder&, const HistoryOlder&) = default;
};
struct HistoryOlderEnd {
  HistoryOlderEndPayload payload;
  friend bool operator==(const HistoryOlderEnd&, const HistoryOlderEnd&) = default;
};
struct Pong {
  PongPayload payload;  // no mode when the frame carried no payload
  friend bool operator==(const Pong&, const Pong&) = default;
};
struct MouseMode {
  MouseModePayload payload;
  friend bool operator==(const MouseMode&, const MouseMode&) = default;
};
struct Ping {
  friend bool operator==(const Ping&, const Ping&) = default;
};
struct HistoryEnd {
  friend bool operator==(const HistoryEnd&, const HistoryEnd&) = default;
};
// An opcode this side does not handle, or a payload that does not decode. `code` is the
// opcode byte, or -1 for an empty message.
struct Unknown {
  int code = 0;
  friend bool operator==(const Unknown&, const Unknown&) = default;
};

// Frames that travel to the pane's side (the relay or the daemon).
struct Input {
  std::string bytes;
  friend bool operator==(const Input&, const Input&) = default;
};
struct Resize {
  std::uint16_t cols = 0;
  std::uint16_t rows = 0;
  friend bool operator==(const Resize&, const Resize&) = default;
};
struct Detach {
  friend bool operator==(const Detach&, const Detach&) = default;
};
struct HistoryMore {
  friend bool operator==(const HistoryMore&, const HistoryMore&) = default;
};
struct ContentParity {
  std::string text;
  friend bool operator==(const ContentParity&, const ContentParity&) = default;
};
struct RenderAnomaly {
  std::string text;
  friend bool operator==(const RenderAnomaly&, const RenderAnomaly&) = default;
};

// A decoded message to the viewer.
using Frame = std::variant<Output, Ready, Exit, Error, Geometry, History, HistoryOlder,
                           HistoryOlderEnd, Pong, MouseMode, Ping, HistoryEnd, Unknown>;

// A decoded message from the viewer.
using ClientFrame = std::variant<Input, Resize, Detach, Ping, HistoryMore, ContentParity,
                                 RenderAnomaly, Unknown>;

// Viewer side: frames it sends.
std::string encodeInput(std::string_view bytes);
std::string encodeResize(std::int64_t cols, std::int64_t rows);
std::string encodePing();
std::string encodeHistoryMore();
std::string encodeDetach();
std::string encodeContentParity(std::string_view text);
std::string encodeRenderAnomaly(std::string_view text);

// Viewer side: a message received from the pane's side. Codes 3 to 17 map to their frames
// as in the table; JSON payloads must decode as their record; `geometry` needs at least 4
// payload bytes (more are ignored); anything else is Unknown(code).
Frame decode(std::string_view message);

// Serving side: frames it sends.
std::string encodeOutput(std::string_view bytes);
std::string encodeReady(const ReadyPayload& payload);
std::string encodeExit(const ExitPayload& payload);
std::string encodeError(const ErrorPayload& payload);
std::string encodeGeometry(std::int64_t cols, std::int64_t rows);
std::string encodeHistory(std::string_view bytes);
std::string encodeHistoryEnd();
std::string encodeHistoryOlder(std::string_view bytes);
std::string encodeHistoryOlderEnd(const HistoryOlderEndPayload& payload);
// Without a mode the pong carries no payload.
std::string encodePong(const PongPayload& payload = {});
std::string encodeMouseMode(const MouseModePayload& payload);

// Serving side: a message received from the viewer. `resize` needs at least 4 payload
// bytes; a renderAnomaly text is cut to its first 4096 bytes; anything else is
// Unknown(code).
ClientFrame decodeClientFrame(std::string_view message);

// The message a decoded frame came from (for relays that forward frames, and tests).
// Unknown encodes as its bare opcode byte (nothing for -1).
std::string encode(const Frame& frame);
std::string encode(const ClientFrame& frame);

// Clamps a size to what the u16 fields can carry.
constexpr std::uint16_t clampToUInt16(std::int64_t value) {
  return value < 0 ? 0 : value > 0xFFFF ? 0xFFFF : static_cast<std::uint16_t>(value);
}

}  // namespace vesket::relay::TerminalProtocol
