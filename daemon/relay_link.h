#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "daemon/connection_transport.h"
#include "daemon/core/relay_link_settings.h"
#include "daemon/daemon_paths.h"

class QWebSocket;

namespace vesket::daemon {

class CommandDispatcher;
class ControlConnection;
class LinkTransport;
class StreamService;
class TerminalAttachService;

// The daemon's link to the relay: one WebSocket to RELAY_URL with the daemon token as
// bearer, kept open with jittered back-off (1 s doubling to 60 s) and pinged every 20 s
// (a link silent for 60 s is dropped and made again).
//
// The link is one more control connection: every connected link gets a ControlConnection,
// served by the same dispatcher and stream services as the control socket, whose transport
// (LinkTransport) is the link itself: text messages from the relay are handed to it as
// request lines, its reply lines go out as text messages, with no socket in between.
// Terminal attach streams are the exception on the way out and in: their frames travel as
// binary messages (a 4-byte stream number, then the frame) instead of Base64 inside JSON;
// the relay names the number in the attach request ("stream"). The connection's limits
// apply to what waits in the WebSocket: streams hold back while the relay is slow to take
// it, and a relay that lets more than `maxQueuedBytes` pile up loses the link.
//
// RELAY_URL and DAEMON_TOKEN come from `<home>/daemon/.env`, read again whenever the file
// changes. Without them the link stays quietly unpaired. A relay that refuses the token
// (401) is asked again only at the longest back-off.
class RelayLink : public QObject {
  Q_OBJECT

 public:
  struct Options {
    int pingIntervalMs = 20000;
    int silenceLimitMs = 60000;
    int requestsInFlight = 64;
  };

  RelayLink(DaemonPaths paths, CommandDispatcher& dispatcher, std::vector<StreamService*> streamServices,
            Options options, QObject* parent = nullptr);
  RelayLink(DaemonPaths paths, CommandDispatcher& dispatcher, std::vector<StreamService*> streamServices,
            QObject* parent = nullptr)
      : RelayLink(std::move(paths), dispatcher, std::move(streamServices), Options{}, parent) {}
  ~RelayLink() override;

  // Reads the environment file, watches it and links when it names a relay and a token.
  void start();
  void stop();
  // Reads the environment file again now (a pairing was just saved).
  void reload() { reloadSettings(); }

  // For "relay-status": {"connected", "transportState", "userId" when known}.
  nlohmann::json status() const;

 private:
  enum class State { unpaired, connecting, connected, reconnecting, unauthorized, stopped };
  static const char* stateName(State state);

  void reloadSettings();
  void connectNow();
  void scheduleReconnect(bool refused);
  void setState(State state);

  void onConnected();
  void onDisconnected();
  void onTextMessage(const QString& message);
  void onBinaryMessage(const QByteArray& message);
  void checkSilence();

  void openLocalConnection();
  void closeLocalConnection();
  void writeLocal(std::string_view line);

  // The connection's side, used by LinkTransport.
  friend class LinkTransport;
  void sendLine(std::string_view line);
  bool sendFrame(const std::string& attachId, std::string_view frame);
  qint64 queuedBytes() const;
  void dropLink(const QString& reason);

  DaemonPaths m_paths;
  CommandDispatcher& m_dispatcher;
  std::vector<StreamService*> m_streamServices;
  TerminalAttachService* m_attachService = nullptr;  // of m_streamServices, for binary input
  Options m_options;

  QFileSystemWatcher m_watcher;
  QTimer m_reloadTimer;     // coalesces bursts of file change signals
  QTimer m_reconnectTimer;
  QTimer m_pingTimer;
  QElapsedTimer m_sinceHeard;
  QWebSocket* m_socket = nullptr;
  QPointer<ConnectionTransport> m_transport;   // owned by the connection
  QPointer<ControlConnection> m_connection;

  std::optional<RelayLinkSettings> m_settings;
  State m_state = State::unpaired;
  int m_attempt = 0;
  bool m_refused = false;
  std::optional<std::int64_t> m_userId;
  std::optional<std::int64_t> m_daemonId;
  std::uint64_t m_inputSequence = 0;
  std::map<std::uint32_t, std::string> m_attachByStream;  // stream number -> attach id
  std::map<std::string, std::uint32_t> m_streamByAttach;
};

}  // namespace vesket::daemon
