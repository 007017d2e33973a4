#include "daemon/watch_hub.h"

#include <QDateTime>
#include <algorithm>

#include <nlohmann/json.hpp>

#include "daemon/control_connection.h"
#include "daemon/core/reply_line.h"
#include "daemon/tmux_engine.h"

namespace vesket::daemon {

WatchHub::WatchHub(TmuxEngine& engine, QString daemonSessionId, int minIntervalMs,
                   int firstListGraceMs, QObject* parent)
    : QObject(parent),
      m_engine(engine),
      m_daemonSessionId(std::move(daemonSessionId)),
      m_coalescer(minIntervalMs) {
  m_flushTimer.setSingleShot(true);
  connect(&m_flushTimer, &QTimer::timeout, this, &WatchHub::flush);
  connect(&m_engine, &TmuxEngine::panesChanged, this, &WatchHub::onPanesChanged);
  m_ready = !m_engine.panes().empty();
  m_graceTimer.setSingleShot(true);
  connect(&m_graceTimer, &QTimer::timeout, this, &WatchHub::markReady);
  if (!m_ready) m_graceTimer.start(firstListGraceMs);
}

void WatchHub::handle(ControlConnection& connection, const RequestFrame& frame) {
  if (!addWatcher(&connection, frame.id)) {
    connection.sendLine(ReplyLine::failure(frame.id, "watch: a stream with this id is already open"));
  }
}

void WatchHub::markReady() {
  if (m_ready) return;
  m_ready = true;
  m_graceTimer.stop();
  flush();  // the first snapshot for everyone who started watching meanwhile
}

std::string WatchHub::encodeEvent() const {
  nlohmann::json panes = nlohmann::json::array();
  for (const auto& pane : m_engine.panes()) panes.push_back(pane.toJson());
  return ReplyLine::encode({{"type", "snapshot"},
                            {"panes", std::move(panes)},
                            {"daemonSessionId", m_daemonSessionId.toStdString()}});
}

// The event is encoded once; each watcher's line only adds its id around it.
std::string WatchHub::eventLine(const std::string& id, const std::string& event) {
  std::string line;
  line.reserve(event.size() + id.size() + 40);
  line += "{\"event\":";
  line += event;
  line += ",\"id\":";
  line += ReplyLine::encode(id);
  line += ",\"ok\":true}\n";
  return line;
}

bool WatchHub::addWatcher(ControlConnection* connection, const std::string& id) {
  for (const auto& watcher : m_watchers) {
    if (watcher.connection == connection && watcher.id == id) return false;
  }
  m_watchers.push_back(Watcher{connection, id});
  if (m_ready) connection->sendStreamEvent(id, eventLine(id, encodeEvent()));
  return true;
}

bool WatchHub::removeWatcher(ControlConnection* connection, const std::string& id) {
  const auto before = m_watchers.size();
  std::erase_if(m_watchers, [&](const Watcher& w) {
    return w.connection.isNull() || (w.connection == connection && w.id == id);
  });
  return m_watchers.size() != before;
}

void WatchHub::removeConnection(ControlConnection* connection) {
  std::erase_if(m_watchers, [&](const Watcher& w) {
    return w.connection.isNull() || w.connection == connection;
  });
}

void WatchHub::onPanesChanged() {
  if (!m_ready) {
    markReady();
    return;
  }
  const auto delay = m_coalescer.onChange(QDateTime::currentMSecsSinceEpoch());
  if (delay) m_flushTimer.start(static_cast<int>(*delay));
}

void WatchHub::flush() {
  m_coalescer.onFlushed(QDateTime::currentMSecsSinceEpoch());
  std::erase_if(m_watchers, [](const Watcher& w) { return w.connection.isNull(); });
  if (m_watchers.empty()) return;
  const std::string event = encodeEvent();
  // Sending may close a connection that is over its bound; iterate over a copy.
  const auto watchers = m_watchers;
  for (const auto& watcher : watchers) {
    if (watcher.connection) watcher.connection->sendStreamEvent(watcher.id, eventLine(watcher.id, event));
  }
}

}  // namespace vesket::daemon
