#include "viewer/claude_history_pane_content_source.h"

#include <QTimer>

#include <algorithm>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "shell/settings_store.h"
#include "viewer/core/claude_history_text.h"

namespace vesket::viewer {

ClaudeHistoryPaneContentSource::ClaudeHistoryPaneContentSource(
    std::shared_ptr<control_plane::ControlPlaneClient> client, std::shared_ptr<PaneContentSource> fallback,
    std::function<bool()> enabled, std::function<std::int64_t()> width)
    : m_client(std::move(client)),
      m_fallback(std::move(fallback)),
      m_enabled(std::move(enabled)),
      m_width(std::move(width)) {}

bool ClaudeHistoryPaneContentSource::pilotEnabled(const shell::SettingsStore& defaults) {
  return defaults.boolValue(QString::fromLatin1(kPilotDefaultsKey)).value_or(true);
}

QCoro::Task<std::string> ClaudeHistoryPaneContentSource::captureContent(std::string paneId) {
  return captureContent(std::move(paneId), std::nullopt);
}

QCoro::Task<std::string> ClaudeHistoryPaneContentSource::captureContent(std::string paneId,
                                                                        std::optional<double> timeout) {
  // Locals only after the first suspension: the source may go away meanwhile.
  auto fallback = m_fallback;
  // Tasks are named before they are awaited: g++ 12 mishandles temporaries with destructors
  // inside co_await expressions.
  if (!m_enabled()) {
    auto capture = fallback->captureContent(std::move(paneId), timeout);
    co_return co_await std::move(capture);
  }
  auto client = m_client;
  const std::int64_t width = std::max<std::int64_t>(1, m_width());
  const double limit = timeout.value_or(client->defaultRequestTimeout());
  auto stream = client->claudeHistoryStream(paneId, width);
  // The stream has no deadline of its own: cancelling it ends a waiting next() normally.
  bool timedOut = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&stream, &timedOut] {
    timedOut = true;
    stream.cancel();
  });
  deadline.start(static_cast<int>(limit * 1000));
  for (;;) {
    auto next = stream.next();
    std::optional<control_plane::ClaudeHistoryStreamEvent> event;
    try {
      event = co_await std::move(next);
    } catch (const control_plane::ControlPlaneError& e) {
      // A daemon that refuses the history stream (an older one, or a pane it cannot read)
      // still captures the screen; anything else (no daemon at all) is a real failure.
      if (e.kind() != control_plane::ControlPlaneError::Kind::requestFailed) throw;
      break;
    }
    if (timedOut) throw control_plane::ControlPlaneError::timeout("claude-history");
    if (!event) break;
    if (event->type == "disabled") {
      stream.cancel();
      break;
    }
    if (event->type == "replace" && event->batch) {
      stream.cancel();
      co_return ClaudeHistoryText::flatten(*event->batch);
    }
  }
  deadline.stop();
  auto capture = fallback->captureContent(std::move(paneId), timeout);
  co_return co_await std::move(capture);
}

}  // namespace vesket::viewer
