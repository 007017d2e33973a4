#pragma once

// Reads the relay's inbox change stream (server-sent events) line by line: an "event:"
// line names the current event, and each "data:" line under the event "inbox-message"
// is one change signal. Every other line (comments, heartbeats, other events) is ignored.
// The stream carries no content: a signal only means "fetch the inbox again".

#include <cstddef>
#include <string>
#include <string_view>

namespace vesket::inbox {

class InboxStreamParser {
 public:
  // A line longer than this is dropped whole (a relay never sends one).
  static constexpr std::size_t kMaxLineBytes = 64 * 1024;

  // Feeds received bytes; the number of change signals they complete.
  int feed(std::string_view bytes);
  // One whole line, without its line break; whether it is a change signal.
  bool line(std::string_view text);

 private:
  std::string m_pending;
  std::string m_event;
  bool m_overlong = false;
};

}  // namespace vesket::inbox
