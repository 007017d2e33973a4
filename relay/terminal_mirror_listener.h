#pragma once

// What a terminal transport tells its owner (the live terminal bridge): the frames of the
// pane's side, one operation per kind, and the transport's own reconnects. Both transports,
// the relay's WebSocket and the local daemon's attach stream, call the same operations for
// the same frames (see TerminalMirrorFrames::dispatch).

#include <cstdint>
#include <string>

#include "relay/core/terminal_payloads.h"
#include "relay/core/terminal_protocol.h"

namespace vesket::relay {

class TerminalMirrorListener {
 public:
  virtual ~TerminalMirrorListener() = default;

  virtual void onReady(const ReadyPayload& ready) = 0;
  virtual void onOutput(const std::string& bytes) = 0;
  virtual void onExit(const ExitPayload& exit) = 0;
  virtual void onError(const std::string& message) = 0;
  virtual void onGeometry(int cols, int rows) = 0;
  virtual void onHistory(const std::string& bytes) = 0;
  virtual void onHistoryEnd() = 0;
  virtual void onHistoryOlder(const std::string& bytes) = 0;
  virtual void onHistoryOlderEnd(bool atTop, std::int64_t lines) = 0;
  virtual void onReconnecting(int attempt, int delayMs) = 0;
  virtual void onPongMode(const std::string& mode) = 0;
  virtual void onMouseMode(bool enabled) = 0;
  virtual void onDesktopWheelMode(const MouseModePayload& payload) { (void)payload; }
};

namespace TerminalMirrorFrames {

// Calls the listener operation of one decoded frame: `pong` only when it carries a mode,
// `mouseMode` as onMouseMode then onDesktopWheelMode; `ping` and `unknown` call nothing.
void dispatch(const TerminalProtocol::Frame& frame, TerminalMirrorListener& listener);

}  // namespace TerminalMirrorFrames

}  // namespace vesket::relay
