#pragma once

// One live terminal session with a pane, whoever serves it: the local daemon's attach
// stream or the relay's WebSocket. What the pane's side sends goes to a
// TerminalMirrorListener.

#include <cstdint>
#include <string>

namespace vesket::relay {

class TerminalTransportClient {
 public:
  virtual ~TerminalTransportClient() = default;

  virtual void connect() = 0;
  // Ends the session for good; nothing is reported afterwards.
  virtual void detach() = 0;
  // Drops the current session and opens a new one that does not count as a fresh open.
  virtual void reattach() = 0;
  virtual void sendResize(std::int64_t cols, std::int64_t rows) = 0;
  virtual void sendInput(const std::string& bytes) = 0;
  virtual void sendHistoryMore() = 0;
  // Opening-time measurements, sent unchanged as one message.
  virtual void sendOpenLatency(const std::string& bytes) = 0;
  virtual void sendContentParity(const std::string& text) = 0;
};

}  // namespace vesket::relay
