#pragma once

// Parser for the output of a tmux control-mode client (`tmux -C`).
//
// The protocol is described in tmux(1), section "CONTROL MODE": every command the client
// writes produces one block, a `%begin time number flags` line, the command's output lines
// and a matching `%end` or `%error` line with the same three numbers; notifications (lines
// beginning with `%`) never occur inside a block. `%output %pane value` carries a pane's
// bytes with every byte below 0x20 and the backslash written as octal `\ooo`; bytes of
// 0x80 and above are written raw, so the stream is bytes, not text, and is parsed as such.
// With the `pause-after` client flag tmux sends `%extended-output %pane age ... : value`
// instead, and `%pause` / `%continue` when it stops and resumes a pane.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/core/control_event.h"

namespace vesket::daemon {

class ControlModeParser {
 public:
  // Feeds bytes as they arrive; returns the events completed by them, in order. A partial
  // line waits for the next push; a block is delivered only once its %end/%error arrives.
  std::vector<ControlEvent> push(std::string_view bytes);

  // Whether a command block is open (its %begin seen, its end not yet).
  bool inBlock() const { return m_inBlock; }

  // Bytes of an unfinished line.
  std::size_t pendingBytes() const { return m_buffer.size() - m_consumed; }

  // Parses one complete line outside a block (no trailing line feed).
  static ControlEvent parseNotification(std::string_view line);

 private:
  void handleLine(std::string_view line, std::vector<ControlEvent>& out);

  std::string m_buffer;
  std::size_t m_consumed = 0;  // bytes of m_buffer already handed out as lines
  std::size_t m_scanned = 0;   // bytes of m_buffer known to hold no line feed after m_consumed
  bool m_inBlock = false;
  ControlEvent m_block;
};

// Undoes control mode's octal escaping (`\ooo` to the byte it stands for). A backslash not
// followed by three octal digits is kept as it is.
std::string unescapeOutput(std::string_view value);

// Appends the unescaped bytes to `out` (the allocation-free form of unescapeOutput).
void unescapeOutputInto(std::string_view value, std::string& out);

// Parses "%begin 1363006971 2 1" (or %end/%error) after the keyword; false when malformed.
bool parseGuard(std::string_view numbers, CommandGuard& guard);

}  // namespace vesket::daemon
