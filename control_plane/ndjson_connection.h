#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <exception>
#include <functional>
#include <string>

#include "control_plane/core/line_accumulator.h"

class QLocalSocket;

namespace vesket::control_plane {

// One connection to the daemon's control socket, for one request or one stream.
//
// Lifecycle: created (path validated) -> started (connecting, 2 s watchdog armed) -> ready
// (watchdog cancelled, onReady called, receiving) -> finished. finish() runs once: later
// socket events are ignored, onClose runs at most once and no line is delivered after it.
// Everything happens on the thread that owns the object; callbacks may destroy the
// connection's owner, so the object never touches itself after calling out unless it
// still lives.
class NDJSONConnection : public QObject {
  Q_OBJECT

 public:
  using LineHandler = std::function<void(const std::string& line)>;
  using CloseHandler = std::function<void(std::exception_ptr error)>;  // null: clean end
  using ReadyHandler = std::function<void()>;

  // Throws DaemonUnavailable when nothing exists at the path or the path is too long.
  explicit NDJSONConnection(const std::string& socketPath, QObject* parent = nullptr);
  ~NDJSONConnection() override;

  void start(ReadyHandler onReady, LineHandler onLine, CloseHandler onClose);

  // Writes the line and a line feed; a write error finishes the connection with it.
  void sendLine(const std::string& line);

  void finish(std::exception_ptr error = nullptr);

  bool isReady() const { return m_ready; }
  bool isFinished() const { return m_finished; }

  static constexpr int kConnectTimeoutMs = 2000;
  static constexpr qint64 kReceiveChunkBytes = 65536;

 private:
  void onConnected();
  void onReadyRead();
  void onSocketError();
  void onDisconnected();
  std::exception_ptr mapDialError() const;

  std::string m_socketPath;
  QLocalSocket* m_socket = nullptr;
  QTimer m_connectTimer;
  LineAccumulator m_accumulator;
  bool m_ready = false;
  bool m_finished = false;
  ReadyHandler m_onReady;
  LineHandler m_onLine;
  CloseHandler m_onClose;
};

}  // namespace vesket::control_plane
