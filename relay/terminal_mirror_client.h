#pragma once

// The live terminal through the relay: a WebSocket to the relay's terminal attach endpoint
// carrying terminal frames as binary messages (QWebSocket). Frames are decoded and reported
// to the listener exactly as the local transport reports them.
//
// Heartbeat: a ping 10 s after the socket opens and after each sign of life; a pong (any
// message) awaited 15 s; two missed in a row count as a dead connection and force a
// reattach. A dropped socket reconnects with the back-off (500 ms doubling to 8 s, half
// jittered) and the re-open URL, so the relay does not count it as a new open; a
// handshake refused with 4xx (except 408 and 429) is final: onError, no retry. Every open is
// a new epoch: late events of an older socket are ignored. After `exit` or detach nothing
// reconnects. The decisions are TerminalMirrorState's (relay/core).
//
// Lives on the thread that creates it (the UI thread); callbacks run there.

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "relay/core/terminal_mirror_rules.h"
#include "relay/terminal_mirror_listener.h"
#include "relay/terminal_transport_client.h"

class QWebSocket;

namespace vesket::relay {

class TerminalMirrorClient : public QObject, public TerminalTransportClient {
  Q_OBJECT

 public:
  TerminalMirrorClient(std::string url, std::map<std::string, std::string> authHeaders,
                       std::weak_ptr<TerminalMirrorListener> listener, Backoff backoff = Backoff::mirror(),
                       QObject* parent = nullptr);
  ~TerminalMirrorClient() override;

  void connect() override;
  void detach() override;
  void reattach() override;
  void sendResize(std::int64_t cols, std::int64_t rows) override;
  void sendInput(const std::string& bytes) override;
  void sendHistoryMore() override;
  void sendOpenLatency(const std::string& bytes) override;
  void sendContentParity(const std::string& text) override;
  void sendRenderAnomaly(const std::string& text);
  void sendPing();

  const std::string& url() const { return m_url; }
  const std::string& firstURL() const { return m_firstURL; }
  int epoch() const { return m_state.epoch(); }
  int attempt() const { return m_state.attempt(); }
  bool hasOpenedOnce() const { return m_hasOpenedOnce; }
  bool isClosedByUser() const { return m_state.closedByUser(); }
  bool isServerEnded() const { return m_state.serverEnded(); }

  // The heartbeat's timings (tests shorten them).
  void setHeartbeat(int pingIntervalMs, int pongTimeoutMs);

 private:
  void open();
  void closeSocket(const QString& reason);
  void received(int epoch, const QByteArray& message);
  void dropped(int epoch, std::optional<int> httpStatus, const std::string& description);
  void scheduleNextPing();
  void onPingTimer();
  void onPongTimeout();
  void send(const std::string& frame);

  std::string m_firstURL;
  std::string m_url;
  std::map<std::string, std::string> m_authHeaders;
  std::weak_ptr<TerminalMirrorListener> m_listener;
  Backoff m_backoff;
  TerminalMirrorState m_state;
  QPointer<QWebSocket> m_socket;
  QTimer m_pingTimer;
  QTimer m_pongTimer;
  QTimer m_reconnectTimer;
  bool m_hasOpenedOnce = false;
};

}  // namespace vesket::relay
