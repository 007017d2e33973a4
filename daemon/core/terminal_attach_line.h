#pragma once

// The event lines of a "terminal-attach" stream: {"id": attachId, "ok": true, "event":
// {"data": Base64 of one terminal frame}}, one per frame. Output floods through here, so
// the line is assembled directly (the id encoded once per session, the frame's Base64
// appended in place) instead of building a JSON value per frame.

#include <string>
#include <string_view>

namespace vesket::daemon {

class TerminalAttachLine {
 public:
  explicit TerminalAttachLine(const std::string& attachId);

  // The event line carrying `frame` (an encoded terminal frame), ending in a line feed.
  std::string event(std::string_view frame) const;

 private:
  std::string m_prefix;  // {"id":...,"ok":true,"event":{"data":"
};

}  // namespace vesket::daemon
