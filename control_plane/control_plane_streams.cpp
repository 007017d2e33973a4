// The streaming commands of ControlPlaneClient: the pane watch and its reconnecting form,
// the agent-history stream and the terminal attach session.
#include <chrono>

#include <qcoro/qcorotimer.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/sleeper.h"
#include "control_plane/terminal_attach_session.h"

namespace vesket::control_plane {

namespace {

using GenerationHandler = std::function<void(std::optional<std::string>)>;

// The task behind watchPanesReconnecting. It starts on the next turn of the event loop (so
// that whoever asked for the watch can connect to connectionStateChanged first), then holds
// the client for as long as it runs. `cancelled` fires when the consumer lets go.
//
// States: connecting once at the start; connected on the first event of a connection (not
// repeated while connected); unavailable when an attempt fails because the daemon cannot be
// reached, kept through the back-off sleep; reconnecting(n) after any other end or failure,
// n counting consecutive failed attempts; idle when cancelled.
QCoro::Task<void> runReconnectingWatch(std::weak_ptr<ControlPlaneClient> weakClient,
                                       std::shared_ptr<detail::EventChannel<WatchEvent>> out,
                                       BackoffSchedule backoff, GenerationHandler onDaemonGeneration,
                                       std::shared_ptr<Sleeper> sleeper,
                                       std::shared_ptr<CancellationSource> cancelled) {
  co_await QCoro::sleepFor(std::chrono::milliseconds(0));
  auto client = weakClient.lock();
  if (!client) {
    out->end();
    co_return;
  }
  const CancellationToken cancel = cancelled->token();
  auto publish = [&client](ConnectionState state) { client->publishConnectionState(state); };
  auto stop = [&] {
    publish(ConnectionState::idle());
    out->end();
  };

  int attempt = 0;
  publish(ConnectionState::connecting());
  if (cancel.isCancelled()) {
    stop();
    co_return;
  }
  for (;;) {
    if (onDaemonGeneration) {
      std::optional<LocalRelayStatus> status;
      try {
        status = co_await client->relayStatus(cancel);
      } catch (const std::exception&) {
        // No generation this time; the watch attempt goes ahead.
      }
      if (status) onDaemonGeneration(status->daemonSessionId);
    }
    if (cancel.isCancelled()) {
      stop();
      co_return;
    }

    bool daemonUnavailable = false;
    {
      auto stream = client->watch();
      auto registration = cancel.onCancel([&stream] { stream.cancel(); });
      try {
        for (;;) {
          auto event = co_await stream.next();
          if (!event) break;
          if (attempt == 0) {
            if (client->connectionState() != ConnectionState::connected()) publish(ConnectionState::connected());
          } else {
            publish(ConnectionState::connected());
            attempt = 0;
          }
          out->push(std::move(*event));
        }
      } catch (const DaemonUnavailable&) {
        daemonUnavailable = true;
      } catch (const std::exception&) {
        // Any other failure: try again after the back-off.
      }
    }
    if (daemonUnavailable) publish(ConnectionState::unavailable());
    if (cancel.isCancelled()) {
      stop();
      co_return;
    }

    ++attempt;
    if (client->connectionState() != ConnectionState::unavailable()) {
      publish(ConnectionState::reconnecting(attempt));
    }
    const bool slept = co_await sleeper->sleep(backoff.delay(attempt - 1), cancel);
    if (!slept || cancel.isCancelled()) {
      stop();
      co_return;
    }
  }
}

}  // namespace

ControlStream<WatchEvent> ControlPlaneClient::watch() {
  return rawStream<WatchEvent>(CommandName::watch, nlohmann::json::object(),
                               [](const std::string& line) { return WatchEvent::fromLine(line); });
}

EventStream<WatchEvent> ControlPlaneClient::watchPanesReconnecting(BackoffSchedule backoff,
                                                                    GenerationHandler onDaemonGeneration,
                                                                    std::shared_ptr<Sleeper> sleeper) {
  auto out = std::make_shared<detail::EventChannel<WatchEvent>>();
  auto cancelled = std::make_shared<CancellationSource>();
  out->onConsumerCancel = [cancelled] { cancelled->cancel(); };
  if (!sleeper) sleeper = std::make_shared<TimerSleeper>();
  // Runs on by itself: a task whose handle is dropped finishes and frees itself.
  runReconnectingWatch(weak_from_this(), out, backoff, std::move(onDaemonGeneration), std::move(sleeper),
                       cancelled);
  return EventStream<WatchEvent>(out);
}

ControlStream<ClaudeHistoryStreamEvent> ControlPlaneClient::claudeHistoryStream(std::string paneId,
                                                                                std::int64_t width) {
  return rawStream<ClaudeHistoryStreamEvent>(
      CommandName::claudeHistory, argsJson(CommandArguments::claudeHistory(paneId, width)),
      [](const std::string& line) { return ClaudeHistoryStreamEvent::fromLine(line); });
}

std::shared_ptr<TerminalAttachSession> ControlPlaneClient::terminalAttach(
    CommandArguments::TerminalAttachRequest request, std::function<void()> onConnectSent) {
  return TerminalAttachSession::create(m_socketPath, m_token, CommandArguments::terminalAttach(request),
                                       std::move(onConnectSent));
}

}  // namespace vesket::control_plane
