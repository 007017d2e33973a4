#pragma once

// The live terminal through the local daemon: adapts the daemon's "terminal-attach" session
// to the terminal transport interface. Every event of the session is one terminal frame,
// decoded and reported exactly as the relay's WebSocket client reports it; everything this
// side sends (input, resize, history requests, pings) is an encoded frame written as input
// of the session. A ping goes out every `keepaliveIntervalMs` while a session is open.
//
// When the stream fails while nobody detached and no `exit` frame came, the client gives
// up once: onUnavailable with the reason, after which the owner falls back to the relay.
// It never escalates twice.
//
// Lives on the thread that creates it (the UI thread); callbacks run there.

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "relay/terminal_mirror_listener.h"
#include "relay/terminal_transport_client.h"

namespace vesket::control_plane {
class ControlPlaneClient;
class TerminalAttachSession;
template <typename T>
class EventStream;
}  // namespace vesket::control_plane

namespace vesket::relay {

// Why the local attach cannot go on.
struct LocalAttachUnavailableReason {
  struct StreamError {
    std::string description;
    friend bool operator==(const StreamError&, const StreamError&) = default;
  };
  struct ChannelDisconnected {
    std::string description;
    friend bool operator==(const ChannelDisconnected&, const ChannelDisconnected&) = default;
  };
  struct StreamClosedWithoutTerminalEnd {
    friend bool operator==(const StreamClosedWithoutTerminalEnd&, const StreamClosedWithoutTerminalEnd&) = default;
  };
  std::variant<StreamError, ChannelDisconnected, StreamClosedWithoutTerminalEnd> value;

  static LocalAttachUnavailableReason streamError(std::string description) { return {StreamError{std::move(description)}}; }
  static LocalAttachUnavailableReason channelDisconnected(std::string description) {
    return {ChannelDisconnected{std::move(description)}};
  }
  static LocalAttachUnavailableReason streamClosedWithoutTerminalEnd() { return {StreamClosedWithoutTerminalEnd{}}; }
  // For logs.
  std::string describe() const;
  friend bool operator==(const LocalAttachUnavailableReason&, const LocalAttachUnavailableReason&) = default;
};

class LocalTerminalMirrorClient : public QObject, public TerminalTransportClient {
  Q_OBJECT

 public:
  struct Options {
    std::string paneId;
    std::string mode = "mirror";
    bool force = false;
    std::optional<std::int64_t> historyLimit;
    std::optional<std::int64_t> cols;
    std::optional<std::int64_t> rows;
    bool initialOpen = true;
    int keepaliveIntervalMs = 10000;
    std::optional<std::map<std::string, std::string>> openLatency;
  };

  static constexpr const char* kChannelDisconnected = "terminal channel is disconnected";

  LocalTerminalMirrorClient(std::shared_ptr<control_plane::ControlPlaneClient> control, Options options,
                            std::weak_ptr<TerminalMirrorListener> listener,
                            std::function<void(const LocalAttachUnavailableReason&)> onUnavailable = nullptr,
                            std::function<void()> onConnectSent = nullptr, QObject* parent = nullptr);
  ~LocalTerminalMirrorClient() override;

  void connect() override;
  void detach() override;
  void reattach() override;
  void sendResize(std::int64_t cols, std::int64_t rows) override;
  void sendInput(const std::string& bytes) override;
  void sendHistoryMore() override;
  void sendOpenLatency(const std::string& bytes) override;
  void sendContentParity(const std::string& text) override;
  void sendPing();

  bool hasOpenedOnce() const { return m_hasOpenedOnce; }
  bool isClosedByUser() const { return m_closedByUser; }
  bool isTerminalEnded() const { return m_terminalEnded; }
  bool hasEscalated() const { return m_escalated; }
  int epoch() const { return m_epoch; }

 private:
  using Events = control_plane::EventStream<std::string>;

  void open(bool freshOpen);
  void closeSession();
  void handle(const std::string& message);
  void streamEnded(int epoch, std::optional<LocalAttachUnavailableReason> failure);
  void escalate(const LocalAttachUnavailableReason& reason);
  void write(const std::string& frame);
  static QCoro::Task<void> pump(QPointer<LocalTerminalMirrorClient> self, std::shared_ptr<Events> events, int epoch);

  std::shared_ptr<control_plane::ControlPlaneClient> m_control;
  Options m_options;
  std::weak_ptr<TerminalMirrorListener> m_listener;
  std::function<void(const LocalAttachUnavailableReason&)> m_onUnavailable;
  std::function<void()> m_onConnectSent;

  std::shared_ptr<control_plane::TerminalAttachSession> m_session;
  std::shared_ptr<Events> m_events;
  QTimer m_keepalive;
  bool m_hasOpenedOnce = false;
  bool m_closedByUser = false;
  bool m_terminalEnded = false;
  bool m_escalated = false;
  int m_epoch = 0;
};

}  // namespace vesket::relay
