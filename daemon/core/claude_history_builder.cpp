#include "daemon/core/claude_history_builder.h"

#include <algorithm>
#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <utility>

namespace vesket::daemon {

using control_plane::ClaudeHistoryBatch;
using control_plane::ClaudeHistoryCursor;
using control_plane::ClaudeHistoryEntry;
using control_plane::ClaudeHistoryLiveFrame;
using control_plane::ClaudeHistorySegment;
using control_plane::ClaudeHistorySnapshot;
using control_plane::ClaudeHistoryStreamEvent;

ClaudeHistoryBuilder::ClaudeHistoryBuilder(Options options)
    : m_paneId(std::move(options.paneId)),
      m_width(std::max(options.width, 1)),
      m_initialSessionId(std::move(options.sessionId)),
      m_maxEntries(std::max<std::size_t>(options.maxEntries, 1)) {
  reset(options.startOffset);
}

void ClaudeHistoryBuilder::reset(std::int64_t startOffset) {
  m_offset = std::max<std::int64_t>(startOffset, 0);
  m_skipFragment = m_offset > 0;
  m_startedMidFile = m_offset > 0;
  m_pending.clear();
  m_items.clear();
  m_lines.clear();
  m_dropped = 0;
  m_lastTurnStart.reset();
  m_sessionId = m_initialSessionId;
}

bool ClaudeHistoryBuilder::append(std::string_view bytes) {
  const std::size_t before = m_dropped + m_items.size();
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto nl = bytes.find('\n', pos);
    if (nl == std::string_view::npos) {
      m_pending.append(bytes.substr(pos));
      break;
    }
    const std::int64_t lineOffset = m_offset;
    std::string_view line = bytes.substr(pos, nl - pos);
    std::string joined;
    if (!m_pending.empty()) {
      joined = std::move(m_pending);
      m_pending.clear();
      joined.append(line);
      line = joined;
    }
    m_offset += static_cast<std::int64_t>(line.size()) + 1;
    pos = nl + 1;
    if (m_skipFragment) {
      m_skipFragment = false;
      continue;
    }
    readLine(line, lineOffset);
  }
  // Memory stays bounded on endless transcripts: only the newest items can be shown.
  if (m_items.size() > 2 * m_maxEntries) {
    const std::size_t drop = m_items.size() - m_maxEntries;
    m_items.erase(m_items.begin(), m_items.begin() + static_cast<std::ptrdiff_t>(drop));
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(std::min(drop, m_lines.size())));
    m_dropped += drop;
  }
  // Rendering waits until here, so that items dropped right away cost no wrapping.
  for (std::size_t i = m_lines.size(); i < m_items.size(); ++i) {
    m_lines.push_back(ClaudeHistoryRenderer::render(m_items[i], m_width));
  }
  return m_dropped + m_items.size() != before;
}

void ClaudeHistoryBuilder::readLine(std::string_view line, std::int64_t lineOffset) {
  if (line.empty() || line.front() != '{') return;
  const auto record = nlohmann::json::parse(line.begin(), line.end(), nullptr,
                                            /*allow_exceptions=*/false);
  if (!record.is_object()) return;  // not JSON: a damaged line
  // Records without a conversation belong to the one the transcript was in last.
  if (const auto session = record.find("sessionId"); session != record.end() && session->is_string()) {
    m_sessionId = session->get<std::string>();
  }
  for (auto& item : ClaudeHistoryRenderer::itemsOf(record, lineOffset, m_sessionId)) {
    if (item.startsTurn()) m_lastTurnStart = m_dropped + m_items.size();
    m_items.push_back(std::move(item));
  }
}

ClaudeHistoryBatch ClaudeHistoryBuilder::batch() const {
  const auto cursorOf = [](const ClaudeHistoryItem& item) {
    return ClaudeHistoryCursor{item.sessionId, item.offset};
  };
  const std::size_t count = m_items.size();
  // The live part: the latest turn, from the user's last prompt on (all that is kept when
  // the prompt itself was dropped already).
  std::size_t liveBegin = count;
  if (m_lastTurnStart) liveBegin = *m_lastTurnStart > m_dropped ? *m_lastTurnStart - m_dropped : 0;
  const std::size_t liveFirst = std::max(liveBegin, count > m_maxEntries ? count - m_maxEntries : 0);
  const std::size_t liveCount = count - liveFirst;
  const std::size_t settledRoom = m_maxEntries - std::min(m_maxEntries, liveCount);
  const std::size_t settledFirst = liveBegin > settledRoom ? liveBegin - settledRoom : 0;

  ClaudeHistoryBatch batch;
  batch.mode = std::string(kReplace);
  batch.width = m_width;
  ClaudeHistorySnapshot& history = batch.history;
  history.width = m_width;
  history.fallback = false;

  for (std::size_t i = settledFirst; i < liveBegin; ++i) {
    const ClaudeHistoryItem& item = m_items[i];
    const bool first = history.segments.empty();
    const bool otherSession = !first && history.segments.back().sessionId != item.sessionId;
    if (first || otherSession || item.boundary) {
      ClaudeHistorySegment segment;
      segment.segmentId = fmt::format("{}@{}", item.sessionId, item.offset);
      segment.sessionId = item.sessionId;
      if (item.boundary) {
        segment.boundary = *item.boundary;
      } else if (otherSession) {
        segment.boundary = "session";
      } else {
        // The first segment opens the transcript, or follows entries left out.
        const bool fromStart = settledFirst == 0 && m_dropped == 0 && !m_startedMidFile;
        segment.boundary = fromStart ? "start" : "earlier";
      }
      history.segments.push_back(std::move(segment));
    }
    history.segments.back().entries.push_back(
        ClaudeHistoryEntry{item.eventId, cursorOf(item), item.kind, m_lines[i], item.boundary});
  }

  if (liveFirst < count) {
    history.liveStart = cursorOf(m_items[liveFirst]);
    history.historyEnd = history.liveStart;
  } else {
    history.historyEnd = ClaudeHistoryCursor{m_sessionId, m_offset};
  }
  for (std::size_t i = liveFirst; i < count; ++i) {
    const ClaudeHistoryItem& item = m_items[i];
    batch.liveFrames.push_back(ClaudeHistoryLiveFrame{
        item.eventId, cursorOf(item), item.kind, item.text, item.boundary,
        static_cast<std::int64_t>(m_dropped + i), m_lines[i]});
  }
  return batch;
}

ClaudeHistoryStreamEvent ClaudeHistoryBuilder::replaceEvent() const {
  ClaudeHistoryStreamEvent event;
  event.type = std::string(kReplace);
  event.paneId = m_paneId;
  event.batch = batch();
  return event;
}

ClaudeHistoryStreamEvent ClaudeHistoryBuilder::disabledEvent(std::string paneId,
                                                             std::string reason) {
  ClaudeHistoryStreamEvent event;
  event.type = std::string(kDisabled);
  event.paneId = std::move(paneId);
  event.reason = std::move(reason);
  return event;
}

}  // namespace vesket::daemon
