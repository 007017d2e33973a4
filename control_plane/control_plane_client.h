#pragma once

#include <QObject>
#include <QUuid>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "control_plane/control_stream.h"
#include "control_plane/core/command_names.h"
#include "control_plane/core/cancellation.h"
#include "control_plane/core/claude_history.h"
#include "control_plane/core/command_arguments.h"
#include "control_plane/core/command_results.h"
#include "control_plane/core/connection_state.h"
#include "control_plane/core/frames.h"
#include "control_plane/core/json_value.h"
#include "control_plane/core/pane_capture.h"
#include "control_plane/core/watch_event.h"
#include "control_plane/event_stream.h"
#include "control_plane/image_sending.h"

namespace vesket::control_plane {

class Sleeper;
class TerminalAttachSession;

// The one object through which the application talks to the local daemon.
//
// Connectionless at the object level: every unary request opens its own connection to the
// control socket, writes one request line, waits for the reply line that carries its id and
// closes; streams keep their connection and receive many lines. Nothing is pooled, so the
// client holds no mutable state besides `connectionState`, which only the reconnecting pane
// watch writes. Shared by its owners (create() gives a shared pointer); used from the thread
// that created it, whose event loop runs every socket callback and timer of its connections.
class ControlPlaneClient : public QObject,
                           public ImageSending,
                           public std::enable_shared_from_this<ControlPlaneClient> {
  Q_OBJECT

 public:
  static constexpr double kStandardRequestTimeout = 10.0;

  static std::shared_ptr<ControlPlaneClient> create(std::string socketPath,
                                                    std::optional<std::string> token,
                                                    double requestTimeout = kStandardRequestTimeout);

  // The client every part of the application uses: the product home's socket, the control
  // token found as the daemon finds it (controlTokenForHome) and the given timeout.
  static std::shared_ptr<ControlPlaneClient> createDefault(double requestTimeout = kStandardRequestTimeout);

  // The control socket the process environment names; see control_plane/core/frames.h.
  static std::string defaultSocketPath();

  const std::string& socketPath() const { return m_socketPath; }
  const std::optional<std::string>& token() const { return m_token; }
  double defaultRequestTimeout() const { return m_defaultRequestTimeout; }

  // Sends one request and decodes the reply's `data` as T (T::fromJson, or nlohmann::json).
  // Throws DaemonUnavailable, ControlPlaneError, SocketError or RequestCancelled. The
  // timeout (default: defaultRequestTimeout) covers connecting, writing and waiting.
  template <typename T>
  QCoro::Task<T> request(std::string_view cmd, nlohmann::json args = nlohmann::json::object(),
                         std::optional<double> timeout = std::nullopt,
                         CancellationToken cancel = {}) {
    auto reply = co_await requestReply(std::string(cmd), std::move(args), timeout, std::move(cancel));
    co_return decodeReplyData<T>(reply);
  }

  // The request pipeline without the final decoding.
  QCoro::Task<ReplyData> requestReply(std::string cmd, nlohmann::json args,
                                      std::optional<double> timeout, CancellationToken cancel = {});

  // Opens a stream. `decodeEvent` turns one event line (its whole text) into T and may throw;
  // a failure ends the stream with a protocol error. Errors before the connection starts
  // (no daemon, bad frame) end the stream at once with that error.
  template <typename T>
  ControlStream<T> rawStream(std::string_view cmd, nlohmann::json args,
                             std::function<T(const std::string& line)> decodeEvent) {
    return ControlStream<T>(openStream(std::string(cmd), std::move(args),
                                       [decodeEvent](const std::string& line) -> std::any {
                                         return decodeEvent(line);
                                       }));
  }

  // --- Commands ---------------------------------------------------------------------------
  // Each sends one request and fails with the errors of request(): DaemonUnavailable,
  // ControlPlaneError (requestFailed with the daemon's text, timeout, protocolError),
  // SocketError, RequestCancelled. A result whose `ok` is false is returned, not thrown,
  // unless the method says otherwise. None of them retries.

  static constexpr double kSelfVouchTimeout = 9.0;

  QCoro::Task<PingResult> ping();
  // Also learns the daemon generation (`daemonSessionId`) for the reconnecting pane watch.
  QCoro::Task<LocalRelayStatus> relayStatus(CancellationToken cancel = {});
  QCoro::Task<EnableAutomationResult> enableMacOSAutomation();
  // Gives up after kSelfVouchTimeout whatever the default timeout.
  QCoro::Task<SelfVouchResult> selfVouch(std::string deviceId, std::string requestId, std::int64_t userId,
                                         std::string deviceName);
  QCoro::Task<std::vector<PaneEntry>> listPanes();
  QCoro::Task<std::vector<AgentConfigEntry>> fetchAgentConfig();
  // Nothing when the daemon has no catalogue.
  QCoro::Task<std::optional<ServedModelCatalog>> fetchModelCatalog();
  QCoro::Task<PaneCapture> capture(std::string paneId);
  QCoro::Task<SendResult> send(std::string paneId, std::string text,
                               std::optional<std::string> submitKey = std::nullopt,
                               std::optional<QUuid> clientRequestId = std::nullopt);
  // Succeeds when the daemon answers with `ok` true; the reply itself is not examined.
  QCoro::Task<void> sendKey(std::string paneId, std::string key);
  // Names a pane ("set-pane-label"); the name comes back in the pane's `paneLabel`.
  QCoro::Task<void> setPaneLabel(std::string paneId, std::string customName);
  // `promptId` names the prompt answered (an agent's own prompt is answered with its keys).
  QCoro::Task<void> answer(std::string paneId, std::optional<std::int64_t> choice = std::nullopt,
                           std::optional<std::vector<std::int64_t>> choices = std::nullopt,
                           std::optional<std::string> promptId = std::nullopt);
  QCoro::Task<ImageSendResult> sendImage(std::string paneId, std::vector<ImageAttachment> images,
                                         std::string text) override;
  // "send-image" without Enter: the stored images' paths are typed into the line the user
  // is writing (an image pasted into the live terminal).
  QCoro::Task<ImageSendResult> typeImagePaths(std::string paneId, std::vector<ImageAttachment> images);
  QCoro::Task<TmuxSourceListResult> tmuxSourceList();
  QCoro::Task<TmuxSourceSetResult> tmuxSourceSet(std::string value);
  // With a column count the window is sized by hand ("manual"); without, it follows its
  // clients again ("auto").
  QCoro::Task<WindowResizeResult> resizeWindow(std::string paneId, std::optional<std::int64_t> cols = std::nullopt);
  // The new pane's id; requestFailed "spawn-shell returned no paneId" otherwise.
  QCoro::Task<std::string> spawnShell();
  // The new pane's id; requestFailed "spawn-plain-terminal returned no paneId" otherwise.
  QCoro::Task<std::string> spawnPersistentPlainTerminal(std::optional<std::string> windowName = std::nullopt);
  // requestFailed "attach-info failed" unless the reply's `ok` is true.
  QCoro::Task<AttachInfoResult> attachInfo(std::optional<std::string> paneId = std::nullopt);
  QCoro::Task<KillResult> kill(std::string paneId);
  QCoro::Task<CrewDisbandResult> disbandCrew(std::string project);

  // --- Streams ----------------------------------------------------------------------------

  // The pane watch: the whole pane list whenever it changes. Ends with the daemon's end of
  // the stream or its error.
  ControlStream<WatchEvent> watch();

  // The pane watch kept alive across daemon restarts. Drives connectionState (connecting,
  // connected, unavailable, reconnecting(n), and idle once the returned stream is
  // cancelled); retries with `backoff` for ever; never fails. Before every attempt it asks
  // "relay-status" and hands the daemon generation to `onDaemonGeneration` (skipped when
  // that request fails). `sleeper` waits between attempts (a timer unless given).
  EventStream<WatchEvent> watchPanesReconnecting(
      BackoffSchedule backoff = BackoffSchedule::standard(),
      std::function<void(std::optional<std::string>)> onDaemonGeneration = nullptr,
      std::shared_ptr<Sleeper> sleeper = nullptr);

  // The conversation history of a Claude Code pane rendered for `width` columns (at least 1).
  ControlStream<ClaudeHistoryStreamEvent> claudeHistoryStream(std::string paneId, std::int64_t width);

  // Attaches to a pane's terminal; the session starts connecting at once.
  std::shared_ptr<TerminalAttachSession> terminalAttach(CommandArguments::TerminalAttachRequest request,
                                                        std::function<void()> onConnectSent = nullptr);

  ConnectionState connectionState() const { return m_connectionState; }

  // Sets the state and tells every observer, repeats included. Only the reconnecting pane
  // watch calls this.
  void publishConnectionState(ConnectionState state);

 signals:
  void connectionStateChanged(vesket::control_plane::ConnectionState state);

 private:
  ControlPlaneClient(std::string socketPath, std::optional<std::string> token, double requestTimeout);

  std::shared_ptr<detail::StreamState> openStream(std::string cmd, nlohmann::json args,
                                                  detail::StreamState::Decode decode);
  std::string encodeFrame(const std::string& id, const std::string& cmd, nlohmann::json args) const;
  static nlohmann::json argsJson(JSONObject args);

  const std::string m_socketPath;
  const std::optional<std::string> m_token;
  const double m_defaultRequestTimeout;
  ConnectionState m_connectionState = ConnectionState::idle();
};

// A fresh request id: a random UUID in upper-case canonical form.
std::string newRequestId();

}  // namespace vesket::control_plane

Q_DECLARE_METATYPE(vesket::control_plane::ConnectionState)
