#pragma once

#include <QObject>

#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "control_plane/control_stream.h"
#include "control_plane/core/cancellation.h"
#include "control_plane/core/connection_state.h"
#include "control_plane/core/frames.h"

namespace vesket::control_plane {

// The one object through which the application talks to the local daemon.
//
// Connectionless at the object level: every unary request opens its own connection to the
// control socket, writes one request line, waits for the reply line that carries its id and
// closes; streams keep their connection and receive many lines. Nothing is pooled, so the
// client holds no mutable state besides `connectionState`, which only the reconnecting pane
// watch writes. Shared by its owners (create() gives a shared pointer); used from the thread
// that created it, whose event loop runs every socket callback and timer of its connections.
class ControlPlaneClient : public QObject, public std::enable_shared_from_this<ControlPlaneClient> {
  Q_OBJECT

 public:
  static constexpr double kStandardRequestTimeout = 10.0;

  static std::shared_ptr<ControlPlaneClient> create(std::string socketPath,
                                                    std::optional<std::string> token,
                                                    double requestTimeout = kStandardRequestTimeout);

  // The client every part of the application uses: defaultSocketPath(), the token from
  // CONTROL_TOKEN (none when unset) and the given timeout.
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
  QCoro::Task<T> request(std::string cmd, nlohmann::json args = nlohmann::json::object(),
                         std::optional<double> timeout = std::nullopt,
                         CancellationToken cancel = {}) {
    auto reply = co_await requestReply(std::move(cmd), std::move(args), timeout, std::move(cancel));
    co_return decodeReplyData<T>(reply);
  }

  // The request pipeline without the final decoding.
  QCoro::Task<ReplyData> requestReply(std::string cmd, nlohmann::json args,
                                      std::optional<double> timeout, CancellationToken cancel = {});

  // Opens a stream. `decodeEvent` turns one event line (its whole text) into T and may throw;
  // a failure ends the stream with a protocol error. Errors before the connection starts
  // (no daemon, bad frame) end the stream at once with that error.
  template <typename T>
  ControlStream<T> rawStream(std::string cmd, nlohmann::json args,
                             std::function<T(const std::string& line)> decodeEvent) {
    return ControlStream<T>(openStream(std::move(cmd), std::move(args),
                                       [decodeEvent](const std::string& line) -> std::any {
                                         return decodeEvent(line);
                                       }));
  }

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

  const std::string m_socketPath;
  const std::optional<std::string> m_token;
  const double m_defaultRequestTimeout;
  ConnectionState m_connectionState = ConnectionState::idle();
};

// A fresh request id: a random UUID in upper-case canonical form.
std::string newRequestId();

}  // namespace vesket::control_plane

Q_DECLARE_METATYPE(vesket::control_plane::ConnectionState)
