#pragma once

// The output waiting to go to one attached viewer.
//
// A pane's output is forwarded to every viewer attached to it; a viewer that reads slowly
// must never hold up tmux or the other viewers, and must never make the daemon's memory
// grow without limit. So each viewer has this bounded buffer: output collects here while
// the viewer's socket is busy and leaves in chunks of at most `maxChunkBytes` (small
// writes coalesce into one frame under a flood). When the buffer would exceed `maxBytes`,
// or tmux paused the pane (output was lost upstream), the buffered bytes are dropped and
// the viewer is marked for a resync: from then on output is not collected, and the owner
// sends a freshly captured screen (TerminalSnapshot::resyncBytes) and calls resynced(),
// after which output flows again. The pane's bytes after the capture are exactly those
// pushed after resynced().

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::daemon {

class TerminalOutputBuffer {
 public:
  struct Limits {
    std::size_t maxBytes = 4 * 1024 * 1024;
    std::size_t maxChunkBytes = 64 * 1024;
  };

  TerminalOutputBuffer() : TerminalOutputBuffer(Limits{}) {}
  explicit TerminalOutputBuffer(Limits limits);

  // Output from the pane. Returns false when it was not kept: the viewer needs a resync
  // (now, or already did).
  bool push(std::string_view bytes);
  // tmux lost output of the pane: drop what is buffered and resync.
  void requestResync();

  bool needsResync() const { return m_needsResync; }
  // How many times the viewer fell behind (for logs and tests).
  std::size_t resyncCount() const { return m_resyncs; }
  // The fresh screen was sent; output is collected again.
  void resynced();

  bool empty() const { return m_size == 0; }
  std::size_t size() const { return m_size; }

  // The next chunk to send, oldest bytes first; nothing when the buffer is empty.
  std::optional<std::string> take();

 private:
  void overflow();

  Limits m_limits;
  std::deque<std::string> m_pieces;
  std::size_t m_frontOffset = 0;  // bytes of the front piece already taken
  std::size_t m_size = 0;
  bool m_needsResync = false;
  std::size_t m_resyncs = 0;
};

}  // namespace vesket::daemon
