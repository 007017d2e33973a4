#include "viewer/core/terminal_history_feed.h"

#include "viewer/core/history_hard_wrap_joiner.h"

namespace vesket::viewer {

std::optional<std::string> TerminalHistoryFeed::chunk(std::string_view bytes) {
  if (!m_deHardWrap) return std::string(bytes);
  m_collected.append(bytes);
  return std::nullopt;
}

std::optional<std::string> TerminalHistoryFeed::end() {
  if (!m_deHardWrap || m_collected.empty()) return std::nullopt;
  std::string joined = HistoryHardWrapJoiner::joinText(m_collected);
  m_collected.clear();
  return joined;
}

TerminalHistoryFeed::OlderHistorySource TerminalHistoryFeed::olderHistorySource(
    bool rewrapEnabled, bool servedSyntheticTerminalHistory, bool hasTurns) {
  return rewrapEnabled && !servedSyntheticTerminalHistory && hasTurns ? OlderHistorySource::synthetic
                                                                      : OlderHistorySource::transport;
}

}  // namespace vesket::viewer
