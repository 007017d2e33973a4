#pragma once

// What the live terminal bridge delivers to the page for a session's scroll-back history.
//
// With de-hard-wrap off, every history chunk goes to the page as it arrives. With it on,
// chunks are collected until the end of the history and delivered as one chunk, rejoined
// by HistoryHardWrapJoiner (a hard wrap can span two chunks, and so can a UTF-8 character).
//
// Older history asked for by the page comes once from the agent's conversation turns,
// re-wrapped at the terminal's width, when re-wrap is on and turns are known; every other
// request goes to the transport.

#include <optional>
#include <string>
#include <string_view>

namespace vesket::viewer {

class TerminalHistoryFeed {
 public:
  explicit TerminalHistoryFeed(bool deHardWrapEnabled) : m_deHardWrap(deHardWrapEnabled) {}

  // A history chunk from the transport; the bytes to deliver now, if any.
  std::optional<std::string> chunk(std::string_view bytes);
  // The end of the history; the collected chunk to deliver before the end, if any.
  std::optional<std::string> end();

  bool isDeHardWrapEnabled() const { return m_deHardWrap; }

  enum class OlderHistorySource { synthetic, transport };
  static OlderHistorySource olderHistorySource(bool rewrapEnabled, bool servedSyntheticTerminalHistory,
                                               bool hasTurns);

 private:
  bool m_deHardWrap;
  std::string m_collected;
};

}  // namespace vesket::viewer
